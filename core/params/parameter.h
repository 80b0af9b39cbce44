#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/state_change.h"
#include "params/field_path.h"
#include "params/readout_kind.h"

namespace kestra {

// What kind of value a parameter holds, as an operator reads it.
enum class ParameterType { Level, Bool, Choice, Frequency, Time, Ratio, Number, Text };

// How the wire field of a command carries the stored value.
enum class WireForm {
    Same,
    Halved,    // EQ gains: 0.2 dB a wire step
    PlusOne,   // PEQ band type
    ZeroAsFF,  // an empty unit slot
    None,      // no command carries it
};

// How a control (slider, list) places the stored value.
enum class ControlForm {
    Linear,        // position = stored - min
    LogFrequency,  // the EQ frequency sliders' log scale
};

// The arithmetic between what is stored and what the operator reads:
// display value = (stored + offset) x scale, shown with `decimals` digits after the point.
struct ValueLaw {
    ParameterType type = ParameterType::Number;
    const char* unit = "";
    int offset = 0;
    double scale = 1.0;
    int decimals = 0;
    WireForm wire = WireForm::Same;
    ControlForm control = ControlForm::Linear;
};

// Where a parameter's stored value lives: a StateFields unit and the field's path in it.
struct StateFieldRef {
    int unit = -1;
    std::string path;  // "peq_band[1].gain", as StateFields::paths names it
    int slot = -1;     // its index among StateFields::paths(unit)

    bool operator==(const StateFieldRef&) const = default;
};

// The command that sends a parameter: its letter and the wire numbers that select what it
// sets ("G" input band). A letter of 0 means no command carries the parameter.
struct ParameterCommand {
    char letter = 0;
    std::vector<int> selector;
    // Carried by the command of every band of the channel, not only the band the selector
    // names (the PEQ switch goes out with each band).
    bool every_band = false;

    // Whether the command `letter` with the wire numbers `channel` and `band` carries it.
    bool sent_by(char step_letter, int channel, int band) const {
        if (letter == 0 || step_letter != letter) {
            return false;
        }
        if (!selector.empty() && selector[0] != channel) {
            return false;
        }
        return selector.size() < 2 || every_band || selector[1] == band;
    }
};

// One row of the catalogue: everything the product knows of one parameter an operator can
// change. Numbers in paths and labels count from 1.
struct Parameter {
    std::string path;   // "in.3.peq.2.gain"
    std::string label;  // "BAND2 GAIN", without the channel
    ValueLaw law;
    int min = 0;  // stored range and step
    int max = 0;
    int step = 1;
    std::vector<std::string> choices;  // Choice: the label of stored min + i; Bool: off, on
    StateFieldRef field;
    // A flag over a field shared by several rows: on when the field holds `selects`
    // (the one active mute group). 0 for a plain field.
    int selects = 0;
    // The field as the actions' commit_field takes it; empty name where none commits it.
    FieldTarget target = FieldTarget::System;
    int index = -1;  // zero-based channel
    FieldPath commit;
    ParameterCommand command;
    int link = -1;  // the GroupLink that copies it to the members of a control group, or -1
    StateChange change{StateChange::Scope::Everything, StateChange::kEvery,
                       StateChange::Block::All};
    std::optional<ReadoutKind> readout_kind;  // the read-out kind that names it

    bool has_range() const { return law.type != ParameterType::Text; }
};

}  // namespace kestra
