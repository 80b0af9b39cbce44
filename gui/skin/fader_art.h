#pragma once

#include <QPainter>
#include <QSize>

namespace kestra::skin {

// Fader channels and thumbs. The channel art matches the faders' margins: the strip volume
// channel carries its dB scale left of a 32-pixel margin and the groove under the thumb; the
// keyed images (gain trim, thumbs) are drawn on pure white, which their faders key out.
class FaderArt {
public:
    static bool draws(int id);
    static QSize natural_size(int id);
    static void paint(int id, QPainter& painter, QSizeF size);
};

}  // namespace kestra::skin
