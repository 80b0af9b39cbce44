#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "model/device_state.h"
#include "text/name_codec.h"

namespace kestra {

class StateJsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The state as JSON: {"inputs": [64], "outputs": [16], "system": {...}} with the field
// names of the image layout; names in UTF-8.
class StateJson {
public:
    static nlohmann::ordered_json to_json(const DeviceState& state, const NameCodec& codec);
    static std::string dump(const DeviceState& state, const NameCodec& codec);

    // Applies the fields present; missing ones keep their value. An unknown field, a wrong
    // type or a value out of range throws StateJsonError naming the field, and then the
    // state is unchanged.
    static void apply(const nlohmann::json& json, DeviceState& state, const NameCodec& codec);
    static void parse(std::string_view text, DeviceState& state, const NameCodec& codec);
};

}  // namespace kestra
