#include "controls/level_meter.h"

#include <QPaintEvent>
#include <algorithm>

#include "params/level_law.h"
#include "skin/skin_font.h"
#include "skin/skin_palette.h"

namespace kestra {

LevelMeter::LevelMeter(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LevelMeter::set_value(double value, int bar) {
    if (!valid_bar(bar))
        return;
    Bar& b = bars_[static_cast<size_t>(bar)];
    double clamped = b.maximum > b.minimum ? std::clamp(value, b.minimum, b.maximum) : value;
    if (clamped == b.value)
        return;
    b.value = clamped;
    if (bar < bar_count_ && b.kind == kLevelBar)
        update(bar_rect(bar));
}

double LevelMeter::value(int bar) const {
    return valid_bar(bar) ? bars_[static_cast<size_t>(bar)].value : 0.0;
}

void LevelMeter::set_bar_count(int count) {
    bar_count_ = std::clamp(count, 1, kMaxBars);
    drop_cache();
}

void LevelMeter::set_bar_range(int bar, double minimum, double maximum) {
    if (!valid_bar(bar))
        return;
    Bar& b = bars_[static_cast<size_t>(bar)];
    b.minimum = minimum;
    b.maximum = maximum;
    if (maximum > minimum)
        b.value = std::clamp(b.value, minimum, maximum);
    drop_cache();
}

void LevelMeter::set_bar_kind(int bar, BarKind kind) {
    if (!valid_bar(bar))
        return;
    bars_[static_cast<size_t>(bar)].kind = kind;
    drop_cache();
}

void LevelMeter::set_bar_caption(int bar, const QString& caption) {
    if (!valid_bar(bar))
        return;
    bars_[static_cast<size_t>(bar)].caption = caption;
    drop_cache();
}

void LevelMeter::set_zone_limits(double low, double top) {
    zones_ = {low, top};
    drop_cache();
}

void LevelMeter::set_margins(int top, int bottom) {
    top_margin_ = top;
    bottom_margin_ = bottom;
    drop_cache();
}

void LevelMeter::set_background_colour(QColor colour) {
    background_ = colour;
    drop_cache();
}

QRect LevelMeter::bar_rect(int bar) const {
    // the bar area is the whole client rectangle; right and bottom are exclusive edges
    int l = 0, r = width(), t = 0, b = height();
    int n = bar_count_;
    int left = l + (r - l) * bar / n + 1;
    int right = l + (r - l) * (bar + 1) / n - 1;
    int top = t + top_margin_;
    int bottom = b - bottom_margin_;
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

int LevelMeter::lit_height(int bar) const {
    if (!valid_bar(bar))
        return 0;
    const Bar& b = bars_[static_cast<size_t>(bar)];
    return MeterLadder::lit_height(b.value, b.minimum, b.maximum, bar_rect(bar).height());
}

QRect LevelMeter::lit_rect(int bar) const {
    QRect r = bar_rect(bar);
    int lit = MeterLadder::rows_within(lit_height(bar)) * MeterLadder::kRowHeight;
    return QRect(r.left(), r.bottom() + 1 - lit, r.width(), lit);
}

QString LevelMeter::scale_label(double minimum, double maximum, int step) {
    return QString::asprintf("%.0f", LevelLaw::db(minimum + (maximum - minimum) * step / 6));
}

void LevelMeter::paintEvent(QPaintEvent* event) {
    qreal dpr = devicePixelRatioF();
    if (body_.isNull() || cache_dpr_ != dpr)
        build_cache(dpr);
    QPainter painter(this);
    QRect area = event->rect();
    painter.drawPixmap(area, body_, QRectF(area.topLeft() * dpr, area.size() * dpr));
    for (int g = 0; g < bar_count_; ++g) {
        if (bars_[static_cast<size_t>(g)].kind != kLevelBar)
            continue;
        QRect lit = lit_rect(g).intersected(area);
        if (!lit.isEmpty())
            painter.drawPixmap(lit, lit_, QRectF(lit.topLeft() * dpr, lit.size() * dpr));
    }
}

void LevelMeter::resizeEvent(QResizeEvent* event) {
    drop_cache();
    QWidget::resizeEvent(event);
}

void LevelMeter::drop_cache() {
    body_ = QPixmap();
    lit_ = QPixmap();
    update();
}

// Two layers: the body as it looks with every bar dark, and every ladder fully lit; a paint
// copies the body and then the lit rows of each bar from the second layer.
void LevelMeter::build_cache(qreal dpr) {
    cache_dpr_ = dpr;
    QSize pixels = size() * dpr;
    body_ = QPixmap(pixels.expandedTo(QSize(1, 1)));
    body_.setDevicePixelRatio(dpr);
    lit_ = QPixmap(pixels.expandedTo(QSize(1, 1)));
    lit_.setDevicePixelRatio(dpr);
    body_.fill(background_);
    lit_.fill(Qt::transparent);
    QPainter body(&body_);
    QPainter lit(&lit_);
    body.fillRect(rect(), body_colour());
    for (int g = 0; g < bar_count_; ++g) {
        const Bar& b = bars_[static_cast<size_t>(g)];
        QRect r = bar_rect(g);
        int rows = MeterLadder::rows_within(r.height());
        if (b.kind == kLevelBar) {
            MeterLadder::paint_rows(body, r, rows, zones_, false);
            MeterLadder::paint_rows(lit, r, rows, zones_, true);
        } else {
            paint_scale(body, g);
        }
        paint_caption(body, g);
    }
}

void LevelMeter::paint_scale(QPainter& painter, int bar) const {
    const Bar& b = bars_[static_cast<size_t>(bar)];
    QRect r = bar_rect(bar);
    int x0 = r.left(), x1 = r.left() + r.width(), y0 = r.top(), y1 = r.top() + r.height();
    int w = x1 - x0;
    QFont font = skin::SkinFont::pixels(10);
    painter.setFont(font);
    int text_height = QFontMetrics(font).height();
    for (int i = 0; i <= 6; ++i) {
        int y = y1 - i * (y1 - y0) / 6;
        painter.setPen(skin::SkinPalette::scale_text());
        painter.drawLine(x1 - 2 * w / 12, y, x1 - w / 12, y);
        painter.setPen(Qt::white);
        QRect label(x0 + w / 10, y - text_height / 2, 30 - w / 10, text_height);
        painter.drawText(label, Qt::AlignCenter | Qt::TextSingleLine,
                         scale_label(b.minimum, b.maximum, i));
    }
}

void LevelMeter::paint_caption(QPainter& painter, int bar) const {
    const Bar& b = bars_[static_cast<size_t>(bar)];
    if (b.caption.isEmpty())
        return;
    QRect r = bar_rect(bar);
    painter.setFont(skin::SkinFont::pixels(16));
    painter.setPen(Qt::white);
    painter.drawText(QRect(r.left(), r.top() + r.height(), r.width(), 30),
                     Qt::AlignCenter | Qt::TextSingleLine, b.caption);
}

}  // namespace kestra
