#pragma once

#include <array>

#include "dsp/response_curve.h"

namespace kestra {

// The curves of one input's graph with their sum. A curve is recomputed only when its
// parameters changed; the sum is rebuilt on every load and set, so a marker drag costs one
// curve and the sum. Curves are kept as squared magnitudes; the sum takes the only logarithm.
class InputResponse {
public:
    InputResponse();

    // Takes the input's bands and filters from its record; `input_index` decides how many
    // curves are drawn (curve_count). Returns the number of curves recomputed.
    int load(const InputChannel& channel, int input_index);

    // Replaces one curve (0-5); returns whether it had to be recomputed.
    bool set_curve(int index, const CurveParams& params);

    // One curve in dB, computed from the kept magnitudes on each call.
    ResponseCurve curve(int index) const;
    const CurveParams& params(int index) const;
    const ResponseCurve& sum() const { return sum_; }
    int count() const { return count_; }

private:
    void rebuild_sum();

    std::array<CurveParams, kInputCurves> params_{};
    std::array<PowerCurve, kInputCurves> powers_{};
    ResponseCurve sum_{};
    int count_ = kInputCurves;
};

}  // namespace kestra
