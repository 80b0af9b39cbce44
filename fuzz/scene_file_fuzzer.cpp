// Scene file bytes -> StateImage::decode_scene -> StateRanges, checking that
//  - a file the decoder takes writes back byte for byte,
//  - a file that passes the range check gives every command without a refused field,
//  - a refused file leaves the state unchanged.
// An input is either a whole 71,236-byte file or, shorter, a list of patches over a saved
// default scene (3 bytes of offset, 1 byte of value each), which keeps the mutations on the
// format instead of on its size.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/state_image.h"
#include "stored_checks.h"

namespace {

using namespace kestra;

std::vector<uint8_t> scene_of(const uint8_t* data, std::size_t size) {
    static const std::vector<uint8_t> saved = StateImage::encode_scene(DeviceState{});
    if (size == StateImage::kSceneSize) {
        return {data, data + size};
    }
    std::vector<uint8_t> scene = saved;
    for (std::size_t pos = 0; pos + 4 <= size; pos += 4) {
        const std::size_t offset =
            (data[pos] | (data[pos + 1] << 8) | (data[pos + 2] << 16)) % StateImage::kSceneSize;
        scene[offset] = data[pos + 3];
    }
    return scene;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const DeviceState fresh;
    static DeviceState state;
    state = fresh;
    const std::vector<uint8_t> scene = scene_of(data, size);
    fuzz::require(StateImage::decode_scene(scene, state));
    fuzz::require(StateImage::encode_scene(state) == scene);
    if (!StateRanges::first_fault(state)) {
        fuzz::require_sendable(state, fresh);
    }
    static DeviceState untouched;
    untouched = fresh;
    const std::vector<uint8_t> cut(scene.begin(), scene.end() - 1);
    fuzz::require(!StateImage::decode_scene(cut, untouched) && untouched == fresh);
    return 0;
}
