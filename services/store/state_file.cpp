#include "store/state_file.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <vector>

#include "model/state_image.h"
#include "model/state_json.h"

namespace kestra {

namespace {

bool binary_size(std::size_t size) {
    return size == StateImage::kImageSize || size == StateImage::kSceneSize;
}

bool decode_binary(const std::vector<uint8_t>& bytes, DeviceState& state) {
    return bytes.size() == StateImage::kSceneSize ? StateImage::decode_scene(bytes, state)
                                                  : StateImage::decode(bytes, state);
}

bool looks_like_json(const std::vector<uint8_t>& bytes) {
    for (const uint8_t b : bytes) {
        if (!std::isspace(b)) {
            return b == '{';
        }
    }
    return false;
}

}  // namespace

bool StateFile::load(const std::string& path, const NameCodec& codec, DeviceState& state,
                     std::string& error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(f), {}};
    const std::string sizes = "; an image has 68276 and a scene file 71236";
    if (!looks_like_json(bytes)) {
        if (binary_size(bytes.size()) && decode_binary(bytes, state)) {
            return true;
        }
        error = path + ": " + std::to_string(bytes.size()) + " bytes and no state JSON" + sizes;
        return false;
    }
    try {
        StateJson::parse(std::string(bytes.begin(), bytes.end()), state, codec);
        return true;
    } catch (const StateJsonError& e) {
        // An image whose first byte happens to be '{' is still an image.
        if (binary_size(bytes.size()) && decode_binary(bytes, state)) {
            return true;
        }
        error = path + ": " + e.what();
        return false;
    }
}

}  // namespace kestra
