#pragma once

#include <stdexcept>
#include <string>

namespace kestra {

// A value an action accepts only within lo..hi; outside it the action throws before it
// changes anything.
inline void require_range(int value, int lo, int hi, const std::string& what) {
    if (value < lo || value > hi) {
        throw std::invalid_argument(what + " " + std::to_string(value) + " is outside " +
                                    std::to_string(lo) + ".." + std::to_string(hi));
    }
}

}  // namespace kestra
