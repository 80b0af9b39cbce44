#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Checksum and field helpers of the control frame: "%", letter, ",", fields each followed
// by ",", four upper-case hex digits of CRC-16/MODBUS over everything before them, "#".
namespace kestra {

inline constexpr std::size_t kMinFrameLength = 9;
inline constexpr std::size_t kChecksumTail = 5;  // "XXXX#"

// CRC-16/MODBUS (reflected 0xA001, init 0xFFFF, no final XOR) of the first `length` bytes.
uint16_t frame_crc16(const char* text, std::size_t length);
inline uint16_t frame_crc16(std::string_view text) {
    return frame_crc16(text.data(), text.size());
}
// The same checksum one byte at a time through the 256-entry table; the reference the
// sliced version is tested against.
uint16_t frame_crc16_bytewise(const char* text, std::size_t length);
// Continues a checksum over further bytes (for checksums of whole files).
uint16_t frame_crc16_update(uint16_t crc, const uint8_t* data, std::size_t length);

// Entry k of the byte-wise table (entry 1 is 0xC0C1, entry 128 is 0xA001).
uint16_t frame_crc16_table(uint8_t k);

// Index of the first occurrence of `pattern` in `text` at or after `start`, or -1; "?"
// matches any single character. -1 when either string is missing, when start is negative
// or when the text is shorter than start plus the pattern; an empty pattern returns start.
int find_pattern(const char* text, const char* pattern, int start);

// Digit pairs to bytes: an odd-length text gets a "0" in front, the text is upper-cased,
// a character other than 0-9 and A-F counts as 0.
std::vector<uint8_t> hex_to_bytes(std::string_view text);

// Value of one hex digit with the same rules (lower case accepted, anything else 0).
int hex_digit_value(char c);
// Value of a group of 1, 2, 4 or more digits, first digit most significant.
int hex_group_value(std::string_view digits);

// True when `frame` starts with "%", ends with "#", is at least 9 characters long and its
// last five characters are exactly the upper-case checksum of the rest followed by "#".
bool frame_is_valid(std::string_view frame);

}  // namespace kestra
