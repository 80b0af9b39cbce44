#include "dsp/response_curve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

#include "dsp/biquad.h"
#include "dsp/eq_laws.h"

namespace kestra {

namespace {

// Sine and cosine of every grid angle, computed once: a curve then costs one log10 a point.
struct GridTrig {
    GridValues sin_phi{};
    GridValues cos_phi{};
    GridTrig() {
        const GridValues& grid = frequency_grid();
        for (std::size_t i = 0; i < kGridPoints; ++i) {
            const double phi = angle_of(grid[i]);
            sin_phi[i] = std::sin(phi);
            cos_phi[i] = std::cos(phi);
        }
    }
};

const GridTrig& grid_trig() {
    static const GridTrig trig;
    return trig;
}

// The cascades of the slope selector: an optional first-order section, then second-order
// sections by damping value.
struct SlopeRow {
    bool first_order;
    std::array<double, 4> damping;
    std::size_t sections;
};

constexpr std::array<SlopeRow, 7> kSlopeRows{{
    {false, {0.70422535}, 1},
    {true, {0.5}, 1},
    {false, {0.92592593, 0.38167939}, 2},
    {true, {0.8064616129, 0.3086417953}, 2},
    {false, {0.96153846, 0.7042253521, 0.2590673575}, 3},
    {true, {0.9090909091, 0.625, 0.2222222222}, 3},
    {false, {0.98039216, 0.83333333, 0.55555556, 0.1953125}, 4},
}};

// Corner shifts of the shelves, so the drawn knee sits where the processor puts it.
constexpr double kLowShelfCornerScale = 1.2727272727;
constexpr double kHighShelfCornerScale = 0.76923076923;

// A magnitude that underflows is given about -3000 dB rather than minus infinity.
constexpr double kFloorSquared = std::numeric_limits<double>::min();

ResponseCurve cascade_db(std::span<const Biquad> sections) {
    const GridTrig& trig = grid_trig();
    ResponseCurve out{};
    for (std::size_t i = 0; i < kGridPoints; ++i) {
        // The sections' dB values add, so their squared magnitudes multiply under one log
        // and one division.
        double num = 1;
        double den = 1;
        for (const Biquad& s : sections) {
            num *= s.numerator_squared(trig.sin_phi[i], trig.cos_phi[i]);
            den *= s.denominator_squared(trig.sin_phi[i], trig.cos_phi[i]);
        }
        out[i] = 10 * std::log10(std::max(num / den, kFloorSquared));
    }
    return out;
}

// Corners outside the stored 20-20000 Hz would put a section near zero or past half the
// sample rate; the graph draws them at the nearest stored frequency instead.
double corner_angle(double freq) {
    return angle_of(std::clamp(freq, kMinEqFreq, kMaxEqFreq));
}

Biquad band_section(const CurveSpec& spec) {
    switch (spec.band_type) {
        case kBandLowShelf:
            return Biquad::low_shelf(corner_angle(spec.freq) * kLowShelfCornerScale, spec.gain_db);
        case kBandHighShelf:
            return Biquad::high_shelf(corner_angle(spec.freq) * kHighShelfCornerScale,
                                      spec.gain_db);
        default:
            // A Q below the smallest code (0.1) would make the band infinitely wide.
            return Biquad::peaking(angle_of(snap_to_grid(spec.freq)), spec.gain_db,
                                   std::max(spec.q, kMinQ));
    }
}

ResponseCurve band_curve(const CurveSpec& spec) {
    // A 0 dB band of any type changes nothing; skipping it also spares a drag its cost.
    if (spec.gain_db == 0.0) {
        return ResponseCurve{};
    }
    const Biquad section = band_section(spec);
    return cascade_db(std::span(&section, 1));
}

ResponseCurve filter_curve(const CurveSpec& spec) {
    if (!spec.enabled) {
        return ResponseCurve{};
    }
    const bool high = spec.kind == CurveKind::HighPass;
    const SlopeRow& row = kSlopeRows[static_cast<std::size_t>(std::clamp(spec.slope_index, 0, 6))];
    const double w0 = corner_angle(spec.freq);
    std::array<Biquad, 5> sections{};
    std::size_t n = 0;
    if (row.first_order) {
        sections[n++] = high ? Biquad::first_order_highpass(w0) : Biquad::first_order_lowpass(w0);
    }
    for (std::size_t k = 0; k < row.sections; ++k) {
        sections[n++] =
            high ? Biquad::highpass(w0, row.damping[k]) : Biquad::lowpass(w0, row.damping[k]);
    }
    return cascade_db(std::span(sections.data(), n));
}

}  // namespace

ResponseCurve compute_curve(const CurveSpec& spec) {
    return spec.kind == CurveKind::Band ? band_curve(spec) : filter_curve(spec);
}

int curve_count(int input_index) {
    return input_index < kProcessedInputs ? 6 : 4;
}

std::array<CurveSpec, kInputCurves> input_curve_specs(const InputChannel& channel) {
    std::array<CurveSpec, kInputCurves> specs{};
    for (std::size_t b = 0; b < 4; ++b) {
        const PeqBand& band = channel.peq_band[b];
        specs[b] = CurveSpec{CurveKind::Band,
                             band.type,
                             double(band.freq),
                             gain_db_of_code(band.gain),
                             q_of_code(band.q),
                             0,
                             true};
    }
    specs[4] = CurveSpec{CurveKind::HighPass,   kBandPeaking,       double(channel.hpf_freq), 0, 0,
                         channel.hpf_slope - 2, channel.hpf_on != 0};
    specs[5] = CurveSpec{CurveKind::LowPass,    kBandPeaking,       double(channel.lpf_freq), 0, 0,
                         channel.lpf_slope - 2, channel.lpf_on != 0};
    return specs;
}

ResponseCurve input_response(const InputChannel& channel, int input_index) {
    const auto specs = input_curve_specs(channel);
    ResponseCurve sum{};
    for (int i = 0; i < curve_count(input_index); ++i) {
        add_curve(sum, compute_curve(specs[static_cast<std::size_t>(i)]));
    }
    return sum;
}

void add_curve(ResponseCurve& sum, const ResponseCurve& curve) {
    for (std::size_t i = 0; i < kGridPoints; ++i) {
        sum[i] += curve[i];
    }
}

}  // namespace kestra
