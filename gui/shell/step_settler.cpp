#include "shell/step_settler.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace kestra {

StepSettler::StepSettler(Console& controller, QObject* parent)
    : QObject(parent), controller_(controller) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &StepSettler::due);
    changes_ = controller_.session().changes().subscribe([this](const StateChange& c) {
        if (!c.from_processor() && !timer_.isActive()) {
            timer_.start(0);
        }
    });
    // Every widget's mouse events pass the application's filters, synthetic ones too.
    QCoreApplication::instance()->installEventFilter(this);
}

bool StepSettler::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) {
        held_ = static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton;
    }
    return QObject::eventFilter(watched, event);
}

void StepSettler::due() {
    if (held_) {
        timer_.start(kHeldRetryMs);
        return;
    }
    controller_.settle();
}

}  // namespace kestra
