#include "protocol/frame_codec.h"

#include <array>
#include <cstring>

namespace kestra {

namespace {

constexpr uint16_t kPolynomial = 0xA001;

constexpr std::array<std::array<uint16_t, 256>, 8> make_tables() {
    std::array<std::array<uint16_t, 256>, 8> t{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t crc = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ kPolynomial)
                            : static_cast<uint16_t>(crc >> 1);
        }
        t[0][i] = crc;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (unsigned i = 0; i < 256; ++i) {
            const uint16_t prev = t[k - 1][i];
            t[k][i] = static_cast<uint16_t>((prev >> 8) ^ t[0][prev & 0xFF]);
        }
    }
    return t;
}

constexpr auto kTables = make_tables();

constexpr char kUpperHex[] = "0123456789ABCDEF";

}  // namespace

uint16_t frame_crc16_table(uint8_t k) {
    return kTables[0][k];
}

uint16_t frame_crc16_update(uint16_t crc, const uint8_t* p, std::size_t length) {
    // Slice-by-8: the running CRC is folded into the first two bytes of each 8-byte block.
    while (length >= 8) {
        const uint32_t lo =
            crc ^ (static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8));
        crc = static_cast<uint16_t>(kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^
                                    kTables[5][p[2]] ^ kTables[4][p[3]] ^ kTables[3][p[4]] ^
                                    kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]]);
        p += 8;
        length -= 8;
    }
    while (length-- > 0) {
        crc = static_cast<uint16_t>((crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFF]);
    }
    return crc;
}

uint16_t frame_crc16(const char* text, std::size_t length) {
    return frame_crc16_update(0xFFFF, reinterpret_cast<const uint8_t*>(text), length);
}

uint16_t frame_crc16_bytewise(const char* text, std::size_t length) {
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        crc = static_cast<uint16_t>((crc >> 8) ^ kTables[0][(crc ^ c) & 0xFF]);
    }
    return crc;
}

int find_pattern(const char* text, const char* pattern, int start) {
    if (text == nullptr || pattern == nullptr || start < 0) {
        return -1;
    }
    const std::size_t text_len = std::strlen(text);
    const std::size_t pat_len = std::strlen(pattern);
    const auto begin = static_cast<std::size_t>(start);
    if (text_len < begin + pat_len) {
        return -1;
    }
    if (pat_len == 0) {
        return start;
    }
    for (std::size_t i = begin; i + pat_len <= text_len; ++i) {
        std::size_t k = 0;
        while (k < pat_len && (pattern[k] == '?' || pattern[k] == text[i + k])) {
            ++k;
        }
        if (k == pat_len) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return 0;
}

int hex_group_value(std::string_view digits) {
    unsigned value = 0;
    for (char c : digits) {
        value = (value << 4) | static_cast<unsigned>(hex_digit_value(c));
    }
    return static_cast<int>(value);
}

std::vector<uint8_t> hex_to_bytes(std::string_view text) {
    std::vector<uint8_t> out;
    out.reserve(text.size() / 2 + 1);
    std::size_t i = 0;
    if (text.size() % 2 == 1) {
        out.push_back(static_cast<uint8_t>(hex_digit_value(text[0])));
        i = 1;
    }
    for (; i + 1 < text.size(); i += 2) {
        out.push_back(
            static_cast<uint8_t>((hex_digit_value(text[i]) << 4) | hex_digit_value(text[i + 1])));
    }
    return out;
}

bool frame_is_valid(std::string_view frame) {
    const std::size_t n = frame.size();
    if (n < kMinFrameLength || frame.front() != '%' || frame.back() != '#') {
        return false;
    }
    const uint16_t crc = frame_crc16(frame.data(), n - kChecksumTail);
    const char* tail = frame.data() + n - kChecksumTail;
    return tail[0] == kUpperHex[(crc >> 12) & 0xF] && tail[1] == kUpperHex[(crc >> 8) & 0xF] &&
           tail[2] == kUpperHex[(crc >> 4) & 0xF] && tail[3] == kUpperHex[crc & 0xF];
}

}  // namespace kestra
