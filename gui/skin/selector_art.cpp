#include "skin/selector_art.h"

#include <QLinearGradient>
#include <QPainterPath>

#include "skin/skin_ids.h"
#include "skin/skin_palette.h"

namespace kestra::skin {

namespace {

using P = SkinPalette;

void selector(QPainter& p, QRectF r, bool hover, bool strip) {
    p.setRenderHint(QPainter::Antialiasing);
    QRectF outer = r.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient face(outer.topLeft(), outer.bottomLeft());
    if (strip) {
        face.setColorAt(0.0, P::strip_selector_top(hover));
        face.setColorAt(1.0, P::strip_selector_bottom(hover));
    } else {
        face.setColorAt(0.0, hover ? P::hover_top() : P::face_top());
        face.setColorAt(1.0, hover ? P::hover_bottom() : P::face_bottom());
    }
    p.setPen(QPen(hover ? P::lit_edge().darker(130) : P::outline(), 1.0));
    p.setBrush(face);
    p.drawRoundedRect(outer, 3.0, 3.0);

    qreal split = outer.right() - 20.0;
    QColor divider = P::outline();
    p.setPen(QPen(divider, 1.0));
    p.drawLine(QPointF(split, outer.top() + 4), QPointF(split, outer.bottom() - 4));
    QColor lip = P::face_highlight();
    lip.setAlpha(70);
    p.setPen(QPen(lip, 1.0));
    p.drawLine(QPointF(split + 1, outer.top() + 4), QPointF(split + 1, outer.bottom() - 4));

    QPointF c(split + 10.5, outer.center().y() + 1.0);
    QPainterPath arrow;
    arrow.moveTo(c + QPointF(-4.0, -2.5));
    arrow.lineTo(c + QPointF(4.0, -2.5));
    arrow.lineTo(c + QPointF(0.0, 2.5));
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(hover ? P::lit_glow() : P::engraving());
    p.drawPath(arrow);
}

}  // namespace

bool SelectorArt::draws(int id) {
    return natural_size(id).isValid();
}

QSize SelectorArt::natural_size(int id) {
    switch (id) {
        case kSelector:
        case kSelectorHover:
            return {100, 25};
        case kStripSelector:
        case kStripSelectorHover:
            return {100, 24};
        default:
            return {};
    }
}

void SelectorArt::paint(int id, QPainter& p, QSizeF size) {
    bool strip = id == kStripSelector || id == kStripSelectorHover;
    bool hover = id == kSelectorHover || id == kStripSelectorHover;
    selector(p, QRectF(QPointF(0, 0), size), hover, strip);
}

}  // namespace kestra::skin
