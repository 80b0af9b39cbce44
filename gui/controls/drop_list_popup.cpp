#include "controls/drop_list_popup.h"

#include <QMouseEvent>

#include "controls/drop_list.h"

namespace kestra {

DropListPopup::DropListPopup(QWidget* owner)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint), list_(new DropList(this)) {
    // a press on the selector that closes the popup must not open it again
    setAttribute(Qt::WA_NoMouseReplay);
    list_->installEventFilter(this);
    connect(list_, &DropList::chosen, this, &DropListPopup::choose);
    connect(list_, &DropList::dismissed, this, &QWidget::hide);
}

void DropListPopup::choose(int row) {
    choosing_ = true;
    hide();
    choosing_ = false;
    remembered_ = row;
    emit chosen(row);
}

void DropListPopup::mousePressEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint())) {
        hide();
        return;
    }
    QWidget::mousePressEvent(event);
}

void DropListPopup::hideEvent(QHideEvent* event) {
    if (!choosing_)
        list_->setCurrentRow(remembered_);
    QWidget::hideEvent(event);
}

void DropListPopup::resizeEvent(QResizeEvent* event) {
    list_->setGeometry(rect());
    QWidget::resizeEvent(event);
}

bool DropListPopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::FocusOut && isVisible())
        hide();
    return QWidget::eventFilter(watched, event);
}

}  // namespace kestra
