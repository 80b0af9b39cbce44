#include "shell/step_settler.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace kestra {

StepSettler::StepSettler(Console& controller, QObject* parent)
    : QObject(parent), controller_(controller) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &StepSettler::due);
    wheel_rest_.setSingleShot(true);
    wheel_rest_.setInterval(kWheelRestMs);
    connect(&wheel_rest_, &QTimer::timeout, this, &StepSettler::due);
    changes_ = controller_.session().changes().subscribe([this](const StateChange& c) {
        if (c.from_processor()) {
            return;
        }
        changed_ = true;
        if (!timer_.isActive()) {
            timer_.start(0);
        }
    });
    // Every widget's mouse events pass the application's filters, synthetic ones too.
    QCoreApplication::instance()->installEventFilter(this);
}

bool StepSettler::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Wheel) {
        wheel_rest_.start();  // a further notch of the same turn
    } else if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress) {
        end_wheel_turn();  // before the press acts: its change is a step of its own
    }
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) {
        held_ = static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton;
    }
    return QObject::eventFilter(watched, event);
}

void StepSettler::end_wheel_turn() {
    if (!wheel_rest_.isActive()) {
        return;
    }
    wheel_rest_.stop();
    if (changed_ && !held_) {
        changed_ = false;
        controller_.settle();
    }
}

void StepSettler::due() {
    if (held_) {
        timer_.start(kHeldRetryMs);
        return;
    }
    // While the wheel turns its rest settles; a turn that changed nothing settles nothing.
    if (wheel_rest_.isActive() || !changed_) {
        return;
    }
    changed_ = false;
    controller_.settle();
}

}  // namespace kestra
