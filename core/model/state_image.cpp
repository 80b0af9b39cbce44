#include "model/state_image.h"

#include <algorithm>

#include "model/byte_io.h"
#include "model/state_layout.h"

namespace kestra {

namespace {

class ImageWriter {
public:
    ImageWriter(std::span<uint8_t> out, std::size_t base) : out_(out), base_(base) {}

    void word(const char*, std::size_t off, int32_t v) { byte_io::put_i32(out_, base_ + off, v); }
    void hidden_word(std::size_t off, int32_t v) { byte_io::put_i32(out_, base_ + off, v); }
    void words(const char*, std::size_t off, std::span<const int32_t> v, std::size_t stride) {
        for (std::size_t i = 0; i < v.size(); ++i) {
            byte_io::put_i32(out_, base_ + off + i * stride, v[i]);
        }
    }
    void bytes(const char*, std::size_t off, std::span<const uint8_t> v) {
        byte_io::put_bytes(out_, base_ + off, v);
    }
    void text(const char*, std::size_t off, const FixedText& t) {
        byte_io::put_bytes(out_, base_ + off, t.bytes());
    }
    void flag(const char*, std::size_t off, uint8_t v) { out_[base_ + off] = v; }
    void time(std::size_t off, const WallTime& t) {
        const uint16_t parts[8] = {t.year, t.month,  t.day_of_week, t.day,
                                   t.hour, t.minute, t.second,      t.millisecond};
        for (std::size_t i = 0; i < 8; ++i) {
            byte_io::put_u16(out_, base_ + off + 2 * i, parts[i]);
        }
    }
    template <class R, class Fn>
    void records(const char*, std::size_t off, std::size_t stride, std::span<R> recs, Fn fn) {
        for (std::size_t i = 0; i < recs.size(); ++i) {
            ImageWriter nested(out_, base_ + off + i * stride);
            fn(recs[i], nested);
        }
    }

private:
    std::span<uint8_t> out_;
    std::size_t base_;
};

class ImageReader {
public:
    ImageReader(std::span<const uint8_t> in, std::size_t base) : in_(in), base_(base) {}

    void word(const char*, std::size_t off, int32_t& v) { v = byte_io::get_i32(in_, base_ + off); }
    void hidden_word(std::size_t off, int32_t& v) { v = byte_io::get_i32(in_, base_ + off); }
    void words(const char*, std::size_t off, std::span<int32_t> v, std::size_t stride) {
        for (std::size_t i = 0; i < v.size(); ++i) {
            v[i] = byte_io::get_i32(in_, base_ + off + i * stride);
        }
    }
    void bytes(const char*, std::size_t off, std::span<uint8_t> v) {
        byte_io::get_bytes(in_, base_ + off, v);
    }
    void text(const char*, std::size_t off, FixedText& t) {
        byte_io::get_bytes(in_, base_ + off, t.bytes());
    }
    void flag(const char*, std::size_t off, uint8_t& v) { v = in_[base_ + off]; }
    void time(std::size_t off, WallTime& t) {
        uint16_t* parts[8] = {&t.year, &t.month,  &t.day_of_week, &t.day,
                              &t.hour, &t.minute, &t.second,      &t.millisecond};
        for (std::size_t i = 0; i < 8; ++i) {
            *parts[i] = byte_io::get_u16(in_, base_ + off + 2 * i);
        }
    }
    template <class R, class Fn>
    void records(const char*, std::size_t off, std::size_t stride, std::span<R> recs, Fn fn) {
        for (std::size_t i = 0; i < recs.size(); ++i) {
            ImageReader nested(in_, base_ + off + i * stride);
            fn(recs[i], nested);
        }
    }

private:
    std::span<const uint8_t> in_;
    std::size_t base_;
};

// Zeroes the bytes of every named field, so `unnamed` holds only what no field owns and two
// states with equal fields compare equal whatever image they came from.
class NamedByteEraser {
public:
    NamedByteEraser(std::span<uint8_t> out, std::size_t base) : out_(out), base_(base) {}

    template <class T>
    void word(const char*, std::size_t off, T&) {
        zero(off, 4);
    }
    template <class T>
    void hidden_word(std::size_t off, T&) {
        zero(off, 4);
    }
    template <class T>
    void words(const char*, std::size_t off, std::span<T> v, std::size_t stride) {
        for (std::size_t i = 0; i < v.size(); ++i) {
            zero(off + i * stride, 4);
        }
    }
    template <class T>
    void bytes(const char*, std::size_t off, std::span<T> v) {
        zero(off, v.size());
    }
    template <class T>
    void text(const char*, std::size_t off, T&) {
        zero(off, FixedText::kSize);
    }
    template <class T>
    void flag(const char*, std::size_t off, T&) {
        zero(off, 1);
    }
    template <class T>
    void time(std::size_t off, T&) {
        zero(off, 16);
    }
    template <class R, class Fn>
    void records(const char*, std::size_t off, std::size_t stride, std::span<R> recs, Fn fn) {
        for (std::size_t i = 0; i < recs.size(); ++i) {
            NamedByteEraser nested(out_, base_ + off + i * stride);
            fn(recs[i], nested);
        }
    }

private:
    void zero(std::size_t off, std::size_t n) {
        std::fill_n(out_.begin() + static_cast<std::ptrdiff_t>(base_ + off), n, uint8_t{0});
    }
    std::span<uint8_t> out_;
    std::size_t base_;
};

}  // namespace

std::vector<uint8_t> StateImage::encode(const DeviceState& state) {
    std::vector<uint8_t> image = state.unnamed;
    image.resize(kImageSize, 0);
    std::span<uint8_t> out(image);
    for (int i = 0; i < kInputCount; ++i) {
        ImageWriter w(out, layout::input_offset(i));
        layout::visit_input(state.inputs[static_cast<std::size_t>(i)], w);
    }
    for (int m = 0; m < kOutputCount; ++m) {
        ImageWriter w(out, layout::output_offset(m));
        layout::visit_output(state.outputs[static_cast<std::size_t>(m)], w);
    }
    ImageWriter sys(out, 0);
    layout::visit_system(state.system, sys);
    return image;
}

bool StateImage::decode(std::span<const uint8_t> bytes, DeviceState& state) {
    if (bytes.size() != kImageSize) {
        return false;
    }
    for (int i = 0; i < kInputCount; ++i) {
        ImageReader r(bytes, layout::input_offset(i));
        layout::visit_input(state.inputs[static_cast<std::size_t>(i)], r);
    }
    for (int m = 0; m < kOutputCount; ++m) {
        ImageReader r(bytes, layout::output_offset(m));
        layout::visit_output(state.outputs[static_cast<std::size_t>(m)], r);
    }
    ImageReader sys(bytes, 0);
    layout::visit_system(state.system, sys);
    state.unnamed.assign(bytes.begin(), bytes.end());
    std::span<uint8_t> rest(state.unnamed);
    for (int i = 0; i < kInputCount; ++i) {
        NamedByteEraser e(rest, layout::input_offset(i));
        layout::visit_input(state.inputs[static_cast<std::size_t>(i)], e);
    }
    for (int m = 0; m < kOutputCount; ++m) {
        NamedByteEraser e(rest, layout::output_offset(m));
        layout::visit_output(state.outputs[static_cast<std::size_t>(m)], e);
    }
    NamedByteEraser system_eraser(rest, 0);
    layout::visit_system(state.system, system_eraser);
    return true;
}

std::vector<uint8_t> StateImage::encode_scene(const DeviceState& state) {
    std::vector<uint8_t> scene = encode(state);
    const std::vector<uint8_t> groups = state.groups.encode();
    scene.insert(scene.end(), groups.begin(), groups.end());
    return scene;
}

bool StateImage::decode_scene(std::span<const uint8_t> bytes, DeviceState& state) {
    if (bytes.size() != kSceneSize) {
        return false;
    }
    GroupTables groups = state.groups;
    if (!groups.decode(bytes.subspan(kImageSize))) {
        return false;
    }
    decode(bytes.first(kImageSize), state);
    state.groups = groups;
    return true;
}

}  // namespace kestra
