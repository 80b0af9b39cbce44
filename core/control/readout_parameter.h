#pragma once

#include <functional>
#include <optional>
#include <string>

#include "control/action_context.h"

namespace kestra {

// One parameter kind of the read-out, bound to one channel of a state: the name the read-out
// shows, its value text, how a typed text is limited and stored, and the command that
// carries it. The band kinds of inputs also have a frequency box.
struct ReadoutParameter {
    std::string name;
    StateChange change;
    std::function<std::string()> value_text;
    // Stores the (upper-cased) text of the value box; false when the text stores nothing.
    std::function<bool(const std::string&)> store_value;
    std::function<std::string()> frequency_text;              // null: the box stays empty
    std::function<void(const std::string&)> store_frequency;  // null: typing is ignored
    // The command of the stored field; empty where the channel has no such command.
    std::function<DatagramList()> command;
};

// The kinds the views of the product report: channel 0-63 for inputs, 80-95 for outputs.
// Nothing for a kind that has no entry for that kind of channel.
std::optional<ReadoutParameter> readout_parameter(DeviceState& state, int channel, int kind);

}  // namespace kestra
