#include "store/state_file.h"

#include <vector>

#include "model/state_file_decoder.h"
#include "store/scene_file.h"

namespace kestra {

bool StateFile::load(const std::string& path, const NameCodec& codec, DeviceState& state,
                     std::string& error) {
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!SceneFile::read(path, bytes, reason, StateFileDecoder::kMaxBytes)) {
        error = reason;
        return false;
    }
    if (!StateFileDecoder::decode(bytes, codec, state, reason)) {
        error = path + ": " + reason;
        return false;
    }
    return true;
}

}  // namespace kestra
