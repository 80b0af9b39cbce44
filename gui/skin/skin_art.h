#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>

namespace kestra::skin {

// Every image role of the console, drawn in code. An image can be made at its natural size (the
// size the pages' layouts use) or at any other logical size, at any device pixel ratio, so
// stretched buttons keep crisp edges. Unknown ids give a null image: the control then draws
// nothing for that role.
class SkinArt {
public:
    static bool has(int id);
    static QSize natural_size(int id);  // invalid for unknown ids
    static QImage image(int id, qreal dpr = 1.0);
    static QImage image(int id, QSize logical_size, qreal dpr);
    // Cached by id, size and ratio; call only from the GUI thread.
    static QPixmap pixmap(int id, QSize logical_size, qreal dpr);
};

}  // namespace kestra::skin
