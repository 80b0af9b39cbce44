#include "operator/parameter_setter.h"

#include <stdexcept>

#include "params/parameter_value.h"

namespace kestra {

namespace {

// The number in the last brackets of a state path ("control[2].link[11]" gives 11), or the
// last word of a catalogue path ("group.mute.1.member.in.12" gives 12).
int last_number(std::string_view text) {
    const std::size_t end = text.ends_with(']') ? text.size() - 1 : text.size();
    std::size_t start = end;
    while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') {
        --start;
    }
    int n = 0;
    for (std::size_t i = start; i < end; ++i) {
        n = n * 10 + (text[i] - '0');
    }
    return n;
}

[[noreturn]] void refuse(const Parameter& p, const std::string& why) {
    throw std::invalid_argument(p.path + ": " + why + "; nothing changed");
}

// The group page selected on the group as a click would, but never deselected.
void select_group(GroupActions& page, bool control, int group) {
    const auto mode = control ? GroupActions::Mode::Control : GroupActions::Mode::Mute;
    if (page.mode() != mode) {
        page.set_mode(mode);
    }
    control ? page.select_control_group(group) : page.select_mute_group(group);
}

}  // namespace

int32_t ParameterSetter::set(const Parameter& p, std::string_view text) {
    if (p.law.type == ParameterType::Text) {
        set_name(p, text);
        return 0;
    }
    const ParameterValue::Typed typed = ParameterValue::read(p, text);
    if (!typed.stored) {
        refuse(p, typed.refusal);
    }
    if (!p.commit.name.empty()) {
        actions_.commit_field(p.target, p.index, p.commit, *typed.stored);
    } else if (p.change.scope == StateChange::Scope::Groups) {
        set_group(p, *typed.stored != 0);
    } else if (p.change.scope == StateChange::Scope::Units) {
        set_unit(p, *typed.stored);
    } else {
        refuse(p, "no control sets it");
    }
    return ParameterValue::stored(p, actions_.context().state());
}

void ParameterSetter::set_name(const Parameter& p, std::string_view text) {
    bool stored = false;
    if (p.change.scope == StateChange::Scope::Groups) {
        stored = actions_.groups.rename_control_group(p.index, text);
    } else if (p.target == FieldTarget::Input) {
        stored = actions_.strips.rename_input(p.index, text);
    } else {
        stored = actions_.strips.rename_output(p.index, text);
    }
    if (!stored) {
        refuse(p, "the name was refused");
    }
}

void ParameterSetter::set_group(const Parameter& p, bool on) {
    GroupActions& page = actions_.groups;
    const bool control = p.path.starts_with("group.control.");
    const int group = p.index;
    if (p.change.block == StateChange::Block::Activation) {
        control ? page.set_control_active(group, on) : page.set_mute_active(group, on);
        return;
    }
    select_group(page, control, group);
    if (p.change.block == StateChange::Block::Links) {
        const auto link = static_cast<GroupLink>(last_number(p.field.path));
        if (page.link_lit(link) != on && !page.toggle_link(link)) {
            refuse(p, "the link is not offered for the group's members");
        }
        return;
    }
    const bool input = p.path.find(".member.in.") != std::string::npos;
    const int channel = last_number(p.path) - 1;
    if ((input ? page.input_lit(channel) : page.output_lit(channel)) == on) {
        return;
    }
    if (!control) {
        input ? page.toggle_mute_input(channel) : page.toggle_mute_output(channel);
        return;
    }
    const auto result =
        input ? page.toggle_control_input(channel) : page.toggle_control_output(channel);
    if (result == GroupActions::Membership::Refused) {
        refuse(p, "another group holds the channel, or it mixes member kinds");
    }
    if (result == GroupActions::Membership::TooMany) {
        refuse(p, "the group already has 8 members");
    }
}

void ParameterSetter::set_unit(const Parameter& p, int32_t item) {
    UnitActions& units = actions_.units;
    units.show_units();
    if (units.selected_unit() != p.index) {
        units.select_unit(p.index);
    }
    if (units.assign_slot(last_number(p.path) - 1, item) == UnitActions::Assignment::Refused) {
        refuse(p, "the channel is already assigned elsewhere");
    }
}

}  // namespace kestra
