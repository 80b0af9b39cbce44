#include "params/field_path.h"

#include <cctype>

namespace kestra {

namespace {

bool is_identifier(std::string_view s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s.front()))) {
        return false;
    }
    for (char c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<FieldPath> FieldPath::parse(std::string_view text) {
    FieldPath path;
    const std::size_t open = text.find('[');
    if (open == std::string_view::npos) {
        if (!is_identifier(text)) {
            return std::nullopt;
        }
        path.name = std::string(text);
        return path;
    }
    const std::size_t close = text.find(']', open);
    if (close == std::string_view::npos || close == open + 1 || close - open > 4) {
        return std::nullopt;
    }
    int index = 0;
    for (char c : text.substr(open + 1, close - open - 1)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        index = index * 10 + (c - '0');
    }
    std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
        if (rest.front() != '.' || !is_identifier(rest.substr(1))) {
            return std::nullopt;
        }
        path.member = std::string(rest.substr(1));
    }
    if (!is_identifier(text.substr(0, open))) {
        return std::nullopt;
    }
    path.name = std::string(text.substr(0, open));
    path.index = index;
    return path;
}

std::string FieldPath::str() const {
    std::string s = name;
    if (index >= 0) {
        s += "[" + std::to_string(index) + "]";
    }
    if (!member.empty()) {
        s += "." + member;
    }
    return s;
}

}  // namespace kestra
