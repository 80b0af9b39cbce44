#include "protocol/hex_run.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "protocol/frame_codec.h"

namespace kestra {
namespace {

// Every length and every alignment of the word path against the per-character rule, with
// runs of digits broken by characters that must count as 0.
TEST(HexRunTest, MatchesTheDigitRuleForEveryCharacter) {
    std::mt19937 rng(12345);
    const std::string digits = "0123456789ABCDEFabcdef";
    for (int round = 0; round < 400; ++round) {
        const std::size_t n = static_cast<std::size_t>(rng() % 70);
        std::string text(n + 3, '0');
        for (char& c : text) {
            // Mostly digits, so that the eight-character path runs; now and then any byte.
            c = rng() % 8 == 0 ? static_cast<char>(rng() % 256) : digits[rng() % digits.size()];
        }
        const std::size_t offset = static_cast<std::size_t>(rng() % 3);
        const char* p = text.data() + offset;

        std::vector<uint8_t> nibbles(n, 0xEE);
        hex_nibbles(p, n, nibbles.data());
        for (std::size_t k = 0; k < n; ++k) {
            ASSERT_EQ(nibbles[k], hex_digit_value(p[k])) << "char " << int(uint8_t(p[k]));
        }

        const std::size_t pairs = n / 2;
        std::vector<uint8_t> bytes(pairs + 1, 0xEE);
        hex_pairs(p, pairs, bytes.data());
        const std::vector<uint8_t> expected = hex_to_bytes(std::string_view(p, 2 * pairs));
        ASSERT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + pairs), expected);
        EXPECT_EQ(bytes[pairs], 0xEE);  // nothing written past the run
    }
}

TEST(HexRunTest, CharactersNextToTheDigitRangesCountAsZero) {
    // The neighbours of each range: '/', ':', '@', 'G', '`', 'g', and bytes above 127.
    const std::string text =
        "/:@G`g\x80\xFF"
        "09AFaf\xC0"
        "1";
    std::vector<uint8_t> nibbles(text.size());
    hex_nibbles(text.data(), text.size(), nibbles.data());
    EXPECT_EQ(nibbles, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 10, 15, 10, 15, 0, 1}));
    uint8_t bytes[4];
    hex_pairs("FfA09z1G", 4, bytes);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4),
              (std::vector<uint8_t>{0xFF, 0xA0, 0x90, 0x10}));
}

}  // namespace
}  // namespace kestra
