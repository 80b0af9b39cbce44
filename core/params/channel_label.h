#pragma once

#include <string>

#include "model/device_state.h"
#include "text/name_codec.h"

namespace kestra {

// How the journal, the diff and the steps' labels name a unit of the state: the channel's
// short name, or the read-out's label without one ("CH 03", "M 2"), "SYSTEM" or "GROUPS".
// Units are StateFields' numbering.
class ChannelLabel {
public:
    static std::string of(const DeviceState& state, int unit, const NameCodec& codec);
};

}  // namespace kestra
