#pragma once

#include <gtest/gtest.h>
#include <QImage>
#include <QTest>
#include <QWidget>

#include "skin/skin_palette.h"

namespace synthetic {

// Shows the widget as an active window of its own and gives it the keyboard focus, as Tab
// would; false when the platform never made the window active.
inline bool focus(QWidget* w) {
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w))
        return false;
    w->setFocus(Qt::TabFocusReason);
    return w->hasFocus();
}

// What the widget paints now, at one pixel per logical pixel.
inline QImage painted(QWidget* w) {
    return w->grab().toImage().scaled(w->size());
}

// The focus ring runs along the control's edge in the skin's accent, and only with the focus.
inline void expect_focus_ring(QWidget* w) {
    QImage before = painted(w);
    ASSERT_TRUE(focus(w));
    QImage focused = painted(w);
    QRgb accent = kestra::skin::SkinPalette::focus_ring().rgb();
    for (QPoint edge :
         {QPoint(0, w->height() / 2), QPoint(w->width() / 2, 0),
          QPoint(w->width() - 1, w->height() / 2), QPoint(w->width() / 2, w->height() - 1)}) {
        EXPECT_EQ(focused.pixel(edge), accent) << edge.x() << "," << edge.y();
        EXPECT_NE(before.pixel(edge), accent) << edge.x() << "," << edge.y();
    }
    w->clearFocus();
    EXPECT_EQ(painted(w).pixel(0, w->height() / 2), before.pixel(0, w->height() / 2));
}

}  // namespace synthetic
