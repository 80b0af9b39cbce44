#pragma once

class QPainter;
class QWidget;

namespace kestra {

// The one look of keyboard focus: every control that takes the focus draws this ring after
// its own face, so the operator always sees where a key will land.
class FocusRing {
public:
    static constexpr int kWidth = 2;

    // Draws nothing unless the widget has the focus.
    static void paint(QPainter& painter, const QWidget& widget);
};

}  // namespace kestra
