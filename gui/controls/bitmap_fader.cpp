#include "controls/bitmap_fader.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "controls/focus_ring.h"
#include "skin/skin_art.h"

namespace kestra {

namespace {

QImage keyed(QImage image, QRgb key, int key_x, int key_y) {
    image = image.convertToFormat(QImage::Format_ARGB32);
    qreal dpr = image.devicePixelRatio();
    if (key == BitmapFader::kKeyFromPixel) {
        QPoint at(static_cast<int>(key_x * dpr), static_cast<int>(key_y * dpr));
        key = image.rect().contains(at) ? image.pixel(at) : qRgb(255, 255, 255);
    }
    QRgb opaque_key = key | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] | 0xFF000000u) == opaque_key && qAlpha(line[x]) == 255)
                line[x] = 0;
        }
    }
    return image;
}

}  // namespace

BitmapFader::BitmapFader(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool BitmapFader::load_pair(Pair& pair, int normal_id, int active_id, bool transparent, QRgb key,
                            int key_x, int key_y) {
    if (normal_id == 0) {
        pair = Pair{};
        return true;
    }
    bool ok = skin::SkinArt::has(normal_id) && (active_id == 0 || skin::SkinArt::has(active_id));
    if (!ok)
        return false;
    pair.normal = Image{normal_id, transparent, key, key_x, key_y};
    pair.active = active_id == 0 ? Image{} : Image{active_id, transparent, key, key_x, key_y};
    return true;
}

bool BitmapFader::set_channel_images(int normal_id, int active_id, bool transparent,
                                     QRgb colour_key, int key_x, int key_y) {
    if (!load_pair(channel_, normal_id, active_id, transparent, colour_key, key_x, key_y))
        return false;
    if (channel_.normal.loaded())
        resize(skin::SkinArt::natural_size(normal_id));
    update();
    return true;
}

bool BitmapFader::set_thumb_images(int normal_id, int active_id, bool transparent, QRgb colour_key,
                                   int key_x, int key_y) {
    if (!load_pair(thumb_, normal_id, active_id, transparent, colour_key, key_x, key_y))
        return false;
    thumb_size_ = thumb_.normal.loaded() ? skin::SkinArt::natural_size(normal_id) : QSize();
    update();
    return true;
}

void BitmapFader::set_margins(int left, int top, int right, int bottom) {
    margin_left_ = left;
    margin_top_ = top;
    margin_right_ = right;
    margin_bottom_ = bottom;
    update();
}

void BitmapFader::set_range_minimum(int minimum, bool redraw) {
    set_range(minimum, maximum_, redraw);
}

void BitmapFader::set_range_maximum(int maximum, bool redraw) {
    set_range(minimum_, maximum, redraw);
}

void BitmapFader::set_range(int minimum, int maximum, bool redraw) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
    if (redraw)
        update();
}

void BitmapFader::set_position(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
    update();
}

bool BitmapFader::follow(int position) {
    if (dragging_) {
        return false;
    }
    set_position(position);
    return true;
}

QSize BitmapFader::control_size() const {
    return channel_.normal.loaded() ? skin::SkinArt::natural_size(channel_.normal.id) : size();
}

FaderGeometry BitmapFader::geometry_along_track() const {
    QSize control = control_size();
    FaderGeometry g;
    g.minimum = minimum_;
    g.maximum = maximum_;
    if (options.vertical) {
        g.lead = margin_top_;
        g.trail = margin_bottom_;
        g.length = control.height();
        g.thumb = thumb_size_.height();
    } else {
        g.lead = margin_left_;
        g.trail = margin_right_;
        g.length = control.width();
        g.thumb = thumb_size_.width();
    }
    return g;
}

QRect BitmapFader::thumb_rect() const {
    int pixel = pixel_of(position_);
    if (options.vertical)
        return QRect(margin_left_, pixel - thumb_size_.height() / 2, thumb_size_.width(),
                     thumb_size_.height());
    return QRect(pixel - thumb_size_.width() / 2, margin_top_, thumb_size_.width(),
                 thumb_size_.height());
}

bool BitmapFader::thumb_active() const {
    if (!thumb_.active.loaded())
        return false;
    return options.thumb_image_mode == 2 ? position_ == options.detent_position : dragging_;
}

QString BitmapFader::label_text() const {
    if (options.label_mode == 2)
        return QString::number(static_cast<long long>(options.label_divisor));
    int span = maximum_ - minimum_;
    int v = options.label_bottom_value;
    if (span != 0)
        v += (options.label_top_value - options.label_bottom_value) * (maximum_ - position_) / span;
    double shown = v / options.label_divisor;
    if (shown == std::trunc(shown))
        return QString::number(static_cast<long long>(shown));
    return QString::asprintf("%0.2f", shown);
}

QSize BitmapFader::sizeHint() const {
    return control_size().isValid() ? control_size() : size();
}

QPixmap BitmapFader::pixmap(const Image& image) const {
    qreal dpr = devicePixelRatioF();
    QSize natural = skin::SkinArt::natural_size(image.id);
    if (!image.transparent)
        return skin::SkinArt::pixmap(image.id, natural, dpr);
    // keyed images are made once per ratio; the key is part of the cache entry
    QString key = QStringLiteral("fader-key:%1:%2:%3:%4:%5")
                      .arg(image.id)
                      .arg(image.key)
                      .arg(image.key_x)
                      .arg(image.key_y)
                      .arg(qRound(dpr * 100));
    QPixmap made;
    if (QPixmapCache::find(key, &made))
        return made;
    made = QPixmap::fromImage(
        keyed(skin::SkinArt::image(image.id, dpr), image.key, image.key_x, image.key_y));
    QPixmapCache::insert(key, made);
    return made;
}

bool BitmapFader::press_hits_thumb(const QPoint& point) const {
    if (!options.vertical)
        return true;
    int pixel = pixel_of(position_);
    int half = thumb_size_.height() / 2;
    return point.x() >= margin_left_ && point.x() < margin_left_ + thumb_size_.width() &&
           point.y() >= pixel - half && point.y() < pixel + half;
}

void BitmapFader::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    QPoint point = event->position().toPoint();
    if (!press_hits_thumb(point))
        return;
    setFocus(Qt::MouseFocusReason);
    dragging_ = true;
    int d = along(point);
    int centre = pixel_of(position_);
    int half_thumb = (options.vertical ? thumb_size_.height() : thumb_size_.width()) / 2;
    drag_offset_ = std::abs(d - centre) > half_thumb ? 0 : d - centre;
    drag_to(d);
    repaint();
}

void BitmapFader::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && isEnabled())
        drag_to(along(event->position().toPoint()));
}

void BitmapFader::drag_to(int coordinate) {
    FaderGeometry g = geometry_along_track();
    int target = g.clamp_pixel(coordinate - drag_offset_);
    if (target == g.pixel_of(position_))
        return;
    int before = position_;
    set_position(g.position_of(target));
    if (position_ != before)
        emit moved(options.control_id, position_);
}

void BitmapFader::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_ || !isEnabled())
        return;
    dragging_ = false;
    update();
    emit released(options.control_id, position_);
}

// The double click takes the place of the second press: it starts no drag.
void BitmapFader::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled())
        emit double_clicked(options.control_id, position_);
}

void BitmapFader::keyPressEvent(QKeyEvent* event) {
    if (!isEnabled()) {
        QWidget::keyPressEvent(event);
        return;
    }
    int target = position_;
    switch (event->key()) {
        case Qt::Key_PageUp:
            target = position_ - options.page_step;
            break;
        case Qt::Key_PageDown:
            target = position_ + options.page_step;
            break;
        case Qt::Key_End:
            target = maximum_;
            break;
        case Qt::Key_Home:
            target = minimum_;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            target = position_ + 1;
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            target = position_ - 1;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    step_to(target);
}

// A key or a notch ends like a drag does, so the owner sends exactly what a mouse move sends.
void BitmapFader::step_to(int target) {
    set_position(target);
    emit released(options.control_id, position_);
}

// A turn away from the operator raises the thumb of a vertical fader and moves a horizontal one
// towards its far end; part notches add up until one is whole, and a fast flick is one notch.
void BitmapFader::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (!isEnabled() || dragging_)
        return;
    wheel_ = std::clamp(wheel_ + event->angleDelta().y(), -kWheelNotch, kWheelNotch);
    if (wheel_ != kWheelNotch && wheel_ != -kWheelNotch)
        return;
    int away = wheel_ > 0 ? 1 : -1;
    wheel_ = 0;
    step_to(position_ + (options.vertical ? -away : away));
}

void BitmapFader::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void BitmapFader::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void BitmapFader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint_channel(painter);
    paint_label(painter);
    paint_thumb(painter);
    FocusRing::paint(painter, *this);
}

void BitmapFader::paint_channel(QPainter& painter) const {
    if (!channel_.normal.loaded())
        return;
    QPixmap normal = pixmap(channel_.normal);
    if (!channel_.active.loaded() || !isEnabled()) {
        painter.drawPixmap(0, 0, normal);
        return;
    }
    QPixmap active = pixmap(channel_.active);
    QSize control = control_size();
    int split = pixel_of(position_);
    qreal dpr = normal.devicePixelRatio();
    QRect first = options.vertical ? QRect(0, 0, control.width(), split)
                                   : QRect(0, 0, split, control.height());
    QRect rest = options.vertical ? QRect(0, split, control.width(), control.height() - split)
                                  : QRect(split, 0, control.width() - split, control.height());
    auto source = [dpr](const QRect& r) { return QRectF(r.topLeft() * dpr, r.size() * dpr); };
    painter.drawPixmap(first, active, source(first));
    painter.drawPixmap(rest, normal, source(rest));
}

void BitmapFader::paint_label(QPainter& painter) const {
    if (!options.vertical || !channel_.active.loaded() || !isEnabled() || !options.show_label)
        return;
    QSize control = control_size();
    painter.setPen(Qt::black);
    painter.drawText(
        QRect(0, control.height() - options.label_height, control.width(), options.label_height),
        Qt::AlignCenter | Qt::TextSingleLine, label_text());
}

void BitmapFader::paint_thumb(QPainter& painter) const {
    if (!thumb_.normal.loaded() || !isEnabled())
        return;
    QRect r = thumb_rect();
    painter.drawPixmap(r.topLeft(), pixmap(thumb_active() ? thumb_.active : thumb_.normal));
    if (options.vertical && options.thumb_number > 0) {
        int side = thumb_size_.width() * 2 / 3;
        QRect square(r.left() + thumb_size_.width() / 6, r.top() + thumb_size_.height() / 3, side,
                     side);
        painter.setPen(Qt::white);
        painter.drawText(square, Qt::AlignCenter | Qt::TextSingleLine,
                         QString::number(options.thumb_number));
    }
}

}  // namespace kestra
