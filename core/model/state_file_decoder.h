#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "model/device_state.h"
#include "text/name_codec.h"

namespace kestra {

// The content of a prepared state file, in any of the three forms the tools write: the state
// JSON, the 68,276-byte image, or the 71,236-byte scene file with its group tables.
class StateFileDecoder {
public:
    // What a reader takes in at most: a state JSON with every field and generous blanks stays
    // far below it, the binary forms are fixed.
    static constexpr std::size_t kMaxBytes = 8u * 1024u * 1024u;

    // Decodes `bytes` over `state`. The JSON applies the fields present over the state as it
    // stands; an image or a scene file replaces everything it carries. The result must hold
    // every value within its range (StateRanges). On false `error` says why and the state is
    // unchanged.
    static bool decode(std::span<const uint8_t> bytes, const NameCodec& codec, DeviceState& state,
                       std::string& error);
};

}  // namespace kestra
