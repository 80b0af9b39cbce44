// Shell commands of the microphone units and of the parameter read-out.
//
//   unit select U         U 1 is the processor's own button "KESTRA-V ", U 2-11 the units
//                         "WTU-300-01" ... "WTU-300-10" (the buttons in the order shown);
//                         prints the button caption and the shown slots' items, tab-separated
//   unit assign SLOT ITEM SLOT 1-5 of the selected button; ITEM is the list index 0-80 or its
//                         text (NULL, CH01-CH64, M01-M08, D01-D08)
//   unit call | unit reset
//   type CHANNEL KIND TEXT, typefreq CHANNEL KIND TEXT, readout CHANNEL KIND
//                         CHANNEL 0-63 inputs, 80-95 outputs; KIND 0-71; TEXT is the rest of
//                         the line (its words joined by single spaces), possibly empty
#include <ostream>

#include "shell.h"

namespace kestra::ctl {

namespace {

constexpr const char* kUnitUsage =
    "usage: unit select U | unit assign SLOT INDEX | unit call | unit reset";

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

void print_selection(ShellEnv& env, const UnitActions& units) {
    const UnitPanel& panel = units.panel();
    env.out << UnitActions::button_caption(units.selected_unit());
    for (int s = 0; s < UnitPanel::kSlots; ++s) {
        if (panel.slot_shown[static_cast<std::size_t>(s)]) {
            env.out << '\t'
                    << UnitActions::item_text(panel.slot_index[static_cast<std::size_t>(s)]);
        }
    }
    env.out << std::endl;
}

int item_word(const Words& w, std::size_t i) {
    if (const auto named = UnitActions::item_index(upper(w.at(i)))) {
        return *named;
    }
    return word_int(w, i, 0, UnitActions::kItems - 1, "list item");
}

void unit_command(ShellEnv& env, const Words& w) {
    UnitActions& units = env.controller.surface().units;
    const std::string verb = w.size() > 1 ? w[1] : "";
    if (verb == "select" && w.size() == 3) {
        const int button = word_int(w, 2, 1, UnitPanel::kButtons, "unit button");
        units.show_units();
        units.select_unit(button - 1);
        print_selection(env, units);
    } else if (verb == "assign" && w.size() == 4) {
        const int slot = word_int(w, 2, 1, UnitPanel::kSlots, "slot");
        const int item = item_word(w, 3);
        if (units.assign_slot(slot - 1, item) == UnitActions::Assignment::Refused) {
            throw CommandError("unit assign: " + UnitActions::item_text(item) +
                               " stands in another slot; nothing changed");
        }
    } else if (verb == "call" && w.size() == 2) {
        units.call_unit();
    } else if (verb == "reset" && w.size() == 2) {
        if (!units.reset_all_units()) {
            throw CommandError("unit reset: cancelled");
        }
    } else {
        throw CommandError(kUnitUsage);
    }
}

// Selects (CHANNEL, KIND) from words 1 and 2 as a view's report would.
void select_parameter(ShellEnv& env, const Words& w, const char* usage) {
    if (w.size() < 3) {
        throw CommandError(usage);
    }
    const int channel = word_int(w, 1, 0, 95, "channel");
    const ReadoutKind kind = *readout_kind_of(word_int(w, 2, 0, Readout::kKindCount - 1, "kind"));
    if (!Readout::valid(channel, kind)) {
        throw CommandError("channel " + std::to_string(channel) +
                           " does not exist: inputs are 0-63, outputs 80-95");
    }
    env.controller.surface().readout.show_parameter(channel, kind);
}

std::string rest_of_line(const Words& w, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < w.size(); ++i) {
        text += (i > from ? " " : "") + w[i];
    }
    return text;
}

void typed_entry(ShellEnv& env, const Words& w, Readout::Box box) {
    select_parameter(env, w,
                     box == Readout::Box::Value ? "usage: type CHANNEL KIND TEXT"
                                                : "usage: typefreq CHANNEL KIND TEXT");
    env.controller.surface().readout.apply_typed_value(box, rest_of_line(w, 3));
}

void readout_command(ShellEnv& env, const Words& w) {
    if (w.size() != 3) {
        throw CommandError("usage: readout CHANNEL KIND");
    }
    select_parameter(env, w, "usage: readout CHANNEL KIND");
    const ReadoutDisplay& shown = env.controller.surface().readout.display();
    env.out << shown.parameter_name << '\t' << shown.value_text;
    if (!shown.frequency_text.empty()) {
        env.out << '\t' << shown.frequency_text;
    }
    env.out << std::endl;
}

}  // namespace

void add_auto_commands(ShellRegistry& registry) {
    registry.add("unit", unit_command);
    registry.add("type",
                 [](ShellEnv& env, const Words& w) { typed_entry(env, w, Readout::Box::Value); });
    registry.add("typefreq", [](ShellEnv& env, const Words& w) {
        typed_entry(env, w, Readout::Box::Frequency);
    });
    registry.add("readout", readout_command);
}

}  // namespace kestra::ctl
