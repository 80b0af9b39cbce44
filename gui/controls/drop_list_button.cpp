#include "controls/drop_list_button.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>

#include "controls/drop_list.h"
#include "controls/drop_list_popup.h"
#include "controls/focus_ring.h"
#include "skin/skin_art.h"
#include "skin/skin_font.h"

namespace kestra {

DropListButton::DropListButton(QWidget* parent)
    : QAbstractButton(parent),
      normal_font_(skin::SkinFont::pixels(14)),
      hover_font_(skin::SkinFont::pixels(14)) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

DropListButton::~DropListButton() {
    delete popup_;
}

void DropListButton::set_images(int normal_id, int hover_id) {
    normal_image_ = normal_id;
    hover_image_ = hover_id;
    if (skin::SkinArt::has(normal_id))
        resize(skin::SkinArt::natural_size(normal_id));
    update();
}

bool DropListButton::attach(int list_id) {
    attached_ = true;
    list_id_ = list_id;
    popup_rect_ = QRect(0, 0, width(), 0);
    if (popup_ != nullptr)
        popup_->list()->setFont(normal_font_);
    return true;
}

DropListPopup* DropListButton::popup() const {
    return attached_ ? made_popup() : nullptr;
}

DropListPopup* DropListButton::made_popup() const {
    if (popup_ != nullptr)
        return popup_;
    auto* self = const_cast<DropListButton*>(this);
    popup_ = new DropListPopup(self);
    popup_->list()->setFont(normal_font_);
    // Each list carries its selector's path, so the named widgets stay unique.
    if (!objectName().isEmpty())
        popup_->list()->setObjectName(objectName() + QStringLiteral(".list"));
    for (const QString& item : items_)
        popup_->list()->add_item(item);
    if (current_ >= 0) {
        popup_->list()->setCurrentRow(current_);
        popup_->set_remembered_row(current_);
    }
    connect(popup_, &DropListPopup::chosen, self, &DropListButton::choose_from_popup,
            Qt::UniqueConnection);
    return popup_;
}

int DropListButton::add_item(const QString& text) {
    if (!attached_)
        return -1;
    items_.append(text);
    if (popup_ != nullptr)
        popup_->list()->add_item(text);
    return static_cast<int>(items_.size()) - 1;
}

void DropListButton::clear() {
    if (!attached_)
        return;
    items_.clear();
    current_ = -1;
    if (popup_ == nullptr)
        return;
    popup_->list()->clear();
    popup_->set_remembered_row(-1);
}

void DropListButton::select(int index) {
    int n = count();
    if (n == 0)
        return;
    index = std::clamp(index, 0, n - 1);
    current_ = index;
    if (popup_ != nullptr) {
        popup_->list()->setCurrentRow(index);
        popup_->set_remembered_row(index);
    }
    setText(item_text(index));
    update();
}

void DropListButton::select_none() {
    current_ = -1;
    if (popup_ != nullptr) {
        popup_->list()->setCurrentRow(-1);
        popup_->set_remembered_row(-1);
    }
    setText(QString());
    update();
}

// While the list exists its row is the truth: the popup moves it as the operator browses.
int DropListButton::current_index() const {
    if (!attached_)
        return -1;
    return popup_ != nullptr ? popup_->list()->currentRow() : current_;
}

QString DropListButton::item_text(int index) const {
    if (index < 0 || index >= count())
        return {};
    return items_.at(index);
}

int DropListButton::count() const {
    return static_cast<int>(items_.size());
}

void DropListButton::set_text_colours(QColor normal, QColor hover) {
    normal_text_ = normal;
    hover_text_ = hover;
    update();
}

void DropListButton::set_fonts(const QFont& normal, const QFont& hover) {
    normal_font_ = normal;
    hover_font_ = hover;
    if (popup_ != nullptr)
        popup_->list()->setFont(normal);
    update();
}

void DropListButton::set_multi_line(bool multi_line, Qt::Alignment alignment) {
    multi_line_ = multi_line;
    alignment_ = alignment;
    update();
}

void DropListButton::set_use_hand_cursor(bool use) {
    use_hand_cursor_ = use;
    setCursor(use ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

bool DropListButton::popup_visible() const {
    return popup_ != nullptr && popup_->isVisible();
}

int DropListButton::drop_height() const {
    int n = count();
    int rows = n * DropListDelegate::kItemHeight;
    return (n > 0 && rows < max_drop_height_) ? rows : max_drop_height_;
}

int DropListButton::drop_height(int room) const {
    int wanted = drop_height();
    if (wanted <= room)
        return wanted;
    int row = DropListDelegate::kItemHeight;
    return std::max(row, room / row * row);
}

QRect DropListButton::caption_rect() const {
    if (multi_line_)
        return rect().adjusted(0, 4, 0, 0);
    return rect().adjusted(5, 0, -20, 0);
}

void DropListButton::open_popup() {
    if (popup() == nullptr)
        return;
    QPoint corner = mapToGlobal(QPoint(0, height() - 1));
    QPoint top = mapToGlobal(QPoint(0, 0));
    QRect screen_area = screen() != nullptr ? screen()->availableGeometry() : QRect();
    int below = screen_area.isValid() ? screen_area.bottom() - corner.y() : drop_height() + 1;
    int above = screen_area.isValid() ? top.y() - screen_area.top() : 0;
    // under the button unless the list fits better above it
    bool upwards = below < drop_height() + 1 && above > below;
    int height = drop_height((upwards ? above : below) - 1) + 1;
    popup_rect_ = upwards ? QRect(QPoint(top.x(), top.y() - height + 1), QSize(width(), height))
                          : QRect(corner, QSize(width(), height));
    popup_->setGeometry(popup_rect_);
    popup_->show();
    popup_->list()->setFocus(Qt::PopupFocusReason);
    if (popup_->remembered_row() >= 0)
        popup_->list()->scrollToItem(popup_->list()->item(popup_->remembered_row()));
}

void DropListButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    hover_ = false;
    if (popup_visible()) {
        if (!popup_rect_.contains(event->globalPosition().toPoint()))
            popup_->hide();
        return;
    }
    open_popup();
    update();
}

// The popup, not a click, makes the choice: a release on the button is not a click.
void DropListButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void DropListButton::choose_from_popup(int index) {
    current_ = index;
    setText(item_text(index));
    hover_ = true;
    setFocus(Qt::OtherFocusReason);
    update();
    emit selected(list_id_, index);
}

void DropListButton::wheelEvent(QWheelEvent* event) {
    wheel_ = std::clamp(wheel_ + event->angleDelta().y(), -kWheelNotch, kWheelNotch);
    event->accept();
    if (count() == 0)
        return;
    int current = std::max(0, current_index());
    if (wheel_ == -kWheelNotch)
        step(std::min(count() - 1, current + 1));
    else if (wheel_ == kWheelNotch)
        step(std::max(0, current - 1));
}

void DropListButton::step(int index) {
    select(index);
    emit selected(list_id_, index);
    wheel_ = 0;
}

void DropListButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void DropListButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

// Enter and Space open the list on the press; the base class would click on the release.
void DropListButton::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    bool opens = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space ||
                 (key == Qt::Key_Down && event->modifiers() == Qt::AltModifier);
    if (!opens || event->isAutoRepeat()) {
        QAbstractButton::keyPressEvent(event);
        return;
    }
    event->accept();
    if (isEnabled() && !popup_visible())
        open_popup();
}

void DropListButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        event->accept();
        return;
    }
    QAbstractButton::keyReleaseEvent(event);
}

void DropListButton::focusInEvent(QFocusEvent* event) {
    if (popup_visible())
        popup_->list()->setFocus(Qt::OtherFocusReason);
    QAbstractButton::focusInEvent(event);
}

void DropListButton::focusOutEvent(QFocusEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::focusOutEvent(event);
}

void DropListButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    int image = hover_ ? hover_image_ : normal_image_;
    QPixmap face = skin::SkinArt::has(image)
                       ? skin::SkinArt::pixmap(image, size(), devicePixelRatioF())
                       : QPixmap();
    if (face.isNull())
        painter.fillRect(rect(), palette().button());
    else
        painter.drawPixmap(0, 0, face);
    FocusRing::paint(painter, *this);
    if (text().isEmpty())
        return;
    painter.setFont(hover_ ? hover_font_ : normal_font_);
    painter.setPen(hover_ ? hover_text_ : normal_text_);
    QRect area = caption_rect();
    if (multi_line_) {
        painter.drawText(area, static_cast<int>(alignment_ | Qt::AlignVCenter) | Qt::TextWordWrap,
                         text());
        return;
    }
    QString shown = painter.fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, shown);
}

}  // namespace kestra
