#include "dsp/response_curve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "dsp/biquad.h"
#include "dsp/eq_laws.h"
#include "params/band_type_law.h"

namespace kestra {

namespace {

// The point loops run over an even count so the compiler can take them two at a time; the
// extra point repeats the last grid angle and is dropped from the result.
constexpr std::size_t kPadded = kGridPoints + 1;
using PaddedValues = std::array<double, kPadded>;

// Sine and cosine of every grid angle, computed once: a curve then needs no trigonometry
// per point.
struct GridTrig {
    PaddedValues sin_phi{};
    PaddedValues cos_phi{};
    GridTrig() {
        const GridValues& grid = frequency_grid();
        for (std::size_t i = 0; i < kPadded; ++i) {
            const double phi = angle_of(grid[std::min(i, kGridPoints - 1)]);
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

// |H|^2 of a cascade: the sections' squared magnitudes multiply; numerators and
// denominators are kept apart so each point divides once. Sections run in the outer loop so
// the loop over the points carries no dependency.
PowerCurve cascade_power(std::span<const Biquad> sections) {
    const GridTrig& trig = grid_trig();
    PaddedValues num;
    PaddedValues den;
    num.fill(1);
    den.fill(1);
    for (const Biquad& s : sections) {
        for (std::size_t i = 0; i < kPadded; ++i) {
            num[i] *= s.numerator_squared(trig.sin_phi[i], trig.cos_phi[i]);
            den[i] *= s.denominator_squared(trig.sin_phi[i], trig.cos_phi[i]);
        }
    }
    PaddedValues ratio;
    for (std::size_t i = 0; i < kPadded; ++i) {
        ratio[i] = num[i] / den[i];
    }
    PowerCurve out;
    std::copy_n(ratio.begin(), kGridPoints, out.begin());
    return out;
}

PowerCurve flat_power() {
    PowerCurve p;
    p.fill(1);
    return p;
}

// Corners outside the stored 20-20000 Hz would put a section near zero or past half the
// sample rate; the graph draws them at the nearest stored frequency instead.
double corner_angle(double freq) {
    return angle_of(std::clamp(freq, kMinEqFreq, kMaxEqFreq));
}

Biquad band_section(const CurveParams& params) {
    switch (params.band_type) {
        case kBandLowShelf:
            return Biquad::low_shelf(corner_angle(params.freq) * kLowShelfCornerScale,
                                     params.gain_db);
        case kBandHighShelf:
            return Biquad::high_shelf(corner_angle(params.freq) * kHighShelfCornerScale,
                                      params.gain_db);
        default:
            // A Q below the smallest code (0.1) would make the band infinitely wide.
            return Biquad::peaking(angle_of(snap_to_grid(params.freq)), params.gain_db,
                                   std::max(params.q, kMinQ));
    }
}

PowerCurve band_power(const CurveParams& params) {
    // A 0 dB band of any type changes nothing; skipping it also spares a drag its cost.
    if (params.gain_db == 0.0) {
        return flat_power();
    }
    const Biquad section = band_section(params);
    return cascade_power(std::span(&section, 1));
}

PowerCurve filter_power(const CurveParams& params) {
    if (!params.enabled) {
        return flat_power();
    }
    const bool high = params.kind == CurveKind::HighPass;
    const SlopeRow& row =
        kSlopeRows[static_cast<std::size_t>(std::clamp(params.slope_index, 0, 6))];
    const double w0 = corner_angle(params.freq);
    std::array<Biquad, 5> sections{};
    std::size_t n = 0;
    if (row.first_order) {
        sections[n++] = high ? Biquad::first_order_highpass(w0) : Biquad::first_order_lowpass(w0);
    }
    for (std::size_t k = 0; k < row.sections; ++k) {
        sections[n++] =
            high ? Biquad::highpass(w0, row.damping[k]) : Biquad::lowpass(w0, row.damping[k]);
    }
    return cascade_power(std::span(sections.data(), n));
}

CurveParams band_params(const PeqBand& band) {
    CurveParams params;
    params.kind = CurveKind::Band;
    params.band_type = band.type;
    params.freq = band.freq;
    params.gain_db = gain_db_of_code(band.gain);
    params.q = q_of_code(band.q);
    return params;
}

CurveParams filter_params(CurveKind kind, int32_t freq, int32_t slope, int32_t on) {
    CurveParams params;
    params.kind = kind;
    params.freq = freq;
    params.slope_index = BandTypeLaw::curve_slope_index(slope);
    params.enabled = on != 0;
    return params;
}

}  // namespace

PowerCurve compute_power(const CurveParams& params) {
    return params.kind == CurveKind::Band ? band_power(params) : filter_power(params);
}

ResponseCurve power_to_db(const PowerCurve& power) {
    ResponseCurve out;
    for (std::size_t i = 0; i < kGridPoints; ++i) {
        out[i] = 10 * std::log10(std::max(power[i], kFloorSquared));
    }
    return out;
}

ResponseCurve compute_curve(const CurveParams& params) {
    return power_to_db(compute_power(params));
}

int curve_count(int input_index) {
    return input_index < kProcessedInputs ? 6 : 4;
}

std::array<CurveParams, kInputCurves> input_curve_params(const InputChannel& channel) {
    std::array<CurveParams, kInputCurves> params{};
    for (std::size_t b = 0; b < 4; ++b) {
        params[b] = band_params(channel.peq_band[b]);
    }
    params[4] =
        filter_params(CurveKind::HighPass, channel.hpf_freq, channel.hpf_slope, channel.hpf_on);
    params[5] =
        filter_params(CurveKind::LowPass, channel.lpf_freq, channel.lpf_slope, channel.lpf_on);
    return params;
}

ResponseCurve input_response(const InputChannel& channel, int input_index) {
    const auto params = input_curve_params(channel);
    PowerCurve product = flat_power();
    for (int i = 0; i < curve_count(input_index); ++i) {
        const PowerCurve p = compute_power(params[static_cast<std::size_t>(i)]);
        for (std::size_t k = 0; k < kGridPoints; ++k) {
            product[k] *= p[k];
        }
    }
    return power_to_db(product);
}

}  // namespace kestra
