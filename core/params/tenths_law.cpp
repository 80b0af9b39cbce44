#include "params/tenths_law.h"

#include <algorithm>
#include <cmath>

namespace kestra {

namespace {

constexpr double kStepNudge = 1e-9;

}  // namespace

std::string TenthsLaw::text(long long tenths, int decimals) {
    const long long magnitude = tenths < 0 ? -tenths : tenths;
    std::string out = tenths < 0 ? "-" : "";
    out += std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
    for (int d = 1; d < decimals; ++d) {
        out += '0';
    }
    return out;
}

int TenthsLaw::stored_of_typed(double v) const {
    if (v < min / 10.0) {
        return min;
    }
    return v > max / 10.0 ? max : static_cast<int>(v * 10);
}

int TenthsLaw::stored_of_marker(double v) const {
    return std::clamp(static_cast<int>(std::trunc(v * 10 + kStepNudge)), min, max);
}

}  // namespace kestra
