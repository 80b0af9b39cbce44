#include <gtest/gtest.h>

#include <climits>

#include "params/band_type_law.h"
#include "params/eq_gain_law.h"
#include "params/frequency_law.h"
#include "params/level_law.h"
#include "params/q_law.h"
#include "params/readout_kind.h"
#include "params/tenths_law.h"
#include "params/time_law.h"

namespace kestra {
namespace {

TEST(LevelLaw, TextsAndTypedLevelsAtTheLimits) {
    EXPECT_EQ(LevelLaw::text(0), "-60dB");
    EXPECT_EQ(LevelLaw::text(70), "10dB");
    EXPECT_EQ(LevelLaw::text(-2147483648LL), "-2147483708dB");  // a stored word from a file
    EXPECT_EQ(LevelLaw::stored_of_db(-61, LevelLaw::kMaxVolume), 0);
    EXPECT_EQ(LevelLaw::stored_of_db(10, LevelLaw::kMaxVolume), 70);
    EXPECT_EQ(LevelLaw::stored_of_db(11, LevelLaw::kMaxVolume), 70);
    EXPECT_EQ(LevelLaw::stored_of_db(1, LevelLaw::kMaxThreshold), 60);
    // Saturated typed numbers must not wrap around when the offset is added.
    EXPECT_EQ(LevelLaw::stored_of_db(INT_MAX, LevelLaw::kMaxVolume), 70);
    EXPECT_EQ(LevelLaw::stored_of_db(INT_MIN, LevelLaw::kMaxVolume), 0);
}

TEST(LevelLaw, FaderRunsTopDownAndMarkersLandOnTheirStep) {
    EXPECT_EQ(LevelLaw::fader_position(70), 0);
    EXPECT_EQ(LevelLaw::fader_position(0), 70);
    for (int stored : {0, 13, 60, 70}) {
        EXPECT_EQ(LevelLaw::stored_of_fader(LevelLaw::fader_position(stored)), stored);
    }
    EXPECT_EQ(LevelLaw::stored_of_marker(-60.0 + 17.0, LevelLaw::kMaxThreshold), 17);
    EXPECT_EQ(LevelLaw::stored_of_marker(-0.5, LevelLaw::kMaxThreshold), 59);
    EXPECT_EQ(LevelLaw::stored_of_marker(3.0, LevelLaw::kMaxThreshold), 60);
    EXPECT_EQ(LevelLaw::stored_of_marker(-75.0, LevelLaw::kMaxThreshold), 0);
}

TEST(EqGainLaw, TypedDecimalsLandOnTheirStepButMarkersTruncate) {
    // A typed value a rounding error below a step is that step; a marker there is not.
    EXPECT_EQ(EqGainLaw::stored_of_db(2.29999999995), 173);
    EXPECT_EQ(EqGainLaw::stored_of_marker(2.29999999995), 172);
    EXPECT_EQ(EqGainLaw::stored_of_db(-2.3), 127);
    EXPECT_EQ(EqGainLaw::stored_of_db(-15.05), 0);
    EXPECT_EQ(EqGainLaw::stored_of_db(15.01), 300);
    EXPECT_EQ(EqGainLaw::stored_of_marker(-40.0), 0);
    EXPECT_EQ(EqGainLaw::stored_of_marker(40.0), 300);
    EXPECT_EQ(EqGainLaw::text(149), "-0.1dB");
    EXPECT_EQ(EqGainLaw::text(150), "0.0dB");
    EXPECT_EQ(EqGainLaw::text(300), "15.0dB");
}

TEST(EqGainLaw, TheWireCarriesHalfSoAnOddGainLosesItsLowStep) {
    EXPECT_EQ(EqGainLaw::wire(300), 150);
    EXPECT_EQ(EqGainLaw::wire(151), 75);
    EXPECT_EQ(EqGainLaw::stored_of_wire(EqGainLaw::wire(151)), 150);
    for (int stored = EqGainLaw::kMin; stored <= EqGainLaw::kMax; stored += 2) {
        EXPECT_EQ(EqGainLaw::stored_of_wire(EqGainLaw::wire(stored)), stored);
    }
}

TEST(TenthsLaw, TypedRatiosAndGainsAreLimitedBeforeTheyAreScaled) {
    EXPECT_EQ(TenthsLaw::kRatio.stored_of_typed(0.95), 10);
    EXPECT_EQ(TenthsLaw::kRatio.stored_of_typed(10.0), 100);
    EXPECT_EQ(TenthsLaw::kRatio.stored_of_typed(10.5), 100);
    EXPECT_EQ(TenthsLaw::kRatio.stored_of_typed(4.0), 40);
    EXPECT_EQ(TenthsLaw::kMakeUpGain.stored_of_typed(-0.1), 0);
    EXPECT_EQ(TenthsLaw::kMakeUpGain.stored_of_typed(20.0), 200);
    EXPECT_EQ(TenthsLaw::kMakeUpGain.stored_of_typed(1e300), 200);
    EXPECT_EQ(TenthsLaw::kRatio.stored_of_marker(0.3), 10);
    EXPECT_EQ(TenthsLaw::kRatio.stored_of_marker(2.3), 23);
}

TEST(TenthsLaw, TextsWriteTenthsAsPrintfWithoutTheLocale) {
    EXPECT_EQ(TenthsLaw::text(-5, 1), "-0.5");
    EXPECT_EQ(TenthsLaw::text(105, 2), "10.50");
    EXPECT_EQ(QLaw::text(1), "0.10");
    EXPECT_EQ(TimeLaw::delay_text(0), "0.0 ms");
    EXPECT_EQ(TimeLaw::delay_text(3), "1.5 ms");
}

TEST(FrequencyLaw, TypedAndDraggedFrequenciesStayInTheBand) {
    EXPECT_EQ(FrequencyLaw::stored_of_typed(TypedValue{19.9, 19}), 20);
    EXPECT_EQ(FrequencyLaw::stored_of_typed(TypedValue{1500.7, 1500}), 1500);
    EXPECT_EQ(FrequencyLaw::stored_of_typed(TypedValue{1e12, INT_MAX}), 20000);
    EXPECT_EQ(FrequencyLaw::stored_of_hz(20000.9), 20000);
    EXPECT_EQ(FrequencyLaw::stored_of_slider(FrequencyLaw::slider_position(1000)), 1000);
}

TEST(BandTypeLaw, TypesCountFromOneOnTheWireAndSteepSlopesHaveNoItem) {
    for (int type = 0; type <= 2; ++type) {
        EXPECT_EQ(BandTypeLaw::type_of_wire(BandTypeLaw::wire(type)), type);
    }
    EXPECT_EQ(BandTypeLaw::wire(2), 3);
    EXPECT_EQ(BandTypeLaw::slope_item(5), -1);
    EXPECT_EQ(BandTypeLaw::slope_of_item(BandTypeLaw::slope_item(3)), 3);
    EXPECT_EQ(BandTypeLaw::curve_slope_index(8), 6);
}

// Scripts and the shell name kinds by number, so the numbering must not move.
TEST(ReadoutKind, KeepsTheNumbersScriptsUse) {
    EXPECT_EQ(number_of(peq_band_kind(0, 0)), 5);
    EXPECT_EQ(number_of(peq_band_kind(1, 1)), 9);
    EXPECT_EQ(number_of(peq_band_kind(3, 2)), 16);
    EXPECT_EQ(number_of(geq_band_kind(14)), 19);
    EXPECT_EQ(number_of(band_marker_kind(3)), 25);
    EXPECT_EQ(number_of(ReadoutKind::LpfMarker), 28);
    EXPECT_EQ(number_of(ReadoutKind::LimiterGain), 45);
    EXPECT_EQ(number_of(ReadoutKind::CompressorThreshold), 54);
    EXPECT_EQ(readout_kind_of(71), ReadoutKind{71});
    EXPECT_EQ(readout_kind_of(72), std::nullopt);
    EXPECT_EQ(readout_kind_of(-1), std::nullopt);
}

}  // namespace
}  // namespace kestra
