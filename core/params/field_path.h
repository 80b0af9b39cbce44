#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestra {

// A state field as scripts name it: "volume", "matrix_row[3]", "peq_band[1].gain". Indices
// are the zero-based array indices of the state record.
struct FieldPath {
    std::string name;    // "peq_band"
    int index = -1;      // 1; -1 without brackets
    std::string member;  // "gain"; empty without a member

    static std::optional<FieldPath> parse(std::string_view text);
    std::string str() const;

    bool is(std::string_view plain) const { return index < 0 && member.empty() && name == plain; }
    bool is_indexed(std::string_view array) const {
        return index >= 0 && member.empty() && name == array;
    }
    bool is_member(std::string_view array, std::string_view field) const {
        return index >= 0 && name == array && member == field;
    }

    bool operator==(const FieldPath&) const = default;
};

// Which record a scripted "set" addresses.
enum class FieldTarget { Input, Output, System };

}  // namespace kestra
