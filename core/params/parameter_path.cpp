#include "params/parameter_path.h"

#include <cctype>

namespace kestra {

namespace {

// The first word of `text` and what follows its dot.
std::string_view take_word(std::string_view& text) {
    const std::size_t dot = text.find('.');
    const std::string_view word = text.substr(0, dot);
    text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    return word;
}

bool word_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

}  // namespace

bool ParameterPath::matches(std::string_view pattern, std::string_view path) {
    while (!pattern.empty()) {
        if (path.empty()) {
            return false;
        }
        const bool last = pattern.find('.') == std::string_view::npos;
        const std::string_view want = take_word(pattern);
        const std::string_view have = take_word(path);
        if (want == "*" && last) {
            return true;
        }
        if (want != "*" && want != have) {
            return false;
        }
    }
    return path.empty();
}

bool ParameterPath::well_formed(std::string_view text, bool allow_wildcards) {
    std::size_t word_length = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (word_length == 0) {
                return false;  // also an empty text
            }
            word_length = 0;
            continue;
        }
        const bool star = allow_wildcards && text[i] == '*' && (i == 0 || text[i - 1] == '.') &&
                          (i + 1 == text.size() || text[i + 1] == '.');
        if (!star && !word_char(text[i])) {
            return false;
        }
        ++word_length;
    }
    return true;
}

}  // namespace kestra
