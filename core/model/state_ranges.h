#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/device_state.h"

namespace kestra {

// The first value of a state that lies outside its range, named as the operator finds it:
// "input 3 volume", "output 2 geq_band[4].gain", "system automix_cfg[1]",
// "control group 2 link[3]".
struct RangeFault {
    std::string field;
    int32_t value = 0;
    int32_t lo = 0;
    int32_t hi = 0;

    // "input 3 volume 168 is outside 0-70"
    std::string text() const;
};

// The values the processor, the editors and the wire fields work with, for every stored
// field of the state and its group tables. A stored state (a scene file, a state file) is
// checked against them before anything is applied or sent: a value outside them would reach
// the processor as it stands. Levels, the auto-mixer's live states and the connection's
// bookkeeping are not stored settings and have no range; texts and byte tables hold any byte.
class StateRanges {
public:
    static std::optional<RangeFault> first_fault(const DeviceState& state);
};

}  // namespace kestra
