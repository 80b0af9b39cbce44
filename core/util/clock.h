#pragma once

#include <chrono>

#include "model/wall_time.h"

namespace kestra {

// Time as core sees it: a monotonic clock for time-outs and the local wall time for the
// fields the state stores. Services give the system clock; tests give a manual one.
class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    virtual WallTime wall_now() const = 0;
};

// A clock that moves only when told; for tests and for the offline tools.
class ManualClock : public Clock {
public:
    TimePoint now() const override { return now_; }
    WallTime wall_now() const override { return wall_; }

    void advance(std::chrono::steady_clock::duration d) { now_ += d; }
    void set_wall(const WallTime& w) { wall_ = w; }

private:
    TimePoint now_{};
    WallTime wall_{};
};

}  // namespace kestra
