#include "gallery_sections.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QLabel>

#include "controls/bitmap_fader.h"
#include "controls/cmenu_ex.h"
#include "controls/drop_list.h"
#include "controls/drop_list_button.h"
#include "controls/level_meter.h"
#include "controls/menu_resources.h"
#include "controls/name_dialog.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "skin/background_art.h"
#include "skin/scheme_recolour.h"
#include "skin/skin_ids.h"

namespace kestra {

namespace {

using namespace skin;

void hover_over(QWidget* widget) {
    QPointF inside(2, 2);
    QEnterEvent enter(inside, inside, widget->mapToGlobal(inside));
    QCoreApplication::sendEvent(widget, &enter);
}

PngButton* button(QWidget* page, QRect place, int first, int second, const QString& caption,
                  bool lit = false) {
    auto* b = new PngButton(page);
    b->setGeometry(place);
    b->set_images(first, second);
    b->set_disabled_image(kButtonDisabled);
    b->setText(caption);
    b->set_lit(lit);
    return b;
}

ValueLabel* caption(QWidget* page, QRect place, const QString& text, int alignment = 0,
                    double size = 7.5) {
    auto* label = new ValueLabel(page);
    label->setGeometry(place);
    label->set_text(text);
    label->set_alignment(alignment);
    label->set_font_size(size);
    label->set_text_colour(QColor(0x8b, 0x95, 0xa3));
    return label;
}

void snapshot(QWidget* page, QPoint at, const QPixmap& picture) {
    auto* shown = new QLabel(page);
    shown->setPixmap(picture);
    shown->move(at);
    shown->resize(picture.deviceIndependentSize().toSize());
}

}  // namespace

void GallerySections::title(QWidget* page, QPoint at, const QString& text) {
    auto* label = new ValueLabel(page);
    label->setGeometry(at.x(), at.y(), 410, 18);
    label->set_text(text);
    label->set_alignment(ValueLabel::kNear);
    label->set_font_size(9);
    label->set_text_colour(QColor(0x00, 0xc8, 0xe0));
}

void GallerySections::buttons(QWidget* page, QPoint o) {
    title(page, o, QStringLiteral("BUTTONS   normal · lit · hover · disabled"));
    int y = o.y() + 26;
    const char* states[] = {"normal", "lit", "hover", "disabled"};
    for (int i = 0; i < 4; ++i) {
        QRect place(o.x() + i * 112, y, 100, 24);
        PngButton* b = button(page, place, kButton, kButtonMuteLit, QStringLiteral("MUTE"), i == 1);
        if (i == 2) {
            b->set_mode(PngButton::kPushLook);
            hover_over(b);
        }
        if (i == 3)
            b->set_disabled_look(true);
        caption(page, QRect(place.x(), y + 26, 100, 14), QString::fromLatin1(states[i]), 1);
    }
    y += 48;
    button(page, QRect(o.x(), y, 48, 24), kLowShelf, kLowShelfLit, {});
    button(page, QRect(o.x() + 56, y, 48, 24), kLowShelf, kLowShelfLit, {}, true);
    button(page, QRect(o.x() + 112, y, 48, 24), kHighShelf, kHighShelfLit, {});
    button(page, QRect(o.x() + 168, y, 48, 24), kHighShelf, kHighShelfLit, {}, true);
    button(page, QRect(o.x() + 224, y, 100, 24), kOnline, kOnlineLit, QStringLiteral("  OFFLINE"));
    PngButton* online = button(page, QRect(o.x() + 336, y, 100, 24), kOnline, kOnlineLit,
                               QStringLiteral("  ONLINE"));
    online->set_lit_caption_colour(QColor(0xb8, 0xff, 0xcc));
    online->set_lit(true);
    y += 36;
    const char* pages[] = {"CHANNEL", "MODE", "SYSTEM", "GROUPS"};
    for (int i = 0; i < 4; ++i)
        button(page, QRect(o.x() + i * 112, y, 104, 30), kPageTab, kPageTabLit,
               QString::fromLatin1(pages[i]), i == 0)
            ->set_caption_size(8.5);
    y += 42;
    for (int i = 0; i < 4; ++i)
        button(page, QRect(o.x() + i * 58, y, 50, 50), kPad, kPadLit, QString::number(i + 1),
               i == 1)
            ->set_caption_size(11);
    for (int i = 0; i < 4; ++i)
        button(page, QRect(o.x() + 250 + i * 38, y + 10, 30, 30), kRouteOff, kRouteOn, {},
               i % 2 == 1);
    y += 62;
    for (int bank = 0; bank < 2; ++bank) {
        PngButton* b =
            button(page, QRect(o.x() + bank * 96, y, 84, 56), kBank, kBankLit, {}, bank == 0);
        b->set_vertical_mini_meters(true);
        for (int i = 0; i < 8; ++i)
            b->set_mini_meter_value(i, bank == 0 ? 12 + i * 6 : 50 - i * 6);
    }
    for (int i = 0; i < 2; ++i) {
        PngButton* name =
            button(page, QRect(o.x() + 200 + i * 112, y - 2, 100, 60), kNameButton, kNameButtonLit,
                   i == 0 ? QStringLiteral("CH 01") : QStringLiteral("M 1"), i == 1);
        name->set_caption_size(12);
    }
}

void GallerySections::selectors(QWidget* page, QPoint o) {
    title(page, o, QStringLiteral("SELECTORS   normal · hover · open"));
    int y = o.y() + 26;
    auto make = [page](QPoint at, int normal, int hover, const QStringList& items, int pick) {
        auto* s = new DropListButton(page);
        s->move(at);
        s->set_images(normal, hover);
        s->attach(1009);
        for (const QString& item : items)
            s->add_item(item);
        s->select(pick);
        return s;
    };
    QStringList gains;
    for (int n = 0; n <= 40; ++n)
        gains << QStringLiteral("G:%1 dB").arg(n);
    QStringList slopes{QStringLiteral("-12dB/Oct"), QStringLiteral("-18dB/Oct"),
                       QStringLiteral("-24dB/Oct")};
    make({o.x(), y}, kStripSelector, kStripSelectorHover, gains, 12);
    hover_over(make({o.x() + 112, y}, kStripSelector, kStripSelectorHover, gains, 24));
    make({o.x(), y + 36}, kSelector, kSelectorHover, slopes, 0);
    hover_over(make({o.x() + 112, y + 36}, kSelector, kSelectorHover, slopes, 1));

    DropListButton* open =
        make({o.x() + 250, y}, kSelector, kSelectorHover,
             {QStringLiteral("DANTE"), QStringLiteral("AUX1"), QStringLiteral("AUX2"),
              QStringLiteral("AUX3"), QStringLiteral("AUX4")},
             1);
    open->resize(130, 25);
    // the open list drawn in place, as the popup shows it under its selector
    auto* list = new DropList(page);
    list->setFont(QFont(open->font()));
    for (int i = 0; i < open->count(); ++i)
        list->add_item(open->item_text(i));
    list->setCurrentRow(2);
    list->setGeometry(o.x() + 250, y + 24, 130, open->drop_height() + 1);
}

void GallerySections::faders(QWidget* page, QPoint o) {
    title(page, o, QStringLiteral("FADERS   min · mid · max · grabbed · output · disabled"));
    int y = o.y() + 26;
    int positions[] = {0, 35, 70};
    auto volume = [page](QPoint at, int track, int thumb, int position) {
        auto* f = new BitmapFader(page);
        f->move(at);
        f->options.vertical = true;
        f->options.show_label = false;
        f->set_channel_images(track, track);
        f->set_thumb_images(thumb, kFaderThumbActive, true, qRgb(255, 255, 255));
        f->set_margins(32, 2, 0, 5);
        f->set_range(0, 70);
        f->set_position(position);
        return f;
    };
    for (int i = 0; i < 3; ++i)
        volume({o.x() + i * 62, y}, kInputFaderTrack, kInputFaderThumb, positions[i]);
    BitmapFader* grabbed = volume({o.x() + 186, y}, kInputFaderTrack, kInputFaderThumb, 20);
    grabbed->options.thumb_image_mode = 2;
    grabbed->options.detent_position = 20;
    volume({o.x() + 248, y}, kOutputFaderTrack, kOutputFaderThumb, 40);
    volume({o.x() + 310, y}, kInputFaderTrack, kInputFaderThumb, 10)->setEnabled(false);
    for (int i = 0; i < 3; ++i) {
        auto* trim = new BitmapFader(page);
        trim->move(o.x() + i * 104, y + 222);
        trim->set_channel_images(kTrimTrack, kTrimTrackLit, true, qRgb(255, 255, 255));
        trim->set_thumb_images(kTrimThumb, kTrimThumb, true, qRgb(255, 255, 255));
        trim->set_margins(0, 2, 0, 0);
        trim->set_range(0, 200);
        trim->set_position(i * 100);
    }
    for (int i = 0; i < 2; ++i) {
        auto* slider = new BitmapFader(page);
        slider->move(o.x() + i * 0, y + 250 + i * 30);
        slider->set_channel_images(kEditorTrack, kEditorTrackLit);
        slider->set_thumb_images(kEditorThumb, kEditorThumb, true, qRgb(255, 255, 255));
        slider->set_margins(0, 1, 0, 0);
        slider->set_range(0, 300);
        slider->set_position(i == 0 ? 150 : 300);
    }
}

void GallerySections::meters(QWidget* page, QPoint o) {
    title(page, o, QStringLiteral("METERS   0 · 45 · 60 · 70"));
    int y = o.y() + 26;
    double levels[] = {0, 45, 60, 70};
    for (int i = 0; i < 4; ++i) {
        auto* m = new LevelMeter(page);
        m->setGeometry(o.x() + i * 38, y, 30, 200);
        m->set_bar_count(1);
        m->set_bar_range(0, 0, 60);
        m->set_zone_limits(0.7, 0.9);
        m->set_margins(0, 0);
        m->set_value(levels[i], 0);
        caption(page, QRect(o.x() + i * 38, y + 202, 30, 14), QString::number(levels[i]), 1);
    }
    auto* editor = new LevelMeter(page);
    editor->setGeometry(o.x() + 160, y, 150, 222);
    editor->set_bar_count(4);
    editor->set_margins(10, 30);
    editor->set_zone_limits(0.7, 0.9);
    editor->set_bar_kind(0, LevelMeter::kScaleColumn);
    editor->set_bar_range(0, 0, 60);
    const char* names[] = {"IN", "GR", "OUT"};
    double values[] = {48, 12, 40};
    for (int bar = 1; bar < 4; ++bar) {
        editor->set_bar_range(bar, 0, 60);
        editor->set_bar_caption(bar, QString::fromLatin1(names[bar - 1]));
        editor->set_value(values[bar - 1], bar);
    }
}

void GallerySections::labels(QWidget* page, QPoint o) {
    title(page, o, QStringLiteral("LABELS   text · value · OFF · framed · filled"));
    int y = o.y() + 26;
    auto* name = new ValueLabel(page);
    name->setGeometry(o.x(), y, 100, 24);
    name->set_text(QStringLiteral("CH 1"));
    name->set_alignment(ValueLabel::kNear);
    name->set_font_size(9);
    auto* value = new ValueLabel(page);
    value->setGeometry(o.x() + 112, y, 100, 24);
    value->set_text_mode(false);
    value->format.divisor = 10;
    value->format.suffix = QStringLiteral(" dB");
    value->set_value(25);
    value->set_font_size(9);
    auto* off = new ValueLabel(page);
    off->setGeometry(o.x() + 224, y, 100, 24);
    off->set_text_mode(false);
    off->format.off_rule = ValueFormat::kOffAtLow;
    off->format.prefix = QStringLiteral("HPF ");
    off->set_value(1.0);
    off->set_font_size(9);
    off->set_text_colour(QColor(0xff, 0xb0, 0x23));
    auto* framed = new ValueLabel(page);
    framed->setGeometry(o.x(), y + 34, 100, 24);
    framed->set_text(QStringLiteral("-18.0dB"));
    framed->set_frame(true);
    framed->set_font_size(9);
    auto* filled = new ValueLabel(page);
    filled->setGeometry(o.x() + 112, y + 34, 100, 24);
    filled->set_text(QStringLiteral("1:4.0"));
    filled->set_transparent(false);
    filled->set_background_colour(QColor(0x0a, 0x38, 0x40));
    filled->set_font_size(9);
}

void GallerySections::menus(QWidget* page, QPoint o) {
    title(page, o, QStringLiteral("MENUS   218 · 215 · checked"));
    CMenuEx rename;
    rename.load(MenuResources::kRenameMenu);
    snapshot(page, {o.x(), o.y() + 26}, rename.sub_menu(0)->grab());
    CMenuEx preset;
    preset.load(MenuResources::kPresetMenu);
    CMenuEx* items = preset.sub_menu(0);
    items->addSeparator();
    QAction* check = items->addAction(QStringLiteral("LINK"));
    check->setCheckable(true);
    check->setChecked(true);
    items->setActiveAction(items->actions().at(1));
    snapshot(page, {o.x() + 100, o.y() + 26}, items->grab());

    NameDialog dialog;
    dialog.set_name(QStringLiteral("LECTERN"));
    snapshot(page, {o.x() - 20, o.y() + 160}, dialog.grab());
}

void GallerySections::frames(QWidget* page, QPoint o) {
    title(page, o, QStringLiteral("FRAMES   b · g · r"));
    qreal dpr = page->devicePixelRatioF();
    QImage frame = BackgroundArt::strip_frame(QSize(50, 110), dpr);
    const char schemes[] = {'b', 'g', 'r'};
    for (int i = 0; i < 3; ++i)
        snapshot(page, {o.x() + i * 58, o.y() + 26},
                 QPixmap::fromImage(SchemeRecolour::apply(frame, schemes[i])));
}

}  // namespace kestra
