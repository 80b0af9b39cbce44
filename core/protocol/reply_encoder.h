#pragma once

#include <string>

#include "model/device_state.h"
#include "text/name_codec.h"

// The four frames the processor sends, built from a state the way the processor lays them
// out: the virtual processor answers with them, tests and benchmarks feed them back through
// the decoders. Each value is cut to the width of its group, so a frame always keeps its
// layout. The "Y" field 1 and all others the decoders skip carry "01" or "0".
namespace kestra {

// `processed_inputs` is how many inputs the per-input fields carry (the processor may send 32
// or all 64); the fields of all channels and of inputs 1-32 or 33-64 are always complete.
std::string encode_full_state(const DeviceState& state, int processed_inputs = kInputCount);
std::string encode_connect_reply(const DeviceState& state, const NameCodec& codec);
// `talker` is the input number (1-32, 0 for none) of the talker byte.
std::string encode_levels(const DeviceState& state, int talker);
std::string encode_faders(const DeviceState& state);

}  // namespace kestra
