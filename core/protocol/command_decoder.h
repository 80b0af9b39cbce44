#pragma once

#include <string_view>
#include <vector>

#include "model/device_state.h"
#include "text/name_codec.h"

namespace kestra {

// Reads the setting commands the application sends ("A"-"O", "U", "V", "X") back into a
// state, as the processor applies them: the other side of the command encoder, used by the
// virtual processor and by the round-trip tests. A field that is missing reads as 0; a channel,
// band or group out of range leaves the state alone. Requests, reports and firmware frames are
// not settings and change nothing here.
class CommandDecoder {
public:
    // The fields between the letter and the checksum of a valid frame:
    // "%A,01,03,00,46,B510#" gives A 01 03 00 46.
    static std::vector<std::string_view> fields(std::string_view frame);

    // Applies one command's fields (as `fields` returns them) to `state`.
    static void apply(DeviceState& state, const NameCodec& codec, char letter,
                      const std::vector<std::string_view>& fields);
    // Applies a whole valid frame; false for a frame that fails its checks.
    static bool apply_frame(DeviceState& state, const NameCodec& codec, std::string_view frame);
};

}  // namespace kestra
