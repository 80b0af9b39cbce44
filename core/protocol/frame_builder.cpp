#include "protocol/frame_builder.h"

#include <cstdio>
#include <stdexcept>

#include "protocol/frame_codec.h"

namespace kestra {

FrameBuilder::FrameBuilder(char letter) {
    body_.reserve(64);
    body_ += '%';
    body_ += letter;
    body_ += ',';
}

void FrameBuilder::append_hex(std::string& out, int value, int width) {
    char buf[16];
    const int n = std::snprintf(buf, sizeof buf, "%0*X", width, static_cast<unsigned>(value));
    out.append(buf, static_cast<std::size_t>(n));
}

FrameBuilder FrameBuilder::checked(char letter) {
    FrameBuilder b(letter);
    b.checked_ = true;
    return b;
}

void FrameBuilder::append_field(std::string& out, int value, int width) {
    const long long limit = (1LL << (4 * width)) - 1;
    if (value < 0 || value > limit) {
        throw std::invalid_argument(std::to_string(value) + " does not fit a field of " +
                                    std::to_string(width) + " hex digits");
    }
    append_hex(out, value, width);
}

void FrameBuilder::number(int value, int width) {
    if (checked_) {
        try {
            append_field(body_, value, width);
        } catch (const std::invalid_argument& e) {
            throw std::invalid_argument("command " + body_.substr(1, 1) + ": " + e.what());
        }
    } else {
        append_hex(body_, value, width);
    }
    body_ += ',';
}

FrameBuilder& FrameBuilder::hex2(int value) {
    number(value, 2);
    return *this;
}

FrameBuilder& FrameBuilder::hex4(int value) {
    number(value, 4);
    return *this;
}

FrameBuilder& FrameBuilder::hex5(int value) {
    number(value, 5);
    return *this;
}

FrameBuilder& FrameBuilder::dec(int value) {
    body_ += std::to_string(value);
    body_ += ',';
    return *this;
}

FrameBuilder& FrameBuilder::field(std::string_view text) {
    body_ += text;
    body_ += ',';
    return *this;
}

std::string FrameBuilder::finish() const {
    std::string frame = body_;
    append_hex(frame, frame_crc16(body_), 4);
    frame += '#';
    return frame;
}

std::string encode_frame(char letter, std::initializer_list<std::string_view> fields) {
    FrameBuilder b(letter);
    for (std::string_view f : fields) {
        b.field(f);
    }
    return b.finish();
}

}  // namespace kestra
