#pragma once

#include <cstdint>

#include "model/state_fields.h"

namespace kestra {

// One field of the state (a StateFields unit and slot) with its value before and after a step.
struct FieldChange {
    uint16_t unit = 0;
    uint16_t slot = 0;
    FieldValue before;
    FieldValue after;
};

}  // namespace kestra
