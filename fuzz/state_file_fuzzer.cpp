// State file bytes (JSON, image or scene) -> StateFileDecoder, checking that a file it takes
// leaves a state that gives every command, and that a file it refuses changes nothing and
// says why.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "model/state_file_decoder.h"
#include "stored_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace kestra;
    static const NameCodec codec;
    static const DeviceState fresh;
    static DeviceState state;
    state = fresh;
    std::string error;
    if (StateFileDecoder::decode(std::span(data, size), codec, state, error)) {
        fuzz::require_sendable(state, fresh);
    } else {
        fuzz::require(state == fresh && !error.empty());
    }
    return 0;
}
