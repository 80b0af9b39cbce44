#pragma once

#include <cstdint>

namespace kestra {

// Local date and time in the 16-byte layout the image stores (eight 16-bit words).
struct WallTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t day_of_week = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t millisecond = 0;

    bool operator==(const WallTime&) const = default;
};

}  // namespace kestra
