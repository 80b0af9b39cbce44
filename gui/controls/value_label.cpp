#include "controls/value_label.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "skin/skin_art.h"
#include "skin/skin_font.h"

namespace kestra {

QString ValueFormat::text() const {
    if ((off_rule == kOffAtLow && value == off_low) ||
        (off_rule == kOffAtHigh && value == off_high))
        return prefix + QStringLiteral("OFF");
    double v = value / divisor;
    if (v != std::trunc(v))
        return prefix + QString::asprintf("%0.1f", v - offset) + suffix;
    return prefix + QString::number(static_cast<long long>(std::trunc(v - offset))) + suffix;
}

ValueLabel::ValueLabel(QWidget* parent) : QWidget(parent) {}

void ValueLabel::set_text(const QString& text) {
    text_ = text;
    setToolTip(text);
    update();
}

void ValueLabel::set_font_name(const QString& family) {
    font_name_ = family;
    update();
}

void ValueLabel::set_font_size(double points) {
    font_size_ = points;
    update();
}

void ValueLabel::set_text_colour(QColor colour, bool redraw) {
    text_colour_ = colour;
    if (redraw)
        update();
}

void ValueLabel::set_background_colour(QColor colour, bool redraw) {
    background_ = colour;
    if (redraw)
        update();
}

void ValueLabel::set_alignment(int alignment) {
    alignment_ = alignment;
    update();
}

void ValueLabel::set_transparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void ValueLabel::set_frame(bool frame) {
    frame_ = frame;
    update();
}

void ValueLabel::set_image(int id) {
    image_ = id;
    if (skin::SkinArt::has(id))
        resize(skin::SkinArt::natural_size(id));
    update();
}

void ValueLabel::set_text_mode(bool text_mode) {
    text_mode_ = text_mode;
    update();
}

void ValueLabel::set_value(double value) {
    format.value = value;
    update();
}

Qt::Alignment ValueLabel::qt_alignment() const {
    switch (alignment_) {
        case kNear:
            return Qt::AlignLeft | Qt::AlignTop;
        case kFar:
            return Qt::AlignRight | Qt::AlignBottom;
        default:
            return Qt::AlignCenter;
    }
}

// Transparent labels draw nothing under the text: the parent's background shows through, so
// there is no stale copy of it to keep.
void ValueLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!transparent_)
        painter.fillRect(rect(), background_);
    if (image_ != 0) {
        QPixmap picture =
            skin::SkinArt::pixmap(image_, skin::SkinArt::natural_size(image_), devicePixelRatioF());
        if (!picture.isNull())
            painter.drawPixmap(0, 0, picture);
    }
    if (frame_) {
        painter.setPen(text_colour_);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    QFont font = skin::SkinFont::points(font_size_);
    if (!font_name_.isEmpty())
        font.setFamilies(QStringList{font_name_} + font.families());
    painter.setFont(font);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(text_colour_);
    painter.drawText(rect(), static_cast<int>(qt_alignment()) | Qt::TextSingleLine, display_text());
}

bool ValueLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip)
        setToolTip(display_text());
    return QWidget::event(event);
}

void ValueLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void ValueLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit double_clicked();
}

}  // namespace kestra
