#pragma once

#include <functional>
#include <optional>
#include <string>

#include "actions/action_context.h"

namespace kestra {

// What Enter did with a box's text: stored it, or left everything alone. A refusal carries the
// operator's notice; a text the kind takes no typing for is left alone without one.
struct TypedEntry {
    bool stored = false;
    std::string refusal;
    bool changed = false;  // the store gave the field another value
};

// One parameter kind of the read-out, bound to one channel of a state: the name the read-out
// shows, its value text, how a typed text is limited and stored, and the command that
// carries it. The band kinds of inputs also have a frequency box.
struct ChannelParameter {
    std::string name;
    StateChange change;
    std::function<std::string()> value_text;
    // Stores the text of the value box, limited to the parameter's range.
    std::function<TypedEntry(const std::string&)> store_value;
    std::function<std::string()> frequency_text;                    // null: the box stays empty
    std::function<TypedEntry(const std::string&)> store_frequency;  // null: typing is ignored
    // The command of the stored field; empty where the channel has no such command.
    std::function<DatagramList()> command;
};

// The kinds the views of the product report: channel 0-63 for inputs, 80-95 for outputs.
// Nothing for a kind that has no entry for that kind of channel.
std::optional<ChannelParameter> readout_parameter(DeviceState& state, int channel,
                                                  ReadoutKind kind);

}  // namespace kestra
