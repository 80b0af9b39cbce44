#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "protocol/glyph_encoder.h"

namespace kestra {
namespace {

GlyphCell full(bool wide) {
    GlyphCell cell = GlyphCell::blank(wide);
    std::fill(cell.dark.begin(), cell.dark.end(), uint8_t{1});
    return cell;
}

TEST(GlyphEncoder, ReversesBitOrder) {
    EXPECT_EQ(reverse_bits(0x80), 0x01);
    EXPECT_EQ(reverse_bits(0x01), 0x80);
    EXPECT_EQ(reverse_bits(0xF0), 0x0F);
    EXPECT_EQ(reverse_bits(0x12), 0x48);
    EXPECT_EQ(reverse_bits(0xA5), 0xA5);
    EXPECT_EQ(reverse_bits(0x00), 0x00);
}

TEST(GlyphEncoder, PacksColumnsTopDownMostSignificantFirst) {
    GlyphCell cell = GlyphCell::blank(false);
    cell.set_dark(0, 0);
    cell.set_dark(0, 23);
    cell.set_dark(1, 1);
    const std::vector<uint8_t> packed = pack_glyph_cell(cell);
    ASSERT_EQ(packed.size(), 36u);
    EXPECT_EQ(packed[0], 0x80);
    EXPECT_EQ(packed[1], 0x00);
    EXPECT_EQ(packed[2], 0x01);  // bottom row closes the column's third byte
    EXPECT_EQ(packed[3], 0x40);  // next column starts a new byte
    EXPECT_EQ(std::count(packed.begin() + 4, packed.end(), 0), 32);
}

TEST(GlyphEncoder, DarkColumnIsThreeFullBytes) {
    GlyphCell cell = GlyphCell::blank(false);
    for (int y = 0; y < GlyphCell::kHeight; ++y) {
        cell.set_dark(2, y);
    }
    const std::vector<uint8_t> packed = pack_glyph_cell(cell);
    for (std::size_t i = 0; i < packed.size(); ++i) {
        EXPECT_EQ(packed[i], (i >= 6 && i < 9) ? 0xFF : 0x00) << i;
    }
}

TEST(GlyphEncoder, WideCellIsSeventyTwoBytes) {
    GlyphCell cell = GlyphCell::blank(true);
    cell.set_dark(23, 23);
    const std::vector<uint8_t> packed = pack_glyph_cell(cell);
    ASSERT_EQ(packed.size(), 72u);
    EXPECT_EQ(packed[71], 0x01);
    EXPECT_EQ(std::count(packed.begin(), packed.end(), 0), 71);
}

TEST(GlyphEncoder, RefusesCellsWhosePixelsDoNotMatchTheirSize) {
    GlyphCell cell = GlyphCell::blank(false);
    cell.width = GlyphCell::kWideWidth;
    EXPECT_THROW(pack_glyph_cell(cell), std::invalid_argument);
}

TEST(GlyphEncoder, NameBytesArePaddedAndReversed) {
    GlyphCell a = GlyphCell::blank(false);
    a.set_dark(0, 0);
    GlyphCell b = GlyphCell::blank(false);
    b.set_dark(0, 1);
    const std::vector<GlyphCell> cells{a, b};
    const NameGlyphs bytes = pack_name_glyphs(cells);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[36], 0x02);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), 286);
}

TEST(GlyphEncoder, NameBytesAreCutAt288) {
    std::vector<GlyphCell> cells(4, GlyphCell::blank(true));
    cells.push_back(full(true));  // a fifth wide character does not fit
    const NameGlyphs cut = pack_name_glyphs(cells);
    EXPECT_EQ(std::count(cut.begin(), cut.end(), 0), 288);

    std::vector<GlyphCell> mixed(7, GlyphCell::blank(false));
    mixed.push_back(full(true));  // 252 bytes, then half of a wide character
    const NameGlyphs half = pack_name_glyphs(mixed);
    EXPECT_EQ(std::count(half.begin(), half.begin() + 252, 0), 252);
    EXPECT_EQ(std::count(half.begin() + 252, half.end(), 0xFF), 36);
}

class RecordingRasterizer : public GlyphRasterizer {
public:
    GlyphCell render(char32_t code_point, bool wide) const override {
        seen.emplace_back(code_point, wide);
        GlyphCell cell = GlyphCell::blank(wide);
        cell.set_dark(0, 0);
        return cell;
    }
    mutable std::vector<std::pair<char32_t, bool>> seen;
};

TEST(GlyphEncoder, RendersEachLegacyCharacterWithItsWidth) {
    const NameCodec codec;
    const RecordingRasterizer r;
    const NameGlyphs bytes = encode_name_glyphs(codec.from_utf8("A会&"), codec, r);
    ASSERT_EQ(r.seen.size(), 3u);
    EXPECT_EQ(r.seen[0], std::make_pair(U'A', false));
    EXPECT_EQ(r.seen[1], std::make_pair(U'\u4F1A', true));
    EXPECT_EQ(r.seen[2], std::make_pair(U'&', false));
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[36], 0x01);
    EXPECT_EQ(bytes[108], 0x01);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), 285);
}

TEST(GlyphEncoder, StopsRenderingOnceTheBytesAreFull) {
    const NameCodec codec;
    const RecordingRasterizer r;
    encode_name_glyphs("ABCDEFGHIJKLMNO", codec, r);
    EXPECT_EQ(r.seen.size(), 8u);
    const RecordingRasterizer none;
    const NameGlyphs empty = encode_name_glyphs("", codec, none);
    EXPECT_TRUE(none.seen.empty());
    EXPECT_EQ(std::count(empty.begin(), empty.end(), 0), 288);
}

}  // namespace
}  // namespace kestra
