#pragma once

#include <QPainter>
#include <QSize>

namespace kestra::skin {

// Button faces: the plain and lit key, shelf keys, the online lamp, bank keys, name plates,
// square pads, page tabs and routing crosspoints.
class ButtonArt {
public:
    static bool draws(int id);
    static QSize natural_size(int id);
    static void paint(int id, QPainter& painter, QSizeF size);
};

}  // namespace kestra::skin
