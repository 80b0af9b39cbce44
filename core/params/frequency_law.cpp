#include "params/frequency_law.h"

#include <algorithm>
#include <cmath>

namespace kestra {

int FrequencyLaw::stored_of_hz(double hz) {
    if (!(hz >= kMin)) {
        return kMin;
    }
    if (hz > kMax) {
        return kMax;
    }
    return static_cast<int>(std::trunc(hz));
}

int FrequencyLaw::stored_of_typed(const TypedValue& hz) {
    if (hz.integer < kMin) {
        return kMin;
    }
    return hz.integer > kMax ? kMax : static_cast<int>(hz.decimal);
}

int FrequencyLaw::slider_position(int hz) {
    const double f = std::clamp(static_cast<double>(hz), double(kMin), double(kMax));
    const int position = static_cast<int>(std::trunc(100 * std::log10(f) - 100));
    return std::clamp(position, kSliderMin, kSliderMax);
}

int FrequencyLaw::stored_of_slider(int position) {
    const int p = std::clamp(position, kSliderMin, kSliderMax);
    return static_cast<int>(std::floor(std::pow(10.0, (p + 100) / 100.0) + 0.5));
}

}  // namespace kestra
