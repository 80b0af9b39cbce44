#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "dsp/biquad.h"
#include "dsp/eq_laws.h"
#include "dsp/input_response.h"
#include "dsp/response_curve.h"
#include "model/factory_values.h"

namespace kestra {
namespace {

std::size_t grid_index(double freq) {
    const GridValues& g = frequency_grid();
    const auto it = std::find(g.begin(), g.end(), freq);
    EXPECT_NE(it, g.end()) << freq << " is no grid point";
    return static_cast<std::size_t>(it - g.begin());
}

double at(const ResponseCurve& c, double freq) {
    return c[grid_index(freq)];
}

CurveParams band(double freq, double gain_db, double q, int type = kBandPeaking) {
    return CurveParams{CurveKind::Band, type, freq, gain_db, q, 0, true};
}

CurveParams filter(CurveKind kind, double freq, int slope_index, bool on = true) {
    return CurveParams{kind, kBandPeaking, freq, 0, 0, slope_index, on};
}

std::size_t argmax(const ResponseCurve& c) {
    return static_cast<std::size_t>(std::max_element(c.begin(), c.end()) - c.begin());
}

std::size_t argmin(const ResponseCurve& c) {
    return static_cast<std::size_t>(std::min_element(c.begin(), c.end()) - c.begin());
}

bool flat(const ResponseCurve& c) {
    return std::all_of(c.begin(), c.end(), [](double v) { return v == 0.0; });
}

InputChannel factory_input() {
    DeviceState state;
    apply_factory_values(state);
    return state.inputs[0];
}

TEST(FrequencyGrid, Has241AscendingPointsFrom1971HzTo20kHz) {
    const GridValues& g = frequency_grid();
    EXPECT_EQ(g.front(), 19.71);
    EXPECT_EQ(g.back(), 20000);
    EXPECT_TRUE(std::is_sorted(g.begin(), g.end()));
    EXPECT_EQ(std::adjacent_find(g.begin(), g.end()), g.end());
}

TEST(FrequencyGrid, SnapsToTheNearerPointAndTiesGoUp) {
    EXPECT_EQ(snap_to_grid(1000), 1000);
    EXPECT_EQ(snap_to_grid(1010), 1000);
    EXPECT_EQ(snap_to_grid(1014), 1000);
    EXPECT_EQ(snap_to_grid(1016), 1030);
    EXPECT_EQ(snap_to_grid(1015), 1030);  // 15 either way
    EXPECT_EQ(snap_to_grid(127), 129);    // 125 | 129
    EXPECT_EQ(snap_to_grid(126.9), 125);
    EXPECT_EQ(snap_to_grid(5), 19.71);
    EXPECT_EQ(snap_to_grid(25000), 20000);
}

TEST(ResponseCurve, PeakingBandReachesItsGainAtTheSnappedCentre) {
    const ResponseCurve c = compute_curve(band(1010, 6, 1.0));
    EXPECT_NEAR(at(c, 1000), 6.0, 1e-9);
    EXPECT_EQ(argmax(c), grid_index(1000));
    EXPECT_NEAR(c.front(), 0, 0.1);
    EXPECT_NEAR(c.back(), 0, 0.1);

    const ResponseCurve tie = compute_curve(band(1015, 6, 1.0));
    EXPECT_NEAR(at(tie, 1030), 6.0, 1e-9);
    EXPECT_EQ(argmax(tie), grid_index(1030));

    const ResponseCurve cut = compute_curve(band(63, -12, 4.0));
    EXPECT_NEAR(at(cut, 62.5), -12.0, 1e-9);
    EXPECT_EQ(argmin(cut), grid_index(62.5));

    EXPECT_TRUE(flat(compute_curve(band(1000, 0, 0.3))));
    // Frequencies that snap to one point draw one curve.
    EXPECT_EQ(compute_curve(band(1005, 3, 2)), compute_curve(band(1010, 3, 2)));
}

TEST(ResponseCurve, NarrowerQGivesANarrowerPeak) {
    const ResponseCurve wide = compute_curve(band(1000, 9, 0.5));
    const ResponseCurve narrow = compute_curve(band(1000, 9, 8.0));
    EXPECT_NEAR(at(narrow, 1000), at(wide, 1000), 1e-9);
    EXPECT_LT(at(narrow, 2000), at(wide, 2000) - 3);
    EXPECT_LT(at(narrow, 500), at(wide, 500) - 3);
}

TEST(ResponseCurve, ShelvesLiftTheirOwnEndAndAZeroDbShelfIsFlat) {
    EXPECT_TRUE(flat(compute_curve(band(1000, 0, 2, kBandLowShelf))));
    EXPECT_TRUE(flat(compute_curve(band(1000, 0, 2, kBandHighShelf))));

    const ResponseCurve low = compute_curve(band(1000, 10, 2, kBandLowShelf));
    EXPECT_NEAR(low.front(), 10, 0.1);
    EXPECT_NEAR(low.back(), 0, 0.1);
    const ResponseCurve high = compute_curve(band(1000, -10, 2, kBandHighShelf));
    EXPECT_NEAR(high.front(), 0, 0.1);
    EXPECT_NEAR(high.back(), -10, 0.3);

    // Shelves keep their frequency: 1005 and 1010 Hz draw different knees.
    EXPECT_NE(compute_curve(band(1005, 6, 2, kBandLowShelf)),
              compute_curve(band(1010, 6, 2, kBandLowShelf)));
}

TEST(ResponseCurve, FilterSlopesFallBySixDbPerOctavePerOrder) {
    for (int s = 0; s <= 6; ++s) {
        const double per_octave = 6.0 * (s + 2);
        // High-pass at 4 kHz, measured four to five octaves below the corner.
        const ResponseCurve hp = compute_curve(filter(CurveKind::HighPass, 4000, s));
        EXPECT_NEAR(at(hp, 250) - at(hp, 125), per_octave, 0.3) << "slope index " << s;
        EXPECT_NEAR(at(hp, 20000), 0, 0.1) << "slope index " << s;
        // Low-pass at 31 Hz, measured four to five octaves above it (far enough below half
        // the sample rate for the digital filter to keep the analogue slope).
        const ResponseCurve lp = compute_curve(filter(CurveKind::LowPass, 31.25, s));
        EXPECT_NEAR(at(lp, 500) - at(lp, 1000), per_octave, 0.3) << "slope index " << s;
        EXPECT_LT(at(lp, 20000), at(lp, 1000) - 3 * per_octave) << "slope index " << s;
    }
}

TEST(ResponseCurve, ButterworthRowsAreThreeDbDownAtTheCorner) {
    for (int s : {0, 1, 2}) {
        EXPECT_NEAR(at(compute_curve(filter(CurveKind::HighPass, 1000, s)), 1000), -3.01, 0.15)
            << s;
        EXPECT_NEAR(at(compute_curve(filter(CurveKind::LowPass, 1000, s)), 1000), -3.01, 0.15) << s;
    }
}

TEST(ResponseCurve, OffFiltersAreFlatAndOddSlopesOutsideTheTableUseItsEnds) {
    EXPECT_TRUE(flat(compute_curve(filter(CurveKind::HighPass, 4000, 6, false))));
    EXPECT_TRUE(flat(compute_curve(filter(CurveKind::LowPass, 100, 2, false))));
    EXPECT_EQ(compute_curve(filter(CurveKind::HighPass, 500, 9)),
              compute_curve(filter(CurveKind::HighPass, 500, 6)));
    EXPECT_EQ(compute_curve(filter(CurveKind::LowPass, 500, -3)),
              compute_curve(filter(CurveKind::LowPass, 500, 0)));
}

TEST(ResponseCurve, DegenerateStoredValuesStillGiveFiniteCurves) {
    for (const CurveParams& params :
         {band(0, 6, 0), band(1000, 40, 0.01, kBandLowShelf), band(-5, -40, 2, kBandHighShelf),
          filter(CurveKind::HighPass, 0, 6), filter(CurveKind::LowPass, 90000, 6)}) {
        const ResponseCurve c = compute_curve(params);
        EXPECT_TRUE(std::all_of(c.begin(), c.end(), [](double v) { return std::isfinite(v); }));
    }
}

TEST(InputResponse, SumIsThePointwiseSumOfTheBandsInDb) {
    InputChannel ch = factory_input();
    ch.peq_band[0].gain = 210;  // +6 dB at 200 Hz, Q 2
    ch.peq_band[2].gain = 110;  // -4 dB at 1000 Hz
    ch.peq_band[2].q = 50;
    const ResponseCurve sum = input_response(ch, 0);
    const Biquad b1 = Biquad::peaking(angle_of(198), 6, 2.0);  // 200 Hz snaps to 198
    const Biquad b3 = Biquad::peaking(angle_of(1000), -4, 5.0);
    const GridValues& g = frequency_grid();
    for (std::size_t i = 0; i < kGridPoints; ++i) {
        const double phi = angle_of(g[i]);
        EXPECT_NEAR(sum[i], b1.magnitude_db(phi) + b3.magnitude_db(phi), 1e-9) << g[i];
    }
}

TEST(InputResponse, FiltersCountOnlyOnInputsThatHaveThem) {
    InputChannel ch = factory_input();
    ch.hpf_on = 1;
    ch.hpf_freq = 1000;
    ch.peq_band[4].gain = 300;  // the hidden fifth band is never drawn
    EXPECT_EQ(curve_count(31), 6);
    EXPECT_EQ(curve_count(32), 4);
    EXPECT_LT(at(input_response(ch, 31), 99.2), -30);
    EXPECT_TRUE(flat(input_response(ch, 32)));
}

TEST(InputResponse, RecomputesOnlyChangedCurvesAndKeepsTheSumCurrent) {
    InputChannel ch = factory_input();
    InputResponse response;
    response.load(ch, 0);
    EXPECT_EQ(response.load(ch, 0), 0);

    ch.peq_band[1].gain = 270;
    ch.lpf_on = 1;
    ch.lpf_freq = 2000;
    ch.lpf_slope = 8;
    EXPECT_EQ(response.load(ch, 0), 2);
    EXPECT_EQ(response.sum(), input_response(ch, 0));
    EXPECT_EQ(response.curve(5), compute_curve(filter(CurveKind::LowPass, 2000, 6)));

    // Moving to an input without filters changes the sum, not the curves.
    EXPECT_EQ(response.load(ch, 40), 0);
    EXPECT_EQ(response.count(), 4);
    EXPECT_EQ(response.sum(), input_response(ch, 40));

    EXPECT_FALSE(response.set_curve(1, response.params(1)));
    EXPECT_TRUE(response.set_curve(1, band(500, 0, 2)));
    EXPECT_TRUE(flat(response.sum()));
    EXPECT_THROW(response.set_curve(6, band(500, 0, 2)), std::out_of_range);
}

TEST(EqLaws, FrequencySliderFollowsItsLogLawBothWays) {
    EXPECT_EQ(freq_of_slider(30), 20);
    EXPECT_EQ(freq_of_slider(330), 19953);
    EXPECT_EQ(freq_of_slider(200), 1000);
    EXPECT_EQ(freq_slider_position(20), 30);
    EXPECT_EQ(freq_slider_position(1000), 200);
    EXPECT_EQ(freq_slider_position(20000), 330);
    EXPECT_EQ(freq_slider_position(5), 30);
    EXPECT_EQ(freq_of_slider(400), 19953);
    // Whole hertz cannot tell every low position apart, so a position may come back one lower.
    for (int p = kFreqSliderMin; p <= kFreqSliderMax; ++p) {
        const int back = freq_slider_position(freq_of_slider(p));
        EXPECT_TRUE(back == p || back == p - 1) << p << " -> " << back;
    }
}

TEST(EqLaws, TypedAndDraggedValuesLandOnTheirStepWithinRange) {
    EXPECT_EQ(gain_code_of_db(0), 150);
    EXPECT_EQ(gain_code_of_db(2.3), 173);
    EXPECT_EQ(gain_code_of_db(-3.7), 113);
    EXPECT_EQ(gain_code_of_db(-0.05), 149);  // trunc, not round
    EXPECT_EQ(gain_code_of_db(15), 300);
    EXPECT_EQ(gain_code_of_db(15.4), 300);
    EXPECT_EQ(gain_code_of_db(-15.4), 0);
    EXPECT_EQ(gain_code_of_db(std::nan("")), 0);
    EXPECT_DOUBLE_EQ(gain_db_of_code(0), -15.0);
    EXPECT_EQ(q_code_of_value(2.3), 23);
    EXPECT_EQ(q_code_of_value(0.05), 1);
    EXPECT_EQ(q_code_of_value(25), 200);
    EXPECT_EQ(freq_code_of_hz(999.9), 999);
    EXPECT_EQ(freq_code_of_hz(3), 20);
    EXPECT_EQ(freq_code_of_hz(1e9), 20000);
    EXPECT_EQ(q_slider_position(1), 0);
    EXPECT_EQ(q_of_slider(199), 200);
    EXPECT_EQ(slope_item(4), 2);
    EXPECT_EQ(slope_item(5), -1);
    EXPECT_EQ(slope_of_item(0), 2);
}

}  // namespace
}  // namespace kestra
