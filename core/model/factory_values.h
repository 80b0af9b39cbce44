#pragma once

#include "model/device_state.h"

namespace kestra {

// The values the recovery writes: every field it names is set, all others keep their value.
// The group records and memberships are cleared too.
void apply_factory_values(DeviceState& state);

}  // namespace kestra
