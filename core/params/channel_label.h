#pragma once

#include <string>

#include "model/device_state.h"
#include "text/name_codec.h"

namespace kestra {

// How the journal and the diff name a unit of the state: the channel's short name, or "CH3" /
// "OUT2" without one, "SYSTEM" or "GROUPS". Units are StateFields' numbering.
class ChannelLabel {
public:
    static std::string of(const DeviceState& state, int unit, const NameCodec& codec);
};

}  // namespace kestra
