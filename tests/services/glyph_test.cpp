#include <gtest/gtest.h>

#include <QGuiApplication>

#include <memory>
#include <string>

#include "glyph/qt_glyph_rasterizer.h"
#include "model/device_state.h"
#include "protocol/command_encoder.h"
#include "protocol/frame_codec.h"

namespace kestra {
namespace {

class QtGlyphs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QGuiApplication::instance() == nullptr) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
                qputenv("QT_QPA_PLATFORM", "offscreen");  // no display needed
            }
            static int argc = 1;
            static char name[] = "glyph_tests";
            static char* argv[] = {name, nullptr};
            app_ = new QGuiApplication(argc, argv);  // lives until the process ends
        }
        rasterizer_ = std::make_unique<QtGlyphRasterizer>();
    }
    static void TearDownTestSuite() { rasterizer_.reset(); }

    static int dark_pixels(const GlyphCell& c) {
        int n = 0;
        for (uint8_t d : c.dark) {
            n += d;
        }
        return n;
    }
    static int dark_in_column(const GlyphCell& c, int x) {
        int n = 0;
        for (int y = 0; y < c.height; ++y) {
            n += c.is_dark(x, y) ? 1 : 0;
        }
        return n;
    }

    static const QtGlyphRasterizer& glyphs() { return *rasterizer_; }

private:
    static inline QGuiApplication* app_ = nullptr;
    static inline std::unique_ptr<QtGlyphRasterizer> rasterizer_;
};

TEST_F(QtGlyphs, ThresholdComparesTheColourWordOfTheLegacyRenderer) {
    EXPECT_FALSE(QtGlyphRasterizer::is_dark(qRgb(255, 255, 255)));
    EXPECT_TRUE(QtGlyphRasterizer::is_dark(qRgb(0, 0, 0)));
    EXPECT_TRUE(QtGlyphRasterizer::is_dark(qRgb(0x00, 0xF0, 0xFF)));   // exactly 0xFFF000
    EXPECT_FALSE(QtGlyphRasterizer::is_dark(qRgb(0x01, 0xF0, 0xFF)));  // one above
    EXPECT_TRUE(QtGlyphRasterizer::is_dark(qRgb(255, 255, 0)));        // blue byte rules
}

TEST_F(QtGlyphs, NarrowDigitStaysInsideItsCell) {
    const GlyphCell one = glyphs().render(U'1', false);
    ASSERT_EQ(one.width, 12);
    ASSERT_EQ(one.height, 24);
    EXPECT_GT(dark_pixels(one), 10);
    EXPECT_EQ(dark_in_column(one, 0), 0);
    EXPECT_EQ(dark_in_column(one, 11), 0);
}

TEST_F(QtGlyphs, SpaceLeavesTheCellLight) {
    EXPECT_EQ(dark_pixels(glyphs().render(U' ', false)), 0);
    EXPECT_EQ(dark_pixels(glyphs().render(U' ', true)), 0);
}

TEST_F(QtGlyphs, AmpersandIsDrawnAsText) {
    EXPECT_GT(dark_pixels(glyphs().render(U'&', false)), 10);
}

TEST_F(QtGlyphs, WideIdeographFillsMoreOfItsCell) {
    const GlyphCell wide = glyphs().render(U'\u4F1A', true);
    ASSERT_EQ(wide.width, 24);
    ASSERT_EQ(wide.height, 24);
    EXPECT_GT(dark_pixels(wide), dark_pixels(glyphs().render(U'1', false)));
    // Centred: ink on both halves of the cell.
    int left = 0;
    int right = 0;
    for (int x = 0; x < 12; ++x) {
        left += dark_in_column(wide, x);
        right += dark_in_column(wide, 23 - x);
    }
    EXPECT_GT(left, 0);
    EXPECT_GT(right, 0);
}

TEST_F(QtGlyphs, NameFrameOfAnInputIsCompleteAndValid) {
    DeviceState state;
    state.reset_defaults();
    state.inputs[0].short_name.assign("CH 1");
    const NameCodec codec;
    std::string joined;
    for (const Datagram& d : encode_channel_name(state, 1, codec, glyphs())) {
        joined += d.payload;
    }
    const std::string prefix = "%V,01,01,00430048002000310000000000000000,";
    EXPECT_EQ(joined.size(), 624u);
    EXPECT_EQ(joined.rfind(prefix, 0), 0u) << joined;
    EXPECT_TRUE(frame_is_valid(joined));
    // Four characters rendered, the padding after them empty.
    const std::string glyph_hex = joined.substr(prefix.size(), 576);
    EXPECT_NE(glyph_hex.substr(0, 4 * 36 * 2).find_first_not_of('0'), std::string::npos);
    EXPECT_EQ(glyph_hex.substr(4 * 36 * 2).find_first_not_of('0'), std::string::npos);
}

}  // namespace
}  // namespace kestra
