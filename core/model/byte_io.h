#pragma once

#include <cstdint>
#include <cstring>
#include <span>

namespace kestra::byte_io {

// Little-endian access at an explicit offset; callers guarantee the range.
inline void put_i32(std::span<uint8_t> out, std::size_t offset, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    out[offset] = static_cast<uint8_t>(u);
    out[offset + 1] = static_cast<uint8_t>(u >> 8);
    out[offset + 2] = static_cast<uint8_t>(u >> 16);
    out[offset + 3] = static_cast<uint8_t>(u >> 24);
}

inline int32_t get_i32(std::span<const uint8_t> in, std::size_t offset) {
    const uint32_t u = static_cast<uint32_t>(in[offset]) |
                       (static_cast<uint32_t>(in[offset + 1]) << 8) |
                       (static_cast<uint32_t>(in[offset + 2]) << 16) |
                       (static_cast<uint32_t>(in[offset + 3]) << 24);
    return static_cast<int32_t>(u);
}

inline void put_u16(std::span<uint8_t> out, std::size_t offset, uint16_t value) {
    out[offset] = static_cast<uint8_t>(value);
    out[offset + 1] = static_cast<uint8_t>(value >> 8);
}

inline uint16_t get_u16(std::span<const uint8_t> in, std::size_t offset) {
    return static_cast<uint16_t>(in[offset] | (in[offset + 1] << 8));
}

inline void put_bytes(std::span<uint8_t> out, std::size_t offset, std::span<const uint8_t> src) {
    std::memcpy(out.data() + offset, src.data(), src.size());
}

inline void get_bytes(std::span<const uint8_t> in, std::size_t offset, std::span<uint8_t> dst) {
    std::memcpy(dst.data(), in.data() + offset, dst.size());
}

}  // namespace kestra::byte_io
