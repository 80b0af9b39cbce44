#include "recall/store_rows.h"

#include <charconv>

namespace kestra {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::optional<int> StoreRows::id(std::string_view text) {
    text = trimmed(text);
    if (text.empty() || text.front() == '+' || text.front() == '-') {
        return std::nullopt;
    }
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 1) {
        return std::nullopt;
    }
    return value;
}

std::optional<SceneEntry> StoreRows::scene(const std::vector<std::string>& row) {
    if (row.size() < 3) {
        return std::nullopt;
    }
    const std::optional<int> n = id(row[0]);
    if (!n) {
        return std::nullopt;
    }
    return SceneEntry{*n, row[1], row[2]};
}

std::optional<PresetItem> StoreRows::preset(const std::vector<std::string>& row) {
    if (row.size() < 2) {
        return std::nullopt;
    }
    const std::optional<int> n = id(row[0]);
    if (!n) {
        return std::nullopt;
    }
    return PresetItem{*n, row[1]};
}

std::string StoreRows::scene_file_name(std::string_view column) {
    const std::size_t slash = column.find_last_of("/\\");
    const std::string_view name =
        slash == std::string_view::npos ? column : column.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string_view::npos) {
        return {};
    }
    return std::string(name);
}

}  // namespace kestra
