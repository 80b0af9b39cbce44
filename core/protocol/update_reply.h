#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What the processor answers during a firmware transfer. The answers are searched for their
// markers ("%S", "%Y", "%U") in the text collected from the datagrams; their checksums are not
// required, since the processor's firmware writer may not compute them.
namespace kestra {

// The text of one exchange: datagram texts (each up to its first NUL) joined, at most
// kCapacity characters; what comes later is read and dropped.
class UpdateReplyText {
public:
    static constexpr std::size_t kCapacity = 256;

    void append(std::string_view datagram);
    bool contains(std::string_view marker) const { return text_.find(marker) != npos; }
    bool empty() const { return text_.empty(); }
    const std::string& str() const { return text_; }

private:
    static constexpr std::size_t npos = std::string::npos;
    std::string text_;
};

// The end-of-transfer report: the text from the first "%U" up to and including the "#" after
// it (the rest of the text when there is none). `ok` only when its result field, the second
// after the letter, is a decimal zero: "%U,01,00,..." succeeds, "%U,01,05,..." and a result
// that is missing or not decimal fail.
struct UpdateCompletion {
    std::string text;
    bool ok = false;
};
std::optional<UpdateCompletion> find_update_completion(std::string_view collected);

// The firmware version text of a valid full-state frame "Z" (its device text field), or
// nothing for any other frame.
std::optional<std::string> version_from_full_state(std::string_view frame);

// A version text shown as "%0.1f" of its number times 0.1 ("23" gives "2.3"); a text that is
// not a number shows as 0.0.
std::string format_version(std::string_view version);

}  // namespace kestra
