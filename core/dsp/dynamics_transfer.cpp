#include "dsp/dynamics_transfer.h"

#include <algorithm>

#include "params/level_law.h"
#include "params/tenths_law.h"

namespace kestra {

double dynamics_transfer(double x, double t, double r, double g) {
    if (x <= t) {
        return x + g;
    }
    if (t + g > 0) {
        return 0;
    }
    // The line of slope 1/r through (t, t + g); once it reaches 0 dB the output stays at 0.
    const double b = t + g - t / r;
    const double limit = (b >= -60 && b <= 0) ? 0.0 : -b * r;
    if (x > limit) {
        return 0;
    }
    return b + x / r;
}

DynamicsMeter dynamics_meter(int level, int threshold, int ratio, int gain) {
    // The bars are drawn on the stored scale, 0-60 for -60 ... 0 dB.
    const double l = std::min(level, LevelLaw::kMaxThreshold);
    const double out = LevelLaw::stored(
        dynamics_transfer(LevelLaw::db(l), LevelLaw::db(static_cast<double>(threshold)),
                          TenthsLaw::value(ratio), TenthsLaw::value(gain)));
    return DynamicsMeter{l, out, out - l + LevelLaw::kOffsetDb};
}

}  // namespace kestra
