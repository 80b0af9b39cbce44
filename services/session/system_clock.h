#pragma once

#include "util/clock.h"

namespace kestra {

// The clock of the running programs: steady time for time-outs, local time for the state.
class SystemClock final : public Clock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    WallTime wall_now() const override;
};

}  // namespace kestra
