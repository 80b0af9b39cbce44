#include "model/group_tables.h"

#include "model/byte_io.h"

namespace kestra {

namespace {

constexpr std::size_t kControlBase = kGroupCount * MuteGroup::kRecordSize;

void encode_members(std::span<uint8_t> out, std::size_t base, const std::array<int32_t, 64>& in,
                    const std::array<int32_t, 16>& outs) {
    for (std::size_t i = 0; i < in.size(); ++i) {
        byte_io::put_i32(out, base + 4 * i, in[i]);
    }
    for (std::size_t j = 0; j < outs.size(); ++j) {
        byte_io::put_i32(out, base + 256 + 4 * j, outs[j]);
    }
}

void decode_members(std::span<const uint8_t> in, std::size_t base, std::array<int32_t, 64>& ins,
                    std::array<int32_t, 16>& outs) {
    for (std::size_t i = 0; i < ins.size(); ++i) {
        ins[i] = byte_io::get_i32(in, base + 4 * i);
    }
    for (std::size_t j = 0; j < outs.size(); ++j) {
        outs[j] = byte_io::get_i32(in, base + 256 + 4 * j);
    }
}

}  // namespace

void GroupTables::clear_leading_words() {
    for (auto& g : mute) {
        g.input_member[0] = 0;
    }
    for (auto& g : control) {
        g.input_member[0] = 0;
    }
}

std::vector<uint8_t> GroupTables::encode() const {
    std::vector<uint8_t> bytes(kImageSize, 0);
    std::span<uint8_t> out(bytes);
    for (std::size_t g = 0; g < mute.size(); ++g) {
        const std::size_t base = g * MuteGroup::kRecordSize;
        encode_members(out, base, mute[g].input_member, mute[g].output_member);
        byte_io::put_bytes(out, base + 320, mute[g].trailer);
    }
    for (std::size_t g = 0; g < control.size(); ++g) {
        const ControlGroup& c = control[g];
        const std::size_t base = kControlBase + g * ControlGroup::kRecordSize;
        encode_members(out, base, c.input_member, c.output_member);
        byte_io::put_i32(out, base + 320, c.member_count);
        for (std::size_t k = 0; k < c.link.size(); ++k) {
            byte_io::put_i32(out, base + 324 + 4 * k, c.link[k]);
        }
        byte_io::put_bytes(out, base + 380, c.name.bytes());
    }
    return bytes;
}

bool GroupTables::decode(std::span<const uint8_t> bytes) {
    if (bytes.size() != kImageSize) {
        return false;
    }
    GroupTables staged = *this;
    for (std::size_t g = 0; g < staged.mute.size(); ++g) {
        const std::size_t base = g * MuteGroup::kRecordSize;
        decode_members(bytes, base, staged.mute[g].input_member, staged.mute[g].output_member);
        byte_io::get_bytes(bytes, base + 320, staged.mute[g].trailer);
    }
    for (std::size_t g = 0; g < staged.control.size(); ++g) {
        ControlGroup& c = staged.control[g];
        const std::size_t base = kControlBase + g * ControlGroup::kRecordSize;
        decode_members(bytes, base, c.input_member, c.output_member);
        c.member_count = byte_io::get_i32(bytes, base + 320);
        for (std::size_t k = 0; k < c.link.size(); ++k) {
            c.link[k] = byte_io::get_i32(bytes, base + 324 + 4 * k);
        }
        byte_io::get_bytes(bytes, base + 380, c.name.bytes());
    }
    *this = staged;
    return true;
}

}  // namespace kestra
