#include "skin/background_art.h"

#include <QLinearGradient>

#include "skin/skin_ids.h"
#include "skin/skin_palette.h"

namespace kestra::skin {

namespace {

using P = SkinPalette;

// A fixed sequence rather than a random source, so every build draws the same texture.
quint32 next_grain(quint32& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
}

// Full-width horizontal grain lines tile seamlessly in both directions.
void brushed(QPainter& p, QSizeF size, QColor base, quint32 seed) {
    p.fillRect(QRectF(QPointF(0, 0), size), base);
    int rows = static_cast<int>(size.height());
    for (int y = 0; y < rows; ++y) {
        quint32 g = next_grain(seed);
        int shade = static_cast<int>(g % 9u) - 4;
        if (shade == 0)
            continue;
        QColor line = SkinPalette::grain(shade);
        p.fillRect(QRectF(0, y, size.width(), 1), line);
    }
}

}  // namespace

bool BackgroundArt::draws(int id) {
    return natural_size(id).isValid();
}

QSize BackgroundArt::natural_size(int id) {
    switch (id) {
        case kPageBackground:
            return {256, 256};
        case kInputStripBackground:
        case kOutputStripBackground:
            return {64, 64};
        default:
            return {};
    }
}

void BackgroundArt::paint(int id, QPainter& p, QSizeF size) {
    switch (id) {
        case kPageBackground:
            brushed(p, size, SkinPalette::page_metal(), 188u);
            break;
        case kInputStripBackground:
            brushed(p, size, SkinPalette::input_metal(), 189u);
            break;
        case kOutputStripBackground:
            brushed(p, size, SkinPalette::output_metal(), 190u);
            break;
        default:
            break;
    }
}

QImage BackgroundArt::strip_frame(QSize logical_size, qreal dpr) {
    QImage image(logical_size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF r = QRectF(QPointF(0, 0), QSizeF(logical_size)).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(SkinPalette::frame_edge(), 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 5, 5);
    p.setPen(QPen(SkinPalette::frame_inner(), 1.0));
    p.drawRoundedRect(r.adjusted(2, 2, -2, -2), 3, 3);
    QLinearGradient cap(r.topLeft(), r.topLeft() + QPointF(0, 18));
    cap.setColorAt(0.0, SkinPalette::frame_cap_top());
    cap.setColorAt(1.0, SkinPalette::frame_cap_bottom());
    p.setPen(Qt::NoPen);
    p.setBrush(cap);
    p.drawRoundedRect(QRectF(r.left() + 3, r.top() + 3, r.width() - 6, 14), 2, 2);
    return image;
}

}  // namespace kestra::skin
