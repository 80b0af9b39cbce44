#pragma once

#include <ostream>

#include "model/state_change.h"

namespace kestra {

// Failed comparisons of changes print their numbers rather than their bytes.
inline void PrintTo(const StateChange& c, std::ostream* os) {
    *os << "{scope " << static_cast<int>(c.scope) << ", index " << c.index << ", block "
        << static_cast<int>(c.block) << ", origin " << static_cast<int>(c.origin) << "}";
}

inline void PrintTo(const LevelReport&, std::ostream* os) {
    *os << "{levels}";
}

}  // namespace kestra
