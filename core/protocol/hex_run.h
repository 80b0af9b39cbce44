#pragma once

#include <cstddef>
#include <cstdint>

// Runs of hexadecimal digits as the replies carry them, decoded with the rule of
// hex_digit_value (lower case accepted, any other character counts as 0). Eight characters
// go at a time while they are all digits, which is what the processor sends.
namespace kestra {

// `pairs` bytes from 2 x `pairs` characters: out[k] = p[2k] (high nibble), p[2k + 1].
void hex_pairs(const char* p, std::size_t pairs, uint8_t* out);
// One value 0-15 per character.
void hex_nibbles(const char* p, std::size_t count, uint8_t* out);

}  // namespace kestra
