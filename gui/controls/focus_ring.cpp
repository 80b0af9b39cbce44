#include "controls/focus_ring.h"

#include <QPainter>
#include <QWidget>

#include "skin/skin_palette.h"

namespace kestra {

void FocusRing::paint(QPainter& painter, const QWidget& widget) {
    if (!widget.hasFocus())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(skin::SkinPalette::focus_ring(), kWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // the pen is centred on the path, so inset by half its width to stay inside the widget
    const qreal half = kWidth / 2.0;
    painter.drawRect(QRectF(widget.rect()).adjusted(half, half, -half, -half));
    // a dark line inside keeps the ring apart from a lit control's own accent edge
    painter.setPen(QPen(skin::SkinPalette::panel_deep(), 1));
    painter.drawRect(
        QRectF(widget.rect()).adjusted(kWidth + 0.5, kWidth + 0.5, -kWidth - 0.5, -kWidth - 0.5));
    painter.restore();
}

}  // namespace kestra
