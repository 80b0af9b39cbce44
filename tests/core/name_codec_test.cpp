#include <gtest/gtest.h>

#include "text/name_codec.h"

namespace kestra {
namespace {

TEST(NameCodec, ConvertsBetweenCp936AndUnicode) {
    NameCodec codec;
    const std::string legacy = codec.from_utf8("会议A");
    EXPECT_EQ(legacy.size(), 5u);
    EXPECT_EQ(codec.to_utf8(legacy), "会议A");
    EXPECT_EQ(codec.to_utf16(legacy), u"会议A");
    EXPECT_EQ(codec.from_utf16(u"CH 1"), "CH 1");
}

TEST(NameCodec, CutsBeforeACharacterThatDoesNotFitWhole) {
    NameCodec codec;
    EXPECT_EQ(codec.from_utf8("ABCDEFGHIJKLMNOPQ"), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(codec.from_utf8("ABCDEFGHIJKLMN中").size(), 14u);
    EXPECT_FALSE(codec.fits("ABCDEFGHIJKLMN中"));
    EXPECT_TRUE(codec.fits("ABCDEFGHIJKLM中"));
}

TEST(NameCodec, MarksWhatCannotBeConverted) {
    NameCodec codec;
    EXPECT_EQ(codec.from_utf8("a\xF0\x9F\x8E\xA4z"), "a?z");  // no emoji in the code page
    EXPECT_EQ(codec.to_utf8("\xFF\xFF"), "\xEF\xBF\xBD");
    EXPECT_FALSE(codec.fits("a\xF0\x9F\x8E\xA4"));
}

TEST(NameCodec, SplitsDoubleByteCharacters) {
    NameCodec codec;
    const auto chars = NameCodec::split_characters(codec.from_utf8("A中B"));
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[1].size(), 2u);
}

}  // namespace
}  // namespace kestra
