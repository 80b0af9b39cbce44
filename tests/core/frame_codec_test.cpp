#include <gtest/gtest.h>

#include <random>

#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"

namespace kestra {
namespace {

TEST(FrameCrc16, MatchesKnownCheckValuesAndTable) {
    EXPECT_EQ(frame_crc16("123456789"), 0x4B37);
    EXPECT_EQ(frame_crc16("%R,01,04,"), 0xF0A2);
    EXPECT_EQ(frame_crc16_table(1), 0xC0C1);
    EXPECT_EQ(frame_crc16_table(128), 0xA001);
    EXPECT_EQ(frame_crc16(""), 0xFFFF);
}

TEST(FrameCrc16, SlicedEqualsBytewiseForEveryLengthAndAllByteValues) {
    std::mt19937 rng(7);
    std::string data(300, '\0');
    for (auto& c : data) {
        c = static_cast<char>(rng());
    }
    for (std::size_t len = 0; len <= data.size(); ++len) {
        ASSERT_EQ(frame_crc16(data.data(), len), frame_crc16_bytewise(data.data(), len)) << len;
    }
}

TEST(FindPattern, FollowsItsContract) {
    EXPECT_EQ(find_pattern("ab%cd#", "%", 0), 2);
    EXPECT_EQ(find_pattern("ab%cd%", "%", 3), 5);
    EXPECT_EQ(find_pattern("abcd", "b?d", 0), 1);
    EXPECT_EQ(find_pattern("abcd", "", 2), 2);
    EXPECT_EQ(find_pattern("abcd", "x", 0), -1);
    EXPECT_EQ(find_pattern(nullptr, "%", 0), -1);
    EXPECT_EQ(find_pattern("abc", nullptr, 0), -1);
    EXPECT_EQ(find_pattern("abc", "%", -1), -1);
    EXPECT_EQ(find_pattern("abc", "bc", 2), -1);  // shorter than start + pattern
    EXPECT_EQ(find_pattern("abc", "", 4), -1);
}

TEST(HexToBytes, PadsOddTextAndTreatsStrangeDigitsAsZero) {
    EXPECT_EQ(hex_to_bytes("ABC"), (std::vector<uint8_t>{0x0A, 0xBC}));
    EXPECT_EQ(hex_to_bytes("G1"), (std::vector<uint8_t>{0x01}));
    EXPECT_EQ(hex_to_bytes("ff10"), (std::vector<uint8_t>{0xFF, 0x10}));
    EXPECT_TRUE(hex_to_bytes("").empty());
    EXPECT_EQ(hex_group_value("03E8"), 1000);
    EXPECT_EQ(hex_group_value("F"), 15);
}

TEST(FrameValidity, ChecksumMustBeExactUpperCaseAndFrameLongEnough) {
    EXPECT_TRUE(frame_is_valid("%R,01,04,F0A2#"));
    EXPECT_FALSE(frame_is_valid("%R,01,04,f0a2#"));
    EXPECT_FALSE(frame_is_valid("%R,01,04,F0A3#"));
    EXPECT_FALSE(frame_is_valid("%A,1234#"));
    EXPECT_FALSE(frame_is_valid("R,01,04,F0A2#"));
}

TEST(FrameBuilder, BuildsTheWireTextOfKnownFrames) {
    EXPECT_EQ(encode_frame('R', {"01", "04"}), "%R,01,04,F0A2#");
    EXPECT_EQ(FrameBuilder('Z').hex2(1).finish(), "%Z,01,F143#");
    EXPECT_EQ(FrameBuilder('Q').hex2(1).hex2(1).finish(), "%Q,01,01,B5E1#");
    EXPECT_EQ(FrameBuilder('A').hex2(1).hex2(3).hex2(0).hex2(70).finish(), "%A,01,03,00,46,B510#");
    // "%02X" never truncates: larger values just take more digits.
    EXPECT_EQ(FrameBuilder('X').hex2(300).hex4(0x12345).body(), "%X,12C,12345,");
    EXPECT_EQ(FrameBuilder('S').dec(1).hex5(2047).body(), "%S,1,007FF,");
}

}  // namespace
}  // namespace kestra
