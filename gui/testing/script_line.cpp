#include "testing/script_line.h"

namespace kestra {

namespace {

constexpr const char* kSeparators = " \t";

}  // namespace

std::string ScriptLine::trim(const std::string& text) {
    const auto b = text.find_first_not_of(" \t\r");
    if (b == std::string::npos) {
        return {};
    }
    return text.substr(b, text.find_last_not_of(" \t\r") - b + 1);
}

ScriptLine::ScriptLine(const std::string& text) : text_(trim(text)) {
    std::size_t at = text_.find_first_not_of(kSeparators);
    while (at != std::string::npos) {
        const std::size_t end = text_.find_first_of(kSeparators, at);
        starts_.push_back(at);
        words_.push_back(text_.substr(at, end == std::string::npos ? end : end - at));
        at = end == std::string::npos ? end : text_.find_first_not_of(kSeparators, end);
    }
}

const std::string& ScriptLine::word(std::size_t i) const {
    static const std::string none;
    return i < words_.size() ? words_[i] : none;
}

std::string ScriptLine::rest(std::size_t i) const {
    return i < starts_.size() ? text_.substr(starts_[i]) : std::string();
}

std::string ScriptLine::after(std::size_t i) const {
    if (i == 0) {
        return text_;
    }
    if (i > words_.size()) {
        return {};
    }
    const std::size_t end = starts_[i - 1] + words_[i - 1].size();
    return end < text_.size() ? text_.substr(end + 1) : std::string();
}

}  // namespace kestra
