#pragma once

#include <QObject>
#include <QTimer>

#include "controller/console.h"

namespace kestra {

// Ends the operator's steps for the journal: once the event loop is idle after an operator
// change and no mouse button is held, so that a drag, with every move it sends, becomes one
// undo entry at its release. The notches of one turn of the wheel come as separate events
// with idle time between them; they share one step until the wheel rests for kWheelRestMs or
// the operator presses a button or a key.
class StepSettler final : public QObject {
    Q_OBJECT

public:
    static constexpr int kHeldRetryMs = 50;
    static constexpr int kWheelRestMs = 400;

    StepSettler(Console& controller, QObject* parent);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void due();
    void end_wheel_turn();

    Console& controller_;
    QTimer timer_;
    QTimer wheel_rest_;
    bool held_ = false;
    bool changed_ = false;  // an operator change since the last settle
    Publisher<StateChange>::Subscription changes_;
};

}  // namespace kestra
