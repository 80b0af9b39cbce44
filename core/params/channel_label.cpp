#include "params/channel_label.h"

#include "model/state_fields.h"

namespace kestra {

namespace {

std::string named_or(const FixedText& short_name, const char* fallback, int number,
                     const NameCodec& codec) {
    const std::string label = codec.to_utf8(short_name.str());
    return label.empty() ? fallback + std::to_string(number) : label;
}

}  // namespace

std::string ChannelLabel::of(const DeviceState& state, int unit, const NameCodec& codec) {
    if (StateFields::is_input(unit)) {
        return named_or(state.inputs[static_cast<std::size_t>(unit)].short_name, "CH", unit + 1,
                        codec);
    }
    if (StateFields::is_output(unit)) {
        const int m = unit - kInputCount;
        return named_or(state.outputs[static_cast<std::size_t>(m)].short_name, "OUT", m + 1, codec);
    }
    return unit == StateFields::kSystemUnit ? "SYSTEM" : "GROUPS";
}

}  // namespace kestra
