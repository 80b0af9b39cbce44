#include "actions/group_actions.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "params/group_link_caption.h"
#include "protocol/command_encoder.h"

namespace kestra {

namespace {

using Scope = StateChange::Scope;
using Block = StateChange::Block;

// The link buttons each member kind offers, in the page's order.
const std::vector<GroupLink> kLocalInputLinks{kLinkEq, kLinkComp, kLinkVol, kLinkMatrix,
                                              kLinkPriority};
const std::vector<GroupLink> kNetworkInputLinks{kLinkVol, kLinkMatrix};
const std::vector<GroupLink> kOutputLinks{kLinkEq,   kLinkLimit, kLinkVol,
                                          kLinkLine, kLinkFbk,   kLinkDelay};

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

void check(int value, int lo, int hi, const char* what) {
    if (value < lo || value > hi) {
        throw std::invalid_argument(std::string(what) + " " + std::to_string(value) +
                                    " is outside " + std::to_string(lo) + ".." +
                                    std::to_string(hi));
    }
}

void check_group(int group) {
    check(group, 0, kGroupCount - 1, "group");
}

bool is_local(int input) {
    return input < kProcessedInputs;
}

template <std::size_t N>
int count_set(const std::array<int32_t, N>& flags) {
    return static_cast<int>(
        std::count_if(flags.begin(), flags.end(), [](int32_t f) { return f != 0; }));
}

bool has_input_where(const ControlGroup& g, bool local) {
    for (int i = 0; i < kInputCount; ++i) {
        if (g.input_member[at(i)] != 0 && is_local(i) == local) {
            return true;
        }
    }
    return false;
}

int member_total(const ControlGroup& g) {
    return count_set(g.input_member) + count_set(g.output_member);
}

}  // namespace

ControlGroup& GroupActions::control(int group) {
    check_group(group);
    return ctx_.state().groups.control[at(group)];
}

const ControlGroup& GroupActions::control(int group) const {
    check_group(group);
    return ctx_.state().groups.control[at(group)];
}

bool GroupActions::replaces_groups(const StateChange& change) {
    return change.block == Block::All;
}

void GroupActions::start_over() {
    mode_ = Mode::Control;
    control_selected_ = -1;
    shown_links_.clear();
}

void GroupActions::reread() {
    shown_links_.clear();
    if (mode_ == Mode::Control && control_selected_ >= 0) {
        show_links_for_members(control(control_selected_));
    }
}

void GroupActions::show() {
    shown_links_.clear();
    set_mode(Mode::Control);
    click_control_group(0);
}

void GroupActions::set_mode(Mode mode) {
    mode_ = mode;
    shown_links_.clear();
}

void GroupActions::click_control_group(int group) {
    check_group(group);
    shown_links_.clear();
    if (control_selected_ == group) {
        control_selected_ = -1;
        return;
    }
    control_selected_ = group;
    show_links_for_members(control(group));
}

void GroupActions::click_mute_group(int group) {
    check_group(group);
    shown_links_.clear();
    mute_selected_ = mute_selected_ == group ? -1 : group;
}

void GroupActions::select_control_group(int group) {
    if (control_selected_ == group) {
        control_selected_ = -1;
    }
    click_control_group(group);
}

void GroupActions::select_mute_group(int group) {
    if (mute_selected_ == group) {
        mute_selected_ = -1;
    }
    click_mute_group(group);
}

void GroupActions::show_links_for_members(const ControlGroup& record) {
    if (has_input_where(record, true)) {
        show_links(kLocalInputLinks);
    }
    if (has_input_where(record, false)) {
        show_links(kNetworkInputLinks);
    }
    if (count_set(record.output_member) > 0) {
        show_links(kOutputLinks);
    }
}

// Adds the set's buttons to those on show; a record read from a scene may mix member kinds.
void GroupActions::show_links(const std::vector<GroupLink>& set) {
    for (GroupLink link : set) {
        if (std::find(shown_links_.begin(), shown_links_.end(), link) == shown_links_.end()) {
            shown_links_.push_back(link);
        }
    }
}

bool GroupActions::link_lit(GroupLink link) const {
    if (control_selected_ < 0 ||
        std::find(shown_links_.begin(), shown_links_.end(), link) == shown_links_.end()) {
        return false;
    }
    return control(control_selected_).link[at(link)] != 0;
}

bool GroupActions::input_lit(int input) const {
    check(input, 0, kInputCount - 1, "input");
    const GroupTables& groups = ctx_.state().groups;
    if (mode_ == Mode::Control) {
        return control_selected_ >= 0 &&
               groups.control[at(control_selected_)].input_member[at(input)] != 0;
    }
    return mute_selected_ >= 0 && groups.mute[at(mute_selected_)].input_member[at(input)] != 0;
}

bool GroupActions::output_lit(int output) const {
    check(output, 0, kOutputCount - 1, "output");
    const GroupTables& groups = ctx_.state().groups;
    if (mode_ == Mode::Control) {
        return control_selected_ >= 0 &&
               groups.control[at(control_selected_)].output_member[at(output)] != 0;
    }
    return mute_selected_ >= 0 && groups.mute[at(mute_selected_)].output_member[at(output)] != 0;
}

std::string GroupActions::name_box() const {
    return control_selected_ < 0 ? std::string() : control(control_selected_).name.str();
}

bool GroupActions::in_other_control_group(int group, bool input, int index) const {
    for (int g = 0; g < kGroupCount; ++g) {
        const ControlGroup& other = ctx_.state().groups.control[at(g)];
        const int32_t flag = input ? other.input_member[at(index)] : other.output_member[at(index)];
        if (g != group && flag != 0) {
            return true;
        }
    }
    return false;
}

GroupActions::Membership GroupActions::toggle_control_input(int input) {
    check(input, 0, kInputCount - 1, "input");
    if (control_selected_ < 0) {
        return Membership::Refused;
    }
    // The rules keep groups of one kind; leaving is always allowed, so a mixed record read
    // from a scene can still be cleaned up.
    const ControlGroup& record = control(control_selected_);
    const bool adding = record.input_member[at(input)] == 0;
    if (adding && (count_set(record.output_member) > 0 ||
                   in_other_control_group(control_selected_, true, input) ||
                   has_input_where(record, !is_local(input)))) {
        return Membership::Refused;
    }
    return add_or_remove(control_selected_, true, input);
}

GroupActions::Membership GroupActions::toggle_control_output(int output) {
    check(output, 0, kOutputCount - 1, "output");
    if (control_selected_ < 0) {
        return Membership::Refused;
    }
    const ControlGroup& record = control(control_selected_);
    const bool adding = record.output_member[at(output)] == 0;
    if (adding && (count_set(record.input_member) > 0 ||
                   in_other_control_group(control_selected_, false, output))) {
        return Membership::Refused;
    }
    return add_or_remove(control_selected_, false, output);
}

// The member count is recounted from the flags rather than stepped, so a record read from a
// scene with a wrong count cannot carry its error on or let a ninth member in.
GroupActions::Membership GroupActions::add_or_remove(int group, bool input, int index) {
    ControlGroup& record = control(group);
    int32_t& flag = input ? record.input_member[at(index)] : record.output_member[at(index)];
    if (flag == 0 && member_total(record) >= kMaxMembers) {
        ctx_.notice(kTooManyMembers);
        return Membership::TooMany;
    }
    show_links(input ? (is_local(index) ? kLocalInputLinks : kNetworkInputLinks) : kOutputLinks);
    if (control_active(group)) {
        set_control_active(group, false);
    }
    flag = flag != 0 ? 0 : 1;
    record.member_count = member_total(record);
    publish_membership(group, input, index);
    return Membership::Changed;
}

// Every membership call has flipped a flag.
void GroupActions::publish_membership(int group, bool input, int index) {
    ctx_.changed_if(true, {Scope::Groups, group, Block::Membership});
    ctx_.changed_if(true, {input ? Scope::Input : Scope::Output, index, Block::Membership});
}

bool GroupActions::toggle_mute_input(int input) {
    check(input, 0, kInputCount - 1, "input");
    if (mute_selected_ < 0) {
        return false;
    }
    int32_t& flag = ctx_.state().groups.mute[at(mute_selected_)].input_member[at(input)];
    flag = flag != 0 ? 0 : 1;
    publish_membership(mute_selected_, true, input);
    return true;
}

bool GroupActions::toggle_mute_output(int output) {
    check(output, 0, kOutputCount - 1, "output");
    if (mute_selected_ < 0) {
        return false;
    }
    int32_t& flag = ctx_.state().groups.mute[at(mute_selected_)].output_member[at(output)];
    flag = flag != 0 ? 0 : 1;
    publish_membership(mute_selected_, false, output);
    return true;
}

bool GroupActions::toggle_link(GroupLink link) {
    if (control_selected_ < 0 ||
        std::find(shown_links_.begin(), shown_links_.end(), link) == shown_links_.end()) {
        return false;
    }
    int32_t& flag = control(control_selected_).link[at(link)];
    flag = flag != 0 ? 0 : 1;
    ctx_.changed_if(true, {Scope::Groups, control_selected_, Block::Links});
    return true;
}

bool GroupActions::control_active(int group) const {
    check_group(group);
    return ctx_.state().groups.control_active[at(group)] != 0;
}

void GroupActions::set_control_active(int group, bool on) {
    const ControlGroup& record = control(group);
    ctx_.state().groups.control_active[at(group)] = on ? 1 : 0;
    if (on) {
        ctx_.active_groups().activate(group, record);
    } else {
        ctx_.active_groups().deactivate(group, record);
    }
    // The member strips change their frame colour; the strips' copies of the group live
    // beside the state, so activation is always news.
    ctx_.changed_if(true, {Scope::Groups, group, Block::Activation});
    for (int i = 0; i < kInputCount; ++i) {
        if (record.input_member[at(i)] != 0) {
            ctx_.changed_if(true, {Scope::Input, i, Block::Activation});
        }
    }
    for (int o = 0; o < kOutputCount; ++o) {
        if (record.output_member[at(o)] != 0) {
            ctx_.changed_if(true, {Scope::Output, o, Block::Activation});
        }
    }
}

int GroupActions::active_mute_group() const {
    return ctx_.state().groups.active_mute_group;
}

void GroupActions::set_mute_active(int group, bool on) {
    check_group(group);
    const std::vector<StateChange> changes = mute_members(group, on, -1);
    GroupTables& groups = ctx_.state().groups;
    // Only one mute group is held as active; releasing another one leaves it so.
    if (on) {
        groups.active_mute_group = group + 1;
    } else if (groups.active_mute_group == group + 1) {
        groups.active_mute_group = 0;
    }
    for (const StateChange& c : changes) {
        ctx_.changed_if(true, c);
    }
    ctx_.changed_if(true, {Scope::Groups, group, Block::Activation});
}

void GroupActions::press_mute_button(int group) {
    check_group(group);
    const int held = active_mute_group() - 1;
    if (held == group) {
        set_mute_active(group, false);
        return;
    }
    if (held >= 0) {
        // A channel of both groups would otherwise open for the length of one frame.
        const std::vector<StateChange> released = mute_members(held, false, group);
        ctx_.state().groups.active_mute_group = 0;
        for (const StateChange& c : released) {
            ctx_.changed_if(true, c);
        }
        ctx_.changed_if(true, {Scope::Groups, held, Block::Activation});
    }
    set_mute_active(group, true);
}

std::vector<StateChange> GroupActions::mute_members(int group, bool on, int keep) {
    DeviceState& state = ctx_.state();
    const MuteGroup& record = state.groups.mute[at(group)];
    const MuteGroup* kept = keep >= 0 ? &state.groups.mute[at(keep)] : nullptr;
    const int32_t mute = on ? 1 : 0;
    std::vector<StateChange> changes;
    for (int i = 0; i < kInputCount; ++i) {
        if (record.input_member[at(i)] != 0 &&
            (kept == nullptr || kept->input_member[at(i)] == 0)) {
            const bool wrote = ActionContext::store(state.input(i).mute, mute);
            ctx_.send(encode_fader(state, i + 1), kMuteGroupPause);
            if (wrote) {
                changes.push_back({Scope::Input, i, Block::Strip});
            }
        }
    }
    for (int o = 0; o < kOutputCount; ++o) {
        if (record.output_member[at(o)] != 0 &&
            (kept == nullptr || kept->output_member[at(o)] == 0)) {
            const bool wrote = ActionContext::store(state.output(o).mute, mute);
            ctx_.send(encode_fader(state, kWireOutputBase + o + 1), kMuteGroupPause);
            if (wrote) {
                changes.push_back({Scope::Output, o, Block::Strip});
            }
        }
    }
    return changes;
}

const NameCodec& GroupActions::codec() const {
    return ctx_.names().codec != nullptr ? *ctx_.names().codec : fallback_codec_;
}

std::string GroupActions::group_name(int group) const {
    return codec().to_utf8(control(group).name.str());
}

bool GroupActions::rename_control_group(int group, std::string_view utf8) {
    check_group(group);
    const NameCodec& names = codec();
    if (const auto fit = names.name_fit(utf8); fit != NameCodec::NameFit::Fits) {
        ctx_.notice(fit == NameCodec::NameFit::TooWide ? kNameTooWide : kNameNotEncodable);
        return false;
    }
    const bool wrote = ActionContext::store(control(group).name, FixedText(names.from_utf8(utf8)));
    ctx_.changed_if(wrote, {Scope::Groups, group, Block::Name});
    return true;
}

const char* GroupActions::link_caption(GroupLink link) {
    return GroupLinkCaption::of(link);
}

std::optional<GroupLink> GroupActions::link_named(std::string_view caption) {
    return GroupLinkCaption::named(caption);
}

}  // namespace kestra
