#pragma once

#include <array>

#include "dsp/frequency_grid.h"
#include "model/device_state.h"

namespace kestra {

// One curve of the response graph: 241 dB values over frequency_grid().
using ResponseCurve = GridValues;

enum class CurveKind { Band = 1, HighPass = 2, LowPass = 3 };

inline constexpr int kBandPeaking = 0;
inline constexpr int kBandLowShelf = 1;
inline constexpr int kBandHighShelf = 2;

// What the graph keeps for one curve, in the units the operator sees.
struct CurveParams {
    CurveKind kind = CurveKind::Band;
    int band_type = kBandPeaking;  // bands only: 0 peaking, 1 low shelf, 2 high shelf
    double freq = 1000;            // Hz
    double gain_db = 0;            // bands only
    double q = 2;                  // bands only: the stored q x 0.1
    int slope_index = 0;           // filters only: slope - 2, 0-6 (-12 ... -48 dB/oct)
    bool enabled = true;           // filters only; an off filter is flat

    bool operator==(const CurveParams&) const = default;
};

// The response of one curve in dB. Peaking bands are drawn at their snapped grid frequency;
// shelves at their own frequency; a 0 dB band is flat. Slope indices outside 0-6 are taken as
// the nearest table row.
ResponseCurve compute_curve(const CurveParams& params);

// The same as squared magnitudes |H|^2 (1 where flat). Curves add in dB, so they multiply
// here, and a sum of several takes one logarithm a point instead of one a curve.
using PowerCurve = GridValues;
PowerCurve compute_power(const CurveParams& params);
ResponseCurve power_to_db(const PowerCurve& power);

// An input's graph: curves 0-3 are bands 1-4, 4 the high-pass, 5 the low-pass. The fifth
// stored band is never drawn. Inputs from index 32 on show the four bands only.
inline constexpr int kInputCurves = 6;
int curve_count(int input_index);
std::array<CurveParams, kInputCurves> input_curve_params(const InputChannel& channel);

// The drawn curve of an input: the sum of its first curve_count(index) curves.
ResponseCurve input_response(const InputChannel& channel, int input_index);

}  // namespace kestra
