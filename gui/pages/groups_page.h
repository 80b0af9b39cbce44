#pragma once

#include <array>
#include <utility>
#include <vector>

#include "controls/tiled_background.h"
#include "model/device_state.h"
#include "model/group_tables.h"
#include "model/state_change.h"
#include "util/publisher.h"

namespace kestra {

class OperatorActions;
class EntryEdit;
class PngButton;
class ValueLabel;

// The GROUPS page: CONTROL or MUTE mode, the four groups of the mode, one member button per
// input and output (captioned with the channels' short names, one set per mode), the link
// buttons the selected control group's member kind offers, and the control group's name.
// Every click goes to the group actions, whose rules decide; the page then shows what they
// hold. The activation buttons are the main window's.
class GroupsPage : public TiledBackground {
    Q_OBJECT

public:
    explicit GroupsPage(OperatorActions& surface, QWidget* parent = nullptr);
    ~GroupsPage() override;

    // The page switch: control mode, then a click on CONTROL 1.
    void show_page();
    void refresh();

private:
    struct MemberSet {
        std::array<PngButton*, kInputCount> inputs{};
        std::array<PngButton*, kOutputCount> outputs{};
    };

    void build_modes();
    void build_groups();
    MemberSet build_members(bool control);
    void build_links();
    void build_name();
    void click_member(bool control, bool input, int index);
    // Stores what the name box holds when it differs from the selected group's name.
    void commit_name();
    void show_members(const MemberSet& set, bool shown);
    void on_change(const StateChange& change);

    OperatorActions& surface_;
    std::array<PngButton*, 2> modes_{};  // CONTROL, MUTE
    std::array<PngButton*, kGroupCount> control_groups_{};
    std::array<PngButton*, kGroupCount> mute_groups_{};
    MemberSet control_members_;
    MemberSet mute_members_;
    std::vector<std::pair<GroupLink, PngButton*>> links_;
    ValueLabel* name_label_ = nullptr;
    EntryEdit* name_ = nullptr;
    bool refresh_due_ = false;
    Publisher<StateChange>::Subscription change_sub_;
};

}  // namespace kestra
