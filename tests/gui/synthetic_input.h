#pragma once

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

// Input delivered straight to a widget, as the window system would after hit-testing, so the
// tests need no shown or active window.
namespace synthetic {

inline void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

inline void press(QWidget* w, QPoint at) {
    mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
}
inline void move(QWidget* w, QPoint at) {
    mouse(w, QEvent::MouseMove, at, Qt::LeftButton);
}
inline void release(QWidget* w, QPoint at) {
    mouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
}
inline void double_click(QWidget* w, QPoint at) {
    mouse(w, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
}

inline void key(QWidget* w, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &up);
}

inline void wheel(QWidget* w, int delta) {
    QPointF at(5, 5);
    QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &event);
}

inline void enter(QWidget* w) {
    QPointF at(2, 2);
    QEnterEvent event(at, at, w->mapToGlobal(at));
    QCoreApplication::sendEvent(w, &event);
}

}  // namespace synthetic
