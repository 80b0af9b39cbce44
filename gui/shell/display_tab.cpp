#include "shell/display_tab.h"

#include "controller/console.h"
#include "controls/drop_list_button.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "pages/page_controls.h"
#include "skin/skin_ids.h"

namespace kestra {

namespace {

constexpr int kButtonLeft = 40;
constexpr int kListLeft = 240;
constexpr int kTop = 20;
constexpr int kRow = 40;
constexpr int kSwatchSide = 25;
constexpr int kDropHeight = 320;

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

PngButton* key(QWidget* parent, const QString& name, const QString& caption, QRect place) {
    auto* b = new PngButton(parent);
    b->setObjectName(name);
    b->set_images(skin::kButton, skin::kButtonLit);
    b->set_disabled_image(skin::kButtonDisabled);
    b->setText(caption);
    b->setGeometry(place);
    return b;
}

}  // namespace

DisplayTab::DisplayTab(Console& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    build_buttons();
    build_slots();
    build_actions();
    change_sub_ = controller_.surface().context().changes().subscribe(
        [this](const StateChange& c) { on_change(c); });
    show_panel();
}

UnitActions& DisplayTab::units() {
    return controller_.surface().units;
}

void DisplayTab::build_buttons() {
    for (int r = 0; r < kButtons; ++r) {
        PngButton* b = key(this, QStringLiteral("system.unit.%1").arg(r),
                           QString::fromStdString(UnitActions::button_caption(r)),
                           {kButtonLeft, kTop + r * kRow, 140, 30});
        connect(b, &PngButton::clicked, this, [this, r] {
            units().select_unit(r);
            show_panel();
        });
        buttons_[at(r)] = b;
    }
}

void DisplayTab::build_slots() {
    for (int s = 0; s < kSlots; ++s) {
        const int y = kTop + s * kRow;
        const Rgb colour = UnitActions::kSwatch[at(s)];
        ValueLabel* swatch =
            page_controls::label(this, QStringLiteral("system.swatch.%1").arg(s + 1), {},
                                 {kListLeft, y, kSwatchSide, kSwatchSide});
        swatch->set_transparent(false);
        swatch->set_background_colour(QColor(colour.r, colour.g, colour.b));
        DropListButton* list = page_controls::selector(
            this, QStringLiteral("system.slot.%1").arg(s + 1), kListIds[at(s)], skin::kSelector,
            skin::kSelectorHover, {kListLeft + kSwatchSide + 10, y, 130, 25});
        list->set_maximum_drop_height(kDropHeight);
        for (int i = 0; i < UnitActions::kItems; ++i) {
            list->add_item(QString::fromStdString(UnitActions::item_text(i)));
        }
        connect(list, &DropListButton::selected, this, [this, s](int, int index) {
            units().assign_slot(s, index);
            show_panel();
        });
        swatches_[at(s)] = swatch;
        lists_[at(s)] = list;
    }
}

void DisplayTab::build_actions() {
    call_ = key(this, QStringLiteral("system.call"), QStringLiteral("CALL"),
                {kListLeft, kTop + kSlots * kRow + 10, 100, 30});
    connect(call_, &PngButton::clicked, this, [this] { units().call_unit(); });
    reset_ =
        key(this, QStringLiteral("system.units.reset"), QStringLiteral("Reset all WTU300 SETTING"),
            {kListLeft, kTop + (kButtons - 1) * kRow, 220, 30});
    connect(reset_, &PngButton::clicked, this, [this] {
        if (units().reset_all_units()) {
            show_panel();
        }
    });
}

void DisplayTab::refresh() {
    if (!isVisible()) {
        return;
    }
    units().show_units();
    show_panel();
}

void DisplayTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void DisplayTab::on_change(const StateChange& change) {
    // A connect reply, a full-state read or a recall brings a new unit table and button count.
    if (change.scope == StateChange::Scope::Units || page_controls::touches_everything(change)) {
        refresh();
    }
}

void DisplayTab::show_panel() {
    const UnitPanel& panel = units().panel();
    for (int b = 0; b < kButtons; ++b) {
        PngButton* button = buttons_[at(b)];
        button->setVisible(panel.buttons_shown);
        button->setEnabled(panel.button_enabled[at(b)]);
        button->set_disabled_look(!panel.button_enabled[at(b)]);
        button->set_lit(panel.lit_button == b);
    }
    for (int s = 0; s < kSlots; ++s) {
        lists_[at(s)]->setVisible(panel.slot_shown[at(s)]);
        swatches_[at(s)]->setVisible(panel.slot_shown[at(s)]);
        lists_[at(s)]->setEnabled(panel.slot_enabled[at(s)]);
        lists_[at(s)]->select(panel.slot_index[at(s)]);
    }
    call_->setVisible(panel.call_shown);
    call_->setEnabled(panel.call_enabled);
    call_->set_disabled_look(!panel.call_enabled);
}

}  // namespace kestra
