#include "params/channel_label.h"

#include "model/state_fields.h"
#include "params/parameter_catalogue.h"

namespace kestra {

// A channel reads as the catalogue's rows of it read, so that a step's label and the journal's
// words for its fields name it alike.
std::string ChannelLabel::of(const DeviceState& state, int unit, const NameCodec& codec) {
    std::string channel;
    if (StateFields::is_input(unit)) {
        channel = "in." + std::to_string(unit + 1);
    } else if (StateFields::is_output(unit)) {
        channel = "out." + std::to_string(unit - kInputCount + 1);
    } else {
        return unit == StateFields::kSystemUnit ? "SYSTEM" : "GROUPS";
    }
    const Parameter* row = ParameterCatalogue::find(channel + ".volume");
    return row != nullptr ? ParameterCatalogue::owner_label(*row, state, codec) : channel;
}

}  // namespace kestra
