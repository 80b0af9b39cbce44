#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kestra {

// Assembles one control frame: "%", the letter, ",", each field followed by ",", then the
// checksum as "%04X" and "#". Numbers print like C's "%02X"/"%04X": never truncated, a
// negative value prints as its 32-bit two's complement. A command sent to the processor is
// built with `checked`: there a value wider than its field (or negative) would shift every
// field after it, so it is refused with std::invalid_argument instead of written.
class FrameBuilder {
public:
    explicit FrameBuilder(char letter);
    static FrameBuilder checked(char letter);

    FrameBuilder& hex2(int value);               // "%02X"
    FrameBuilder& hex4(int value);               // "%04X"
    FrameBuilder& hex5(int value);               // "%05X"
    FrameBuilder& dec(int value);                // "%d"
    FrameBuilder& field(std::string_view text);  // a field as it stands

    // Text so far, without checksum; a field of "01" for the device number is not implied.
    const std::string& body() const { return body_; }
    std::string finish() const;

    // Appends digits of `value` in "%0NX" form to `out`, without a separator.
    static void append_hex(std::string& out, int value, int width);
    // The same for a field of exactly `width` digits: a value that needs more, or a negative
    // one, throws std::invalid_argument and appends nothing.
    static void append_field(std::string& out, int value, int width);

private:
    void number(int value, int width);

    std::string body_;
    bool checked_ = false;
};

// The frame of `letter` with the given fields (each written as it stands).
std::string encode_frame(char letter, std::initializer_list<std::string_view> fields);

}  // namespace kestra
