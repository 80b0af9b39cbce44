#include "params/q_law.h"

#include <algorithm>
#include <cmath>

#include "params/tenths_law.h"

namespace kestra {

namespace {

constexpr double kStepNudge = 1e-9;

}  // namespace

std::string QLaw::text(long long stored) {
    return TenthsLaw::text(stored, 2);
}

int QLaw::stored_of_value(double q) {
    if (!(q >= kMinValue)) {
        return kMin;
    }
    if (q > 20) {
        return kMax;
    }
    return std::clamp(static_cast<int>(std::trunc(q * 10 + kStepNudge)), kMin, kMax);
}

int QLaw::slider_position(int stored) {
    return std::clamp(stored, kMin, kMax) - 1;
}

int QLaw::stored_of_slider(int position) {
    return std::clamp(position, 0, kMax - 1) + 1;
}

}  // namespace kestra
