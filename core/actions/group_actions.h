#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/action_context.h"
#include "text/name_codec.h"

namespace kestra {

// The GROUPS page as data, and the activation of control and mute groups. Groups and
// channels are zero-based here. Membership and links live in DeviceState.groups; the page
// itself sends nothing, only mute-group activation does ("A" per member).
class GroupActions {
public:
    enum class Mode { Control, Mute };
    enum class Membership { Changed, Refused, TooMany };

    static constexpr const char* kTooManyMembers = "同步通道不能超过8路";
    static constexpr const char* kNameTooWide =
        "The group name is too long: it holds at most 15 letters, or 7 Chinese characters; a "
        "Chinese character takes the room of two letters.";
    static constexpr const char* kNameNotEncodable =
        "The group name has characters that the processor's code page cannot hold.";
    static constexpr int kMaxMembers = 8;
    static constexpr std::chrono::milliseconds kMuteGroupPause{20};

    explicit GroupActions(ActionContext& context) : ctx_(context) {}

    // The page switch: control mode, then a click on "CONTROL 1".
    void show();
    // Whether a change replaced the group records as a whole (a connect's read, a recall, a
    // recovery, an undo). The selection's link buttons were made from the records replaced.
    static bool replaces_groups(const StateChange& change);
    // After such a change while the page is away: control mode with no control group
    // selected, so that the next show() selects CONTROL 1 rather than deselect it.
    void start_over();
    // After such a change while the page is on show: the selection stays and its link
    // buttons are those of the new records.
    void reread();
    void set_mode(Mode mode);
    Mode mode() const { return mode_; }

    // A click on a group button: selects the group, or deselects it when it was selected.
    void click_control_group(int group);
    void click_mute_group(int group);
    // Selects the group as a click does, but keeps it selected when it already was; for
    // scripted use.
    void select_control_group(int group);
    void select_mute_group(int group);
    int selected_control_group() const { return control_selected_; }  // -1: none
    int selected_mute_group() const { return mute_selected_; }        // -1: none

    // The link buttons on show, in the page's order, and whether one is lit.
    const std::vector<GroupLink>& shown_links() const { return shown_links_; }
    bool link_lit(GroupLink link) const;
    // The member buttons of the current mode's selected group; unlit when none is selected.
    bool input_lit(int input) const;
    bool output_lit(int output) const;
    // The selected control group's name in the legacy code page; empty when none is selected.
    std::string name_box() const;
    // A control group's name as the operator reads it (UTF-8).
    std::string group_name(int group) const;
    // The name box's entry: stores the UTF-8 text as the control group's name in the channel
    // names' code page, at most 15 bytes. A name that does not fit or does not convert is
    // refused with a notice and changes nothing. The processor never learns the name.
    bool rename_control_group(int group, std::string_view utf8);

    // Membership clicks in the selected control group. Refusals are silent except the
    // eight-member limit, which shows kTooManyMembers. A change deactivates an active group.
    Membership toggle_control_input(int input);
    Membership toggle_control_output(int output);
    // Mute membership has no restrictions; false only when no mute group is selected.
    bool toggle_mute_input(int input);
    bool toggle_mute_output(int output);
    // A click on a shown link button of the selected control group; false when there is no
    // such button. Strips of an active group keep their copy until it is activated again.
    bool toggle_link(GroupLink link);

    // The main window's activation buttons.
    void set_control_active(int group, bool on);
    bool control_active(int group) const;
    // Mutes (or unmutes) every member, inputs then outputs, each "A" followed by a 20 ms pause.
    void set_mute_active(int group, bool on);
    int active_mute_group() const;  // 1-4, 0 = none
    // A press of mute-group button `group`. The buttons are one set over the one active mute
    // group the state holds: pressing the active group's button releases it; pressing another
    // releases the active group first, except for the channels the pressed group also holds,
    // which stay muted without a frame of their own, and then mutes the pressed group.
    void press_mute_button(int group);

    // "VOL", "MATRIX", "EQ", ... as on the link buttons.
    static const char* link_caption(GroupLink link);
    static std::optional<GroupLink> link_named(std::string_view caption);

private:
    ControlGroup& control(int group);
    const ControlGroup& control(int group) const;
    void show_links_for_members(const ControlGroup& record);
    void show_links(const std::vector<GroupLink>& set);
    bool in_other_control_group(int group, bool input, int index) const;
    Membership add_or_remove(int group, bool input, int index);
    void publish_membership(int group, bool input, int index);
    // Sets `mute` of the members of `group`, leaving out those that `keep` (-1: none) holds,
    // each with its "A"; returns the changes to publish.
    std::vector<StateChange> mute_members(int group, bool on, int keep);
    const NameCodec& codec() const;

    ActionContext& ctx_;
    Mode mode_ = Mode::Control;
    int control_selected_ = -1;
    int mute_selected_ = -1;
    std::vector<GroupLink> shown_links_;
    NameCodec fallback_codec_;
};

}  // namespace kestra
