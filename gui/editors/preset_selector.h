#pragma once

#include <functional>

#include "controls/drop_list_button.h"
#include "model/preset_codec.h"

namespace kestra {

class NoticeSink;
class PresetActions;

// An editor's preset list: item 0 "SAVE PRESET" stores the channel's block as a new preset
// (the item appears only once the store succeeded); any other item opens the preset menu at
// the cursor with NAME (the NAME dialog, pre-filled; Cancel changes nothing), RECALL (into
// the edited channel) and DELETE. The list is read again from the store after every change,
// and shows the preset last recalled into the channel.
class PresetSelector : public DropListButton {
    Q_OBJECT

public:
    static constexpr const char* kSaveItem = "SAVE PRESET";

    using Presets = std::function<PresetActions*()>;  // null when the store cannot open
    using Channel = std::function<int()>;

    PresetSelector(const QString& path, PresetTable table, int menu_id, Presets presets,
                   Channel channel, NoticeSink& notices, QWidget* parent);

    // The items from the store; done on each show of the editor.
    void refresh();

private:
    void chosen(int index);
    void select_recalled();
    void act_on(int id, const QString& item);

    PresetTable table_;
    int menu_id_;
    Presets presets_;
    Channel channel_;
    NoticeSink& notices_;
};

}  // namespace kestra
