#include "skin/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "skin/skin_palette.h"

namespace kestra::skin {

namespace {

constexpr qreal kGrid = 256.0;
constexpr qreal kChannelX[] = {72.0, 128.0, 184.0};
// Thumb centres: high, low, high, so that the three read as a V.
constexpr qreal kThumbY[] = {82.0, 170.0, 82.0};
constexpr qreal kChannelTop = 48.0;
constexpr qreal kChannelBottom = 208.0;

void paint_panel(QPainter& p) {
    const QRectF panel(14, 14, 228, 228);
    QLinearGradient face(panel.topLeft(), panel.bottomLeft());
    face.setColorAt(0.0, SkinPalette::face_top());
    face.setColorAt(0.12, SkinPalette::panel());
    face.setColorAt(1.0, SkinPalette::panel_deep());
    p.setPen(QPen(SkinPalette::outline(), 6));
    p.setBrush(face);
    p.drawRoundedRect(panel, 44, 44);
    // A thin bevel just inside the outline catches the light along the top edge.
    p.setPen(QPen(SkinPalette::face_highlight(), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(panel.adjusted(6, 6, -6, -6), 38, 38);
}

void paint_channel(QPainter& p, qreal x) {
    const QRectF groove(x - 6, kChannelTop, 12, kChannelBottom - kChannelTop);
    p.setPen(QPen(SkinPalette::face_bottom(), 2));
    p.setBrush(SkinPalette::groove());
    p.drawRoundedRect(groove, 6, 6);
    // Scale marks either side, as on the strips.
    p.setPen(QPen(SkinPalette::engraving(), 3, Qt::SolidLine, Qt::RoundCap));
    for (qreal y = kChannelTop + 16; y < kChannelBottom; y += 32) {
        p.drawLine(QPointF(x - 22, y), QPointF(x - 14, y));
        p.drawLine(QPointF(x + 14, y), QPointF(x + 22, y));
    }
}

void paint_thumb(QPainter& p, qreal x, qreal y) {
    const QRectF thumb(x - 26, y - 14, 52, 28);
    QLinearGradient lit(thumb.topLeft(), thumb.bottomLeft());
    lit.setColorAt(0.0, SkinPalette::lit_top());
    lit.setColorAt(1.0, SkinPalette::lit_bottom());
    p.setPen(QPen(SkinPalette::lit_edge(), 4));
    p.setBrush(lit);
    p.drawRoundedRect(thumb, 7, 7);
    p.setPen(QPen(SkinPalette::lit_glow(), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x - 15, y), QPointF(x + 15, y));
}

}  // namespace

QImage AppIcon::image(int pixels) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixels / kGrid, pixels / kGrid);
    paint_panel(p);
    for (qreal x : kChannelX) {
        paint_channel(p, x);
    }
    for (int i = 0; i < 3; ++i) {
        paint_thumb(p, kChannelX[i], kThumbY[i]);
    }
    return image;
}

}  // namespace kestra::skin
