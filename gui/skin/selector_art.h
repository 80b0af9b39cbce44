#pragma once

#include <QPainter>
#include <QSize>

namespace kestra::skin {

// Selector faces: a well with the drop arrow in its right 20 pixels, normal and hovered.
class SelectorArt {
public:
    static bool draws(int id);
    static QSize natural_size(int id);
    static void paint(int id, QPainter& painter, QSizeF size);
};

}  // namespace kestra::skin
