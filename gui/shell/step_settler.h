#pragma once

#include <QObject>
#include <QTimer>

#include "controller/console.h"

namespace kestra {

// Ends the operator's steps for the journal: once the event loop is idle after an operator
// change and no mouse button is held, so that a drag, with every move it sends, becomes one
// undo entry at its release.
class StepSettler final : public QObject {
    Q_OBJECT

public:
    static constexpr int kHeldRetryMs = 50;

    StepSettler(Console& controller, QObject* parent);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void due();

    Console& controller_;
    QTimer timer_;
    bool held_ = false;
    Publisher<StateChange>::Subscription changes_;
};

}  // namespace kestra
