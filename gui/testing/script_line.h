#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestra {

// One script step cut into words, as the driver's verbs read it: words are separated by runs
// of spaces and tabs; a verb whose last argument is free text (a value, a notice, a menu
// entry, typed text) takes the rest of the line from a word on, inner spacing kept.
class ScriptLine {
public:
    // Leading and trailing spaces, tabs and carriage returns are not part of the step.
    explicit ScriptLine(const std::string& text);

    static std::string trim(const std::string& text);

    const std::string& text() const { return text_; }
    const std::string& verb() const { return word(0); }
    std::size_t size() const { return words_.size(); }
    // Empty past the last word.
    const std::string& word(std::size_t i) const;
    // From word i to the end of the line; empty past the last word.
    std::string rest(std::size_t i) const;
    // Everything after the one separator that ends word i - 1, leading spaces kept: typed
    // text is typed as written.
    std::string after(std::size_t i) const;

private:
    std::string text_;
    std::vector<std::string> words_;
    std::vector<std::size_t> starts_;  // where each word begins in text_
};

}  // namespace kestra
