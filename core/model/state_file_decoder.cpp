#include "model/state_file_decoder.h"

#include <exception>
#include <optional>
#include <string_view>

#include "model/state_image.h"
#include "model/state_json.h"
#include "model/state_ranges.h"

namespace kestra {

namespace {

bool binary_size(std::size_t size) {
    return size == StateImage::kImageSize || size == StateImage::kSceneSize;
}

bool decode_binary(std::span<const uint8_t> bytes, DeviceState& state) {
    return bytes.size() == StateImage::kSceneSize ? StateImage::decode_scene(bytes, state)
                                                  : StateImage::decode(bytes, state);
}

bool looks_like_json(std::span<const uint8_t> bytes) {
    for (const uint8_t b : bytes) {
        if (b != ' ' && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != '\v') {
            return b == '{';
        }
    }
    return false;
}

// The JSON form, nullopt with `error` when it is not one.
std::optional<DeviceState> from_json(std::span<const uint8_t> bytes, const NameCodec& codec,
                                     const DeviceState& state, std::string& error) {
    DeviceState staged = state;
    try {
        StateJson::parse(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), staged,
            codec);
        return staged;
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
    }
}

}  // namespace

bool StateFileDecoder::decode(std::span<const uint8_t> bytes, const NameCodec& codec,
                              DeviceState& state, std::string& error) {
    if (bytes.size() > kMaxBytes) {
        error = std::to_string(bytes.size()) + " bytes, more than any state file holds";
        return false;
    }
    std::optional<DeviceState> staged;
    if (looks_like_json(bytes)) {
        staged = from_json(bytes, codec, state, error);
    }
    // An image whose first byte happens to be '{' is still an image.
    if (!staged && binary_size(bytes.size())) {
        DeviceState binary = state;
        if (decode_binary(bytes, binary)) {
            staged = std::move(binary);
        }
    }
    if (!staged) {
        if (!looks_like_json(bytes)) {
            error = std::to_string(bytes.size()) +
                    " bytes and no state JSON; an image has 68276 and a scene file 71236";
        }
        return false;
    }
    if (const std::optional<RangeFault> fault = StateRanges::first_fault(*staged)) {
        error = fault->text();
        return false;
    }
    state = std::move(*staged);
    return true;
}

}  // namespace kestra
