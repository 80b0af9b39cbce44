#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/device_state.h"

namespace kestra {

// The 68,276-byte image of DeviceState and the 71,236-byte scene file (image followed by the
// group records). Little-endian, explicit offsets; never a copy of a compiler's struct layout.
class StateImage {
public:
    static constexpr std::size_t kImageSize = DeviceState::kImageSize;
    static constexpr std::size_t kSceneSize = kImageSize + GroupTables::kImageSize;

    static std::vector<uint8_t> encode(const DeviceState& state);
    // Needs exactly kImageSize bytes; on false the state is unchanged. The group tables are
    // not part of the image and are left as they are.
    static bool decode(std::span<const uint8_t> bytes, DeviceState& state);

    static std::vector<uint8_t> encode_scene(const DeviceState& state);
    // Needs exactly kSceneSize bytes; on false the state is unchanged.
    static bool decode_scene(std::span<const uint8_t> bytes, DeviceState& state);
};

}  // namespace kestra
