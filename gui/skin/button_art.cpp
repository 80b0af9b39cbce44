#include "skin/button_art.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include "skin/skin_ids.h"
#include "skin/skin_palette.h"

namespace kestra::skin {

namespace {

using P = SkinPalette;

// The colours a lit key wears; the teal set is every key's but MUTE's.
struct KeyLight {
    QColor top, bottom, edge, glow;
};

KeyLight teal_light() {
    return {P::lit_top(), P::lit_bottom(), P::lit_edge(), P::lit_glow()};
}

KeyLight mute_light() {
    return {P::mute_top(), P::mute_bottom(), P::mute_edge(), P::mute_glow()};
}

void key_face(QPainter& p, QRectF r, qreal radius, bool lit, const KeyLight& light = teal_light()) {
    p.setRenderHint(QPainter::Antialiasing);
    QRectF outer = r.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(P::outline(), 1.0));
    QLinearGradient face(outer.topLeft(), outer.bottomLeft());
    face.setColorAt(0.0, lit ? light.top : P::face_top());
    face.setColorAt(1.0, lit ? light.bottom : P::face_bottom());
    p.setBrush(face);
    p.drawRoundedRect(outer, radius, radius);
    // a bevel line just inside the top edge gives the key its raised look
    QRectF inner = outer.adjusted(1.0, 1.0, -1.0, -1.0);
    QColor bevel = lit ? light.edge : P::face_highlight();
    bevel.setAlpha(lit ? 200 : 150);
    p.setPen(QPen(bevel, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(inner, radius - 1.0, radius - 1.0);
    if (lit) {
        QColor glow = light.glow;
        glow.setAlpha(70);
        p.setPen(QPen(glow, 2.0));
        p.drawRoundedRect(inner.adjusted(1.0, 1.0, -1.0, -1.0), radius - 1.5, radius - 1.5);
    }
}

void shelf_glyph(QPainter& p, QRectF r, bool low, bool lit) {
    QRectF g =
        r.adjusted(r.width() * 0.22, r.height() * 0.28, -r.width() * 0.22, -r.height() * 0.28);
    QPainterPath curve;
    qreal hi = g.top(), mid = g.center().y(), lo = g.bottom();
    if (low) {
        curve.moveTo(g.left(), hi);
        curve.lineTo(g.left() + g.width() * 0.3, hi);
        curve.cubicTo(g.center().x(), hi, g.center().x(), mid, g.right() - g.width() * 0.3, mid);
        curve.lineTo(g.right(), mid);
    } else {
        curve.moveTo(g.left(), mid);
        curve.lineTo(g.left() + g.width() * 0.3, mid);
        curve.cubicTo(g.center().x(), mid, g.center().x(), hi, g.right() - g.width() * 0.3, hi);
        curve.lineTo(g.right(), hi);
    }
    p.setPen(QPen(P::engraving().darker(160), 1.0, Qt::DotLine));
    p.drawLine(QPointF(g.left(), lo), QPointF(g.right(), lo));
    p.setPen(QPen(lit ? P::lit_glow() : P::engraving(), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
}

void lamp(QPainter& p, QPointF centre, qreal radius, bool lit) {
    if (lit) {
        QRadialGradient halo(centre, radius * 2.4);
        QColor c = P::online();
        c.setAlpha(110);
        halo.setColorAt(0.0, c);
        halo.setColorAt(1.0, Qt::transparent);
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(centre, radius * 2.4, radius * 2.4);
    }
    QRadialGradient body(centre - QPointF(radius * 0.3, radius * 0.3), radius * 1.2);
    body.setColorAt(0.0, lit ? P::lamp_lit_centre() : P::lamp_dark_centre());
    body.setColorAt(1.0, lit ? P::online() : P::lamp_dark_rim());
    p.setPen(QPen(P::outline(), 1.0));
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);
}

void recessed_panel(QPainter& p, QRectF r, qreal radius, QColor fill) {
    p.setRenderHint(QPainter::Antialiasing);
    QRectF outer = r.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(P::outline(), 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(outer, radius, radius);
    QColor lip = P::face_highlight();
    lip.setAlpha(90);
    p.setPen(QPen(lip, 1.0));
    p.drawLine(QPointF(outer.left() + radius, outer.bottom() - 0.5),
               QPointF(outer.right() - radius, outer.bottom() - 0.5));
}

void bank_key(QPainter& p, QRectF r, bool lit) {
    key_face(p, r, 4.0, lit);
    // the window behind the eight overview bars
    QRectF window = r.adjusted(6, 4, -6, -4);
    p.setPen(QPen(P::outline(), 1.0));
    p.setBrush(P::overview_window());
    p.drawRoundedRect(window, 2.0, 2.0);
}

void name_plate(QPainter& p, QRectF r, bool lit) {
    key_face(p, r, 4.0, lit);
    QRectF plate = r.adjusted(5, 6, -5, -6);
    QLinearGradient lcd(plate.topLeft(), plate.bottomLeft());
    lcd.setColorAt(0.0, P::plate_top(lit));
    lcd.setColorAt(1.0, P::plate_bottom(lit));
    p.setPen(QPen(P::outline(), 1.0));
    p.setBrush(lcd);
    p.drawRoundedRect(plate, 2.0, 2.0);
}

void page_tab(QPainter& p, QRectF r, bool lit) {
    p.setRenderHint(QPainter::Antialiasing);
    QRectF outer = r.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient face(outer.topLeft(), outer.bottomLeft());
    face.setColorAt(0.0, P::tab_top(lit));
    face.setColorAt(1.0, P::tab_bottom(lit));
    p.setPen(QPen(P::outline(), 1.0));
    p.setBrush(face);
    p.drawRoundedRect(outer, 3.0, 3.0);
    qreal bar = 3.0;
    QRectF underline(outer.left() + 6, outer.bottom() - bar - 1.5, outer.width() - 12, bar);
    p.setPen(Qt::NoPen);
    p.setBrush(lit ? P::lit_edge() : P::tab_underline());
    p.drawRoundedRect(underline, 1.0, 1.0);
}

void crosspoint(QPainter& p, QRectF r, bool on) {
    recessed_panel(p, r, 3.0, on ? P::lit_bottom() : P::panel_deep());
    QPointF c = r.center();
    qreal radius = r.width() * 0.18;
    if (on) {
        QRadialGradient glow(c, radius * 2.6);
        QColor g = P::lit_glow();
        g.setAlpha(120);
        glow.setColorAt(0.0, g);
        glow.setColorAt(1.0, Qt::transparent);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, radius * 2.6, radius * 2.6);
    }
    p.setPen(QPen(P::outline(), 1.0));
    p.setBrush(on ? P::lit_glow() : P::dark_led());
    p.drawEllipse(c, radius, radius);
}

}  // namespace

bool ButtonArt::draws(int id) {
    return natural_size(id).isValid();
}

QSize ButtonArt::natural_size(int id) {
    switch (id) {
        case kButton:
        case kButtonLit:
        case kButtonMuteLit:
        case kButtonDisabled:
            return {100, 24};
        case kLowShelf:
        case kLowShelfLit:
        case kHighShelf:
        case kHighShelfLit:
            return {48, 24};
        case kOnline:
        case kOnlineLit:
            return {100, 24};
        case kBank:
        case kBankLit:
            return {84, 56};
        case kNameButton:
        case kNameButtonLit:
            return {100, 60};
        case kPad:
        case kPadLit:
            return {50, 50};
        case kPageTab:
        case kPageTabLit:
            return {120, 32};
        case kRouteOn:
        case kRouteOff:
            return {30, 30};
        default:
            return {};
    }
}

void ButtonArt::paint(int id, QPainter& p, QSizeF size) {
    QRectF r(QPointF(0, 0), size);
    switch (id) {
        case kButton:
        case kButtonLit:
            key_face(p, r, 3.0, id == kButtonLit);
            break;
        case kButtonMuteLit:
            key_face(p, r, 3.0, true, mute_light());
            break;
        case kButtonDisabled:
            recessed_panel(p, r, 3.0, P::disabled_key());
            break;
        case kLowShelf:
        case kLowShelfLit:
            key_face(p, r, 3.0, id == kLowShelfLit);
            shelf_glyph(p, r, true, id == kLowShelfLit);
            break;
        case kHighShelf:
        case kHighShelfLit:
            key_face(p, r, 3.0, id == kHighShelfLit);
            shelf_glyph(p, r, false, id == kHighShelfLit);
            break;
        case kOnline:
        case kOnlineLit:
            recessed_panel(p, r, 3.0, P::panel_deep());
            lamp(p, QPointF(r.left() + 12.0, r.center().y()), 4.0, id == kOnlineLit);
            break;
        case kBank:
        case kBankLit:
            bank_key(p, r, id == kBankLit);
            break;
        case kNameButton:
        case kNameButtonLit:
            name_plate(p, r, id == kNameButtonLit);
            break;
        case kPad:
        case kPadLit:
            key_face(p, r, 5.0, id == kPadLit);
            break;
        case kPageTab:
        case kPageTabLit:
            page_tab(p, r, id == kPageTabLit);
            break;
        case kRouteOn:
        case kRouteOff:
            crosspoint(p, r, id == kRouteOn);
            break;
        default:
            break;
    }
}

}  // namespace kestra::skin
