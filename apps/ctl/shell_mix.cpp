#include <string>

#include "shell.h"

namespace kestra::ctl {

namespace {

constexpr const char* kGroupUsage =
    "usage: group control|mute G member input|output N on|off | group control G link "
    "VOL|MATRIX|EQ|COMP|LIMIT|PRIORITY|LINE|FBK|Delay on|off | group control|mute G activate "
    "on|off";
constexpr const char* kRouteUsage = "usage: route N K on|off | route N all";
constexpr const char* kRenameUsage = "usage: rename input|output N NAME";

bool word_on_off(const Words& words, std::size_t i, const char* usage) {
    if (i >= words.size() || (words[i] != "on" && words[i] != "off")) {
        throw CommandError(usage);
    }
    return words[i] == "on";
}

// Selects the group on the page as a click would, but never deselects it.
void select_group(GroupActions& page, bool control, int group) {
    const auto mode = control ? GroupActions::Mode::Control : GroupActions::Mode::Mute;
    if (page.mode() != mode) {
        page.set_mode(mode);
    }
    control ? page.select_control_group(group) : page.select_mute_group(group);
}

void group_member(GroupActions& page, bool control, int group, const Words& w) {
    if (w.size() != 7 || (w[4] != "input" && w[4] != "output")) {
        throw CommandError(kGroupUsage);
    }
    const bool input = w[4] == "input";
    const int n = word_int(w, 5, 1, input ? kInputCount : kOutputCount, "channel");
    const bool on = word_on_off(w, 6, kGroupUsage);
    select_group(page, control, group);
    if ((input ? page.input_lit(n - 1) : page.output_lit(n - 1)) == on) {
        return;
    }
    if (!control) {
        input ? page.toggle_mute_input(n - 1) : page.toggle_mute_output(n - 1);
        return;
    }
    const auto result =
        input ? page.toggle_control_input(n - 1) : page.toggle_control_output(n - 1);
    if (result == GroupActions::Membership::Refused) {
        throw CommandError("group: " + w[4] + " " + w[5] + " cannot change in control group " +
                           w[2] + " (another group holds it, or it mixes member kinds)");
    }
    if (result == GroupActions::Membership::TooMany) {
        throw CommandError("group: control group " + w[2] + " already has 8 members");
    }
}

void group_link(GroupActions& page, int group, const Words& w) {
    const auto link = w.size() == 6 ? GroupActions::link_named(w[4]) : std::nullopt;
    if (!link) {
        throw CommandError(kGroupUsage);
    }
    const bool on = word_on_off(w, 5, kGroupUsage);
    select_group(page, true, group);
    if (page.link_lit(*link) == on) {
        return;
    }
    if (!page.toggle_link(*link)) {
        throw CommandError("group: link " + w[4] + " is not offered for control group " + w[2] +
                           "'s members");
    }
}

void shell_group(ShellEnv& env, const Words& w) {
    if (w.size() < 5 || (w[1] != "control" && w[1] != "mute")) {
        throw CommandError(kGroupUsage);
    }
    const bool control = w[1] == "control";
    const int group = word_int(w, 2, 1, kGroupCount, "group") - 1;
    GroupActions& page = env.controller.surface().groups;
    if (w[3] == "member") {
        group_member(page, control, group, w);
    } else if (w[3] == "link" && control) {
        group_link(page, group, w);
    } else if (w[3] == "activate" && w.size() == 5) {
        const bool on = word_on_off(w, 4, kGroupUsage);
        control ? page.set_control_active(group, on) : page.set_mute_active(group, on);
    } else {
        throw CommandError(kGroupUsage);
    }
}

void shell_route(ShellEnv& env, const Words& w) {
    if (w.size() != 3 && w.size() != 4) {
        throw CommandError(kRouteUsage);
    }
    RoutingActions& routing = env.controller.surface().routing;
    const int input = word_int(w, 1, 1, kInputCount, "input") - 1;
    if (w.size() == 3) {
        if (w[2] != "all") {
            throw CommandError(kRouteUsage);
        }
        routing.show(input);
        routing.toggle_all();
        return;
    }
    const int route = word_int(w, 2, 1, RoutingActions::kRouteCount, "route") - 1;
    routing.set_route(input, route, word_on_off(w, 3, kRouteUsage) ? 1 : 0);
}

// The name is the rest of the line; words are joined by single spaces.
void shell_rename(ShellEnv& env, const Words& w) {
    if (w.size() < 3 || (w[1] != "input" && w[1] != "output")) {
        throw CommandError(kRenameUsage);
    }
    const bool input = w[1] == "input";
    const int n = word_int(w, 2, 1, input ? kInputCount : kOutputCount, "channel");
    std::string name;
    for (std::size_t i = 3; i < w.size(); ++i) {
        name += (i > 3 ? " " : "") + w[i];
    }
    StripActions& strips = env.controller.surface().strips;
    if (!(input ? strips.rename_input(n - 1, name) : strips.rename_output(n - 1, name))) {
        throw CommandError("rename: name refused");
    }
}

}  // namespace

void add_mix_commands(ShellRegistry& registry) {
    registry.add("group", shell_group);
    registry.add("route", shell_route);
    registry.add("rename", shell_rename);
}

}  // namespace kestra::ctl
