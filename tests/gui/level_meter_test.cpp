#include <gtest/gtest.h>

#include <QImage>

#include "controls/level_meter.h"
#include "controls/meter_ladder.h"

namespace kestra {
namespace {

// The strip meter: 30 x 200, one bar over 0..60, zones at 0.7 and 0.9, no margins.
struct StripMeter : ::testing::Test {
    LevelMeter meter;

    void SetUp() override {
        meter.resize(30, 200);
        meter.set_bar_count(1);
        meter.set_bar_range(0, 0, 60);
        meter.set_zone_limits(0.7, 0.9);
        meter.set_margins(0, 0);
    }
    QImage rendered() {
        QImage out(meter.size(), QImage::Format_RGB32);
        meter.render(&out);
        return out;
    }
    static QRgb lit(MeterLadder::Zone z) { return MeterLadder::lit_colour(z).rgb(); }
    static QRgb dark(MeterLadder::Zone z) { return MeterLadder::unlit_colour(z).rgb(); }
};

using Zone = MeterLadder::Zone;

TEST_F(StripMeter, BarSpansTheClientWidthLessOnePixelEachSide) {
    EXPECT_EQ(meter.bar_rect(0), QRect(1, 0, 28, 200));
}

TEST_F(StripMeter, LitHeightFollowsTheValueAndClamps) {
    meter.set_value(0, 0);
    EXPECT_EQ(meter.lit_height(0), 0);
    meter.set_value(45, 0);
    EXPECT_EQ(meter.lit_height(0), 150);
    meter.set_value(60, 0);
    EXPECT_EQ(meter.lit_height(0), 200);
    meter.set_value(70, 0);
    EXPECT_EQ(meter.lit_height(0), 200);
    EXPECT_EQ(meter.value(0), 60);
    meter.set_value(-5, 0);
    EXPECT_EQ(meter.lit_height(0), 0);
    EXPECT_EQ(meter.value(0), 0);  // the stored value becomes the minimum
}

TEST_F(StripMeter, ZeroDrawsOnlyTheUnlitLadder) {
    meter.set_value(0, 0);
    QImage out = rendered();
    EXPECT_EQ(out.pixel(10, 199), dark(Zone::low));
    EXPECT_EQ(out.pixel(10, 100), dark(Zone::low));
    EXPECT_EQ(out.pixel(10, 50), dark(Zone::middle));
    EXPECT_EQ(out.pixel(10, 1), dark(Zone::top));
    EXPECT_EQ(out.pixel(0, 100), LevelMeter::body_colour().rgb());
}

TEST_F(StripMeter, FullValueLightsTheWholeBarInItsZones) {
    meter.set_value(70, 0);
    QImage out = rendered();
    EXPECT_EQ(out.pixel(10, 199), lit(Zone::low));
    EXPECT_EQ(out.pixel(10, 60), lit(Zone::low));     // row bottom 138 above: below 140
    EXPECT_EQ(out.pixel(10, 58), lit(Zone::middle));  // row bottom 140 above
    EXPECT_EQ(out.pixel(10, 21), lit(Zone::middle));  // 178 above
    EXPECT_EQ(out.pixel(10, 19), lit(Zone::top));     // 180 above
    EXPECT_EQ(out.pixel(10, 0), lit(Zone::top));      // the top row is lit too
    EXPECT_EQ(out.pixel(29, 100), LevelMeter::body_colour().rgb());
}

TEST_F(StripMeter, PartialValueLightsWholeRowsUpToItsHeight) {
    meter.set_value(45, 0);  // 150 pixels: rows up to y = 50
    QImage out = rendered();
    EXPECT_EQ(out.pixel(10, 50), lit(Zone::middle));
    EXPECT_EQ(out.pixel(10, 49), dark(Zone::middle));
    EXPECT_EQ(meter.lit_rect(0), QRect(1, 50, 28, 150));
}

TEST(MeterLadder, OddLitHeightsLightOnlyWholeRows) {
    EXPECT_EQ(MeterLadder::rows_within(MeterLadder::lit_height(1, 0, 60, 200)), 1);
    EXPECT_EQ(MeterLadder::lit_height(0.1, 0, 60, 200), 0);
    EXPECT_EQ(MeterLadder::lit_height(30, 10, 10, 200), 0);  // empty range is skipped
}

TEST(MeterLadder, ZonesSplitAtTheLimits) {
    MeterZones z{0.7, 0.9};
    EXPECT_EQ(MeterLadder::zone_at(138, 200, z), Zone::low);
    EXPECT_EQ(MeterLadder::zone_at(140, 200, z), Zone::middle);
    EXPECT_EQ(MeterLadder::zone_at(178, 200, z), Zone::middle);
    EXPECT_EQ(MeterLadder::zone_at(180, 200, z), Zone::top);
}

TEST(LevelMeter, ScaleColumnIsLabelledInDecibelsBelowFullScale) {
    QStringList labels;
    for (int i = 0; i <= 6; ++i)
        labels << LevelMeter::scale_label(0, 60, i);
    EXPECT_EQ(labels.join(QLatin1Char(' ')), QStringLiteral("-60 -50 -40 -30 -20 -10 0"));
}

TEST(LevelMeter, BarsShareTheWidthWithMarginsAboveAndBelow) {
    LevelMeter meter;
    meter.resize(150, 222);
    meter.set_bar_count(4);
    meter.set_margins(10, 30);
    EXPECT_EQ(meter.bar_rect(0), QRect(1, 10, 35, 182));
    EXPECT_EQ(meter.bar_rect(3), QRect(113, 10, 36, 182));
}

TEST(LevelMeter, IgnoresBarsOutsideItsSlots) {
    LevelMeter meter;
    meter.set_value(10, 8);
    meter.set_value(10, -1);
    EXPECT_EQ(meter.value(8), 0);
    EXPECT_EQ(meter.lit_height(-1), 0);
}

}  // namespace
}  // namespace kestra
