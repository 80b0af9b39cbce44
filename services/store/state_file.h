#pragma once

#include <string>

#include "model/device_state.h"
#include "text/name_codec.h"

namespace kestra {

// A prepared state on disk, in any of the three forms the tools write: the state JSON, the
// 68,276-byte image, or the 71,236-byte scene file with its group tables.
class StateFile {
public:
    // Reads `path` into `state`: only a regular file, read no further than a state file can
    // be long, with every value checked against its range. On false `error` says why (naming
    // the file) and the state is unchanged. The JSON applies the fields present over the
    // state as it stands; an image or a scene file replaces everything it carries.
    static bool load(const std::string& path, const NameCodec& codec, DeviceState& state,
                     std::string& error);
};

}  // namespace kestra
