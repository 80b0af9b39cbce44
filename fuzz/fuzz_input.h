#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Layout of a fuzz input, shared by the fuzzer and the seed generator: one flag byte, then
// datagrams, each a 2-byte little-endian length (taken modulo 2049) and its bytes; the last
// one may come short.
namespace kestra::fuzz {

inline constexpr std::size_t kMaxDatagram = 2048;
inline constexpr uint8_t kRepairChecksums = 0x01;  // rewrite the checksum of every frame

struct FuzzInput {
    uint8_t flags = 0;
    std::vector<std::string_view> datagrams;
};

inline FuzzInput parse_input(const uint8_t* data, std::size_t size) {
    FuzzInput in;
    if (size == 0) {
        return in;
    }
    in.flags = data[0];
    std::size_t pos = 1;
    while (pos + 2 <= size) {
        std::size_t n =
            (data[pos] | (static_cast<std::size_t>(data[pos + 1]) << 8)) % (kMaxDatagram + 1);
        pos += 2;
        n = n < size - pos ? n : size - pos;
        in.datagrams.emplace_back(reinterpret_cast<const char*>(data + pos), n);
        pos += n;
    }
    return in;
}

inline std::string make_input(uint8_t flags, const std::vector<std::string>& datagrams) {
    std::string out(1, static_cast<char>(flags));
    for (const std::string& d : datagrams) {
        const std::size_t n = d.size() < kMaxDatagram ? d.size() : kMaxDatagram;
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>(n >> 8);
        out.append(d, 0, n);
    }
    return out;
}

// A stream cut into datagrams of at most 2048 bytes, as the receive loop gets it.
inline std::vector<std::string> cut(std::string_view stream) {
    std::vector<std::string> out;
    for (std::size_t pos = 0; pos < stream.size(); pos += kMaxDatagram) {
        out.emplace_back(stream.substr(pos, kMaxDatagram));
    }
    return out;
}

}  // namespace kestra::fuzz
