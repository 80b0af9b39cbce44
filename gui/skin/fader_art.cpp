#include "skin/fader_art.h"

#include <QLinearGradient>

#include "params/level_law.h"
#include "skin/skin_font.h"
#include "skin/skin_ids.h"
#include "skin/skin_palette.h"

namespace kestra::skin {

namespace {

using P = SkinPalette;

// Volume channel geometry: margins 32, 2, 0, 5 and a 24 x 36 thumb over positions 0..70.
constexpr int kVolumeTrackHeight = 212;
constexpr int kVolumeThumbHeight = 36;
constexpr int kVolumeTop = 2;
constexpr int kVolumeBottom = 5;

qreal volume_pixel(int position, qreal height) {
    qreal travel = height - kVolumeBottom - kVolumeThumbHeight - kVolumeTop;
    return kVolumeTop + position / double(LevelLaw::kMaxVolume) * travel + kVolumeThumbHeight / 2;
}

void volume_channel(QPainter& p, QSizeF size, QColor accent) {
    p.fillRect(QRectF(QPointF(0, 0), size), P::panel());
    qreal groove_x = 32.0 + 12.0;
    qreal top = volume_pixel(0, size.height());
    qreal bottom = volume_pixel(LevelLaw::kMaxVolume, size.height());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(P::outline(), 1.0));
    p.setBrush(P::groove());
    p.drawRoundedRect(QRectF(groove_x - 2.5, top - 4, 5, bottom - top + 8), 2.5, 2.5);
    QColor lip = P::face_highlight();
    lip.setAlpha(60);
    p.setPen(QPen(lip, 1.0));
    p.drawLine(QPointF(groove_x + 3.0, top - 2), QPointF(groove_x + 3.0, bottom + 2));

    p.setFont(SkinFont::pixels(8));
    const int top_db = LevelLaw::db(LevelLaw::kMaxVolume);
    for (int db = top_db; db >= LevelLaw::db(0); db -= 10) {
        const int stored = LevelLaw::stored_of_db(db, LevelLaw::kMaxVolume);
        qreal y = volume_pixel(LevelLaw::fader_position(stored), size.height());
        bool unity = db == 0;
        p.setPen(QPen(unity ? accent : P::engraving().darker(120), 1.0));
        p.drawLine(QPointF(25.0, y), QPointF(30.5, y));
        QRectF label(0.0, y - 5.0, 24.0, 10.0);
        p.setPen(unity ? accent : P::engraving());
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                   db > 0 ? QStringLiteral("+%1").arg(db) : QString::number(db));
    }
    for (int db = 5; db >= -55; db -= 10) {
        qreal y = volume_pixel(10 - db, size.height());
        p.setPen(QPen(P::engraving().darker(200), 1.0));
        p.drawLine(QPointF(27.5, y), QPointF(30.5, y));
    }
}

void horizontal_channel(QPainter& p, QSizeF size, qreal thumb_width, qreal centre_y, bool lit,
                        bool keyed) {
    QRectF all(QPointF(0, 0), size);
    p.fillRect(all, keyed ? QColor(Qt::white) : P::panel());
    qreal left = thumb_width / 2, right = size.width() - thumb_width / 2;
    QRectF groove(left - 2, centre_y - 2.5, right - left + 4, 5);
    p.setRenderHint(QPainter::Antialiasing, !keyed);
    p.setPen(QPen(P::outline(), 1.0));
    p.setBrush(lit ? P::lit_bottom() : P::groove());
    p.drawRect(groove);
    if (lit) {
        p.setPen(Qt::NoPen);
        p.setBrush(P::lit_edge());
        p.drawRect(groove.adjusted(1, 1.5, -1, -1.5));
    }
    if (!keyed) {
        p.setPen(QPen(P::engraving().darker(220), 1.0));
        for (int i = 0; i <= 10; ++i) {
            qreal x = left + (right - left) * i / 10.0;
            qreal tick = (i % 5 == 0) ? 4.0 : 2.0;
            p.drawLine(QPointF(x, centre_y + 5), QPointF(x, centre_y + 5 + tick));
        }
    }
}

void cap(QPainter& p, QSizeF size, bool vertical, QColor line) {
    QRectF all(QPointF(0, 0), size);
    p.fillRect(all, Qt::white);
    p.setRenderHint(QPainter::Antialiasing, false);
    QRectF body = all.adjusted(1, 1, -1, -1);
    QLinearGradient face(body.topLeft(), vertical ? body.bottomLeft() : body.topRight());
    face.setColorAt(0.0, P::cap_shine());
    face.setColorAt(0.45, P::cap_upper());
    face.setColorAt(0.55, P::cap_lower());
    face.setColorAt(1.0, P::cap_foot());
    p.fillRect(body, face);
    p.setPen(QPen(P::outline(), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(all.adjusted(0.5, 0.5, -0.5, -0.5));
    QColor ridge = P::outline();
    ridge.setAlpha(150);
    QColor shine = P::cap_gloss();
    if (vertical) {
        for (qreal y = body.top() + 3; y < body.bottom() - 2; y += 3) {
            if (qAbs(y - body.center().y()) < 4)
                continue;
            p.setPen(QPen(ridge, 1.0));
            p.drawLine(QPointF(body.left() + 2, y), QPointF(body.right() - 2, y));
            p.setPen(QPen(shine, 1.0));
            p.drawLine(QPointF(body.left() + 2, y + 1), QPointF(body.right() - 2, y + 1));
        }
        p.fillRect(QRectF(body.left(), body.center().y() - 1, body.width(), 2), line);
    } else {
        p.fillRect(QRectF(body.center().x() - 1, body.top(), 2, body.height()), line);
    }
}

}  // namespace

bool FaderArt::draws(int id) {
    return natural_size(id).isValid();
}

QSize FaderArt::natural_size(int id) {
    switch (id) {
        case kInputFaderTrack:
        case kOutputFaderTrack:
            return {56, kVolumeTrackHeight};
        case kInputFaderThumb:
        case kOutputFaderThumb:
        case kFaderThumbActive:
            return {24, kVolumeThumbHeight};
        case kTrimTrack:
        case kTrimTrackLit:
            return {96, 20};
        case kTrimThumb:
            return {10, 16};
        case kEditorTrack:
        case kEditorTrackLit:
            return {300, 24};
        case kEditorThumb:
            return {16, 22};
        default:
            return {};
    }
}

void FaderArt::paint(int id, QPainter& p, QSizeF size) {
    switch (id) {
        case kInputFaderTrack:
            volume_channel(p, size, P::lit_glow());
            break;
        case kOutputFaderTrack:
            volume_channel(p, size, P::output_accent());
            break;
        case kInputFaderThumb:
            cap(p, size, true, P::cap_line());
            break;
        case kOutputFaderThumb:
            cap(p, size, true, P::output_accent());
            break;
        case kFaderThumbActive:
            cap(p, size, true, P::lit_glow());
            break;
        case kTrimTrack:
        case kTrimTrackLit:
            horizontal_channel(p, size, 10, 10, id == kTrimTrackLit, true);
            break;
        case kTrimThumb:
            cap(p, size, false, P::lit_glow());
            break;
        case kEditorTrack:
        case kEditorTrackLit:
            horizontal_channel(p, size, 16, 12, id == kEditorTrackLit, false);
            break;
        case kEditorThumb:
            cap(p, size, false, P::cap_line());
            break;
        default:
            break;
    }
}

}  // namespace kestra::skin
