#pragma once

#include <QImage>
#include <QPainter>
#include <QSize>

namespace kestra::skin {

// Seamless background tiles for the pages and the two strip kinds, and the strip frame, drawn
// blue so that the scheme letters can recolour it.
class BackgroundArt {
public:
    static bool draws(int id);
    static QSize natural_size(int id);
    static void paint(int id, QPainter& painter, QSizeF size);
    static QImage strip_frame(QSize logical_size, qreal dpr);
};

}  // namespace kestra::skin
