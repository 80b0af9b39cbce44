#include "editors/preset_selector.h"

#include <QCursor>

#include "controls/cmenu_ex.h"
#include "controls/menu_resources.h"
#include "controls/name_dialog.h"
#include "operator/operator_attempt.h"
#include "recall/preset_actions.h"
#include "skin/skin_ids.h"

namespace kestra {

namespace {

constexpr int kPresetList = 1011;

enum class Choice { None, Name, Recall, Delete };

Choice choice_of(int command) {
    switch (command) {
        case MenuResources::kPresetName:
        case MenuResources::kName:
            return Choice::Name;
        case MenuResources::kPresetRecall:
        case MenuResources::kRecall:
            return Choice::Recall;
        case MenuResources::kPresetDelete:
        case MenuResources::kDelete:
            return Choice::Delete;
        default:
            return Choice::None;
    }
}

}  // namespace

PresetSelector::PresetSelector(const QString& path, PresetTable table, int menu_id, Presets presets,
                               Channel channel, NoticeSink& notices, QWidget* parent)
    : DropListButton(parent),
      table_(table),
      menu_id_(menu_id),
      presets_(std::move(presets)),
      channel_(std::move(channel)),
      notices_(notices) {
    setObjectName(path);
    set_images(skin::kSelector, skin::kSelectorHover);
    attach(kPresetList);
    add_item(QString::fromLatin1(kSaveItem));
    select(0);
    connect(this, &DropListButton::selected, this, [this](int, int index) { chosen(index); });
}

void PresetSelector::refresh() {
    clear();
    add_item(QString::fromLatin1(kSaveItem));
    if (PresetActions* presets = presets_()) {
        if (const auto items = presets->list(table_)) {
            for (const PresetItem& item : *items) {
                add_item(QString::fromStdString(item.text()));
            }
        }
    }
    select_recalled();
}

// The list names the preset the channel last took, or SAVE PRESET while it took none.
void PresetSelector::select_recalled() {
    PresetActions* presets = presets_();
    const std::optional<int> id =
        presets != nullptr ? presets->last_recalled(table_, channel_()) : std::nullopt;
    for (int i = 1; id && i < count(); ++i) {
        if (PresetActions::item_id(item_text(i).toStdString()) == id) {
            select(i);
            return;
        }
    }
    select(0);
}

void PresetSelector::chosen(int index) {
    PresetActions* presets = presets_();
    if (presets == nullptr) {
        select(0);
        return;
    }
    if (index == 0) {
        if (attempt(notices_, [&] { return presets->save(table_, channel_()); })) {
            refresh();
        }
        select_recalled();
        return;
    }
    const QString item = item_text(index);
    if (const auto id = PresetActions::item_id(item.toStdString())) {
        act_on(*id, item);
    }
    select_recalled();
}

void PresetSelector::act_on(int id, const QString& item) {
    CMenuEx menu(this);
    menu.load(menu_id_);
    PresetActions* presets = presets_();
    switch (choice_of(menu.track(QCursor::pos()))) {
        case Choice::Name: {
            const QString current = item.mid(item.indexOf(QLatin1Char(':')) + 1);
            if (const auto name = NameDialog::ask(window(), current, notices_)) {
                attempt(notices_, [&] { return presets->rename(table_, id, name->toStdString()); });
                refresh();
            }
            break;
        }
        case Choice::Recall:
            // A preset gone meanwhile is told, and the list shows what is left.
            if (!attempt(notices_, [&] { return presets->recall(table_, id, channel_()); })) {
                refresh();
            }
            break;
        case Choice::Delete:
            attempt(notices_, [&] { return presets->remove(table_, id); });
            refresh();
            break;
        case Choice::None:
            break;
    }
}

}  // namespace kestra
