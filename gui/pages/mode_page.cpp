#include "pages/mode_page.h"

#include <QTimer>

#include "controls/drop_list_button.h"
#include "controls/png_button.h"
#include "controls/value_label.h"
#include "operator/operator_actions.h"
#include "pages/page_controls.h"
#include "skin/skin_ids.h"

namespace kestra {

namespace {

using page_controls::button;
using page_controls::label;

constexpr int kColumns = 4;

std::size_t slot(AutomixList list) {
    return static_cast<std::size_t>(list);
}

// The list ids of the thresholds: CH1-CH16 from 1009, CH17-CH32 from 1038.
int threshold_list_id(int channel) {
    return channel < 16 ? 1009 + channel : 1038 + channel - 16;
}

void fill(DropListButton* selector, AutomixList list) {
    for (const std::string& item : AutomixActions::encoding(list).items()) {
        selector->add_item(QString::fromStdString(item));
    }
}

// A list with no chosen item keeps what it showed (a stored hold time of 0 names none).
void show_index(DropListButton* selector, int index) {
    if (index >= 0) {
        selector->select(index);
    }
}

}  // namespace

ModePage::ModePage(OperatorActions& surface, QWidget* parent)
    : TiledBackground(parent, skin::kPageBackground), surface_(surface) {
    setObjectName(QStringLiteral("mode"));
    label(this, QStringLiteral("mode.title"), QStringLiteral("SYNC CH THRESHOLD"),
          {50, 30, 200, 25}, 10);
    sync_ = button(this, QStringLiteral("mode.sync"), QStringLiteral("SYNC"), {260, 30, 100, 25});
    connect(sync_, &PngButton::clicked, this, [this] {
        surface_.automix.toggle_sync();
        load();
    });
    build_thresholds();
    build_settings();
    change_sub_ =
        surface_.context().changes().subscribe([this](const StateChange& c) { on_change(c); });
    hide();
}

ModePage::~ModePage() = default;

void ModePage::build_thresholds() {
    for (int n = 0; n < AutomixActions::kChannels; ++n) {
        const int x = 160 * (n % kColumns) + 50;
        const int y = 40 * (n / kColumns) + 100;
        const QString path = QStringLiteral("mode.ch%1").arg(n + 1);
        PngButton* caption = button(this, path + QStringLiteral(".label"),
                                    QStringLiteral("CH %1").arg(n + 1), {x, y, 50, 25});
        caption->setFocusPolicy(Qt::NoFocus);
        DropListButton* s = page_controls::selector(
            this, path + QStringLiteral(".threshold"), threshold_list_id(n), skin::kStripSelector,
            skin::kStripSelectorHover, {x + 55, y, 100, 25});
        fill(s, AutomixList::Threshold);
        connect(s, &DropListButton::selected, this, [this, n](int, int index) {
            surface_.automix.choose_threshold(n, index);
            load();
        });
        thresholds_[static_cast<std::size_t>(n)] = s;
    }
}

// Each caption sits level with its selector; the template had them 5 pixels higher.
void ModePage::build_settings() {
    label(this, QStringLiteral("mode.hold.label"), QStringLiteral("HOLD TIME"), {50, 480, 120, 25});
    setting(AutomixList::HoldTime, QStringLiteral("mode.hold"), 1025, {180, 480, 100, 25});
    label(this, QStringLiteral("mode.max_open.label"), QStringLiteral("MAX OPEN CH"),
          {290, 480, 200, 25});
    setting(AutomixList::MaxOpen, QStringLiteral("mode.max_open"), 1026, {500, 480, 100, 25});
    last_hold_ = button(this, QStringLiteral("mode.last_hold"), QStringLiteral("LAST HOLD"),
                        {610, 485, 100, 25});
    connect(last_hold_, &PngButton::clicked, this, [this] {
        surface_.automix.toggle_last_hold();
        load();
    });
    label(this, QStringLiteral("mode.nom.label"), QStringLiteral("NOM"), {50, 510, 120, 25});
    setting(AutomixList::Nom, QStringLiteral("mode.nom"), 1030, {180, 510, 100, 25});
    label(this, QStringLiteral("mode.attenuation.label"), QStringLiteral("CLOSED CH, ATTN"),
          {290, 510, 200, 25});
    setting(AutomixList::ClosedAttenuation, QStringLiteral("mode.attenuation"), 1032,
            {500, 510, 100, 25});
}

DropListButton* ModePage::setting(AutomixList list, const QString& path, int list_id, QRect at) {
    DropListButton* s =
        page_controls::selector(this, path, list_id, skin::kSelector, skin::kSelectorHover, at);
    fill(s, list);
    connect(s, &DropListButton::selected, this, [this, list](int, int index) {
        surface_.automix.choose_setting(list, index);
        load();
    });
    settings_[slot(list)] = s;
    return s;
}

void ModePage::load() {
    surface_.automix.show();
    const AutomixPage& page = surface_.automix.page();
    sync_->set_lit(page.sync_lit);
    last_hold_->set_lit(page.last_hold_lit);
    for (std::size_t n = 0; n < thresholds_.size(); ++n) {
        show_index(thresholds_[n], page.threshold_index[n]);
    }
    for (AutomixList list : {AutomixList::HoldTime, AutomixList::MaxOpen, AutomixList::Nom,
                             AutomixList::ClosedAttenuation}) {
        show_index(settings_[slot(list)], page.setting_index[slot(list)]);
    }
}

void ModePage::showEvent(QShowEvent* event) {
    TiledBackground::showEvent(event);
    load();
}

void ModePage::on_change(const StateChange& change) {
    const bool automix =
        change.block == StateChange::Block::Automix &&
        (change.scope == StateChange::Scope::System ||
         (change.scope == StateChange::Scope::Input && change.index < AutomixActions::kChannels));
    if (!isVisible() || refresh_due_ || !(automix || page_controls::touches_everything(change))) {
        return;
    }
    refresh_due_ = true;
    QTimer::singleShot(0, this, &ModePage::refresh);
}

void ModePage::refresh() {
    refresh_due_ = false;
    if (isVisible()) {
        load();
    }
}

}  // namespace kestra
