#include "protocol/frame_builder.h"

#include <cstdio>

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

FrameBuilder& FrameBuilder::hex2(int value) {
    append_hex(body_, value, 2);
    body_ += ',';
    return *this;
}

FrameBuilder& FrameBuilder::hex4(int value) {
    append_hex(body_, value, 4);
    body_ += ',';
    return *this;
}

FrameBuilder& FrameBuilder::hex5(int value) {
    append_hex(body_, value, 5);
    body_ += ',';
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
