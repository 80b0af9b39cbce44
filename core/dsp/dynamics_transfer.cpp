#include "dsp/dynamics_transfer.h"

#include <algorithm>

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
    const double l = std::min(level, 60);
    const double out = dynamics_transfer(l - 60, threshold - 60, ratio * 0.1, gain * 0.1);
    return DynamicsMeter{l, out + 60, (out + 60) - l + 60};
}

}  // namespace kestra
