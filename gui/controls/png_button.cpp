#include "controls/png_button.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "controls/focus_ring.h"
#include "skin/skin_art.h"
#include "skin/skin_font.h"

namespace kestra {

PngButton::PngButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
}

void PngButton::set_images(int first_id, int second_id) {
    images_[0] = first_id;
    images_[1] = second_id;
    if (sizing_ == 1 && skin::SkinArt::has(first_id))
        resize(skin::SkinArt::natural_size(first_id));
    update();
}

void PngButton::set_disabled_image(int id) {
    images_[2] = id;
    update();
}

void PngButton::set_mode(Mode mode) {
    mode_ = mode;
    update();
}

void PngButton::set_lit(bool lit) {
    if (lit_ == lit)
        return;
    lit_ = lit;
    update();
}

void PngButton::set_show_caption(bool show) {
    show_caption_ = show;
    update();
}

void PngButton::set_caption_colour(QColor colour) {
    caption_colour_ = colour;
    update();
}

void PngButton::set_lit_caption_colour(QColor colour) {
    lit_caption_colour_ = colour;
    update();
}

void PngButton::set_caption_size(double points) {
    caption_size_ = points;
    update();
}

void PngButton::set_disabled_look(bool disabled) {
    disabled_look_ = disabled;
    update();
}

void PngButton::set_mini_meter_count(int count) {
    mini_count_ = std::clamp(count, 1, kMaxMiniMeters);
    update();
}

double PngButton::mini_meter_value(int bar) const {
    return bar >= 0 && bar < kMaxMiniMeters ? mini_values_[static_cast<size_t>(bar)] : 0.0;
}

bool PngButton::caption_fits() const {
    const QFontMetrics metrics(skin::SkinFont::points(caption_size_));
    return !show_caption_ || metrics.horizontalAdvance(text()) <= width();
}

void PngButton::set_mini_meter_value(int bar, double value) {
    if (bar < 0 || bar >= kMaxMiniMeters)
        return;
    if (mini_values_[static_cast<size_t>(bar)] == value)
        return;
    mini_values_[static_cast<size_t>(bar)] = value;
    if (vertical_minis_ || horizontal_minis_)
        update();
}

void PngButton::set_mini_meter_range(double minimum, double maximum) {
    mini_minimum_ = minimum;
    mini_maximum_ = maximum;
    update();
}

void PngButton::set_mini_meter_zones(MeterZones zones) {
    mini_zones_ = zones;
    update();
}

void PngButton::set_vertical_mini_meters(bool on) {
    vertical_minis_ = on;
    update();
}

void PngButton::set_horizontal_mini_meters(bool on) {
    horizontal_minis_ = on;
    update();
}

int PngButton::current_image() const {
    if (disabled_look_)
        return images_[2];
    bool second = mode_ == kToggleLook ? lit_ : (isDown() || hover_);
    return images_[second ? 1 : 0];
}

QColor PngButton::current_caption_colour() const {
    return lit_ ? lit_caption_colour_ : caption_colour_;
}

QRect PngButton::vertical_mini_meter_rect(int bar) const {
    int x = (width() - 8 * mini_count_) / 2 + 3 + 8 * bar;
    return QRect(x, 5, 3, std::max(0, height() - 10));
}

QRect PngButton::horizontal_mini_meter_rect(int bar) const {
    int pitch = height() / mini_count_;
    return QRect(10, pitch / 3 + bar * pitch, std::max(0, width() - 20), 5);
}

QSize PngButton::sizeHint() const {
    QSize natural = skin::SkinArt::natural_size(images_[0]);
    return natural.isValid() ? natural : QSize(100, 24);
}

void PngButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    int id = current_image();
    if (id != 0) {
        QPixmap face = skin::SkinArt::pixmap(id, size(), devicePixelRatioF());
        if (!face.isNull())
            painter.drawPixmap(0, 0, face);
    }
    if (show_caption_ && !text().isEmpty()) {
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(skin::SkinFont::points(caption_size_));
        QColor caption = current_caption_colour();
        if (disabled_look_)
            caption.setAlphaF(0.4f);
        painter.setPen(caption);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    }
    paint_mini_meters(painter);
    FocusRing::paint(painter, *this);
}

// Space is the base class's (press on the key, click on its release); Enter clicks at once.
void PngButton::keyPressEvent(QKeyEvent* event) {
    bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier ||
        event->isAutoRepeat()) {
        QAbstractButton::keyPressEvent(event);
        return;
    }
    event->accept();
    if (isEnabled())
        click();
}

int PngButton::mini_lit_pixels(int bar, int length) const {
    return MeterLadder::lit_height(mini_values_[static_cast<size_t>(bar)], mini_minimum_,
                                   mini_maximum_, length);
}

void PngButton::paint_mini_meters(QPainter& painter) const {
    for (int i = 0; i < mini_count_; ++i) {
        if (vertical_minis_) {
            QRect r = vertical_mini_meter_rect(i);
            MeterLadder::paint_rows(painter, r, MeterLadder::rows_within(r.height()), mini_zones_,
                                    false);
            int lit = MeterLadder::rows_within(mini_lit_pixels(i, r.height()));
            MeterLadder::paint_rows(painter, r, lit, mini_zones_, true);
        }
        if (horizontal_minis_) {
            QRect r = horizontal_mini_meter_rect(i);
            MeterLadder::paint_columns(painter, r, MeterLadder::rows_within(r.width()), mini_zones_,
                                       false);
            int lit = MeterLadder::rows_within(mini_lit_pixels(i, r.width()));
            MeterLadder::paint_columns(painter, r, lit, mini_zones_, true);
        }
    }
}

void PngButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PngButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace kestra
