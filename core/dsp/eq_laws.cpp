#include "dsp/eq_laws.h"

#include <algorithm>
#include <cmath>

namespace kestra {

namespace {

// Decimal values such as 2.3 are not exact in binary, and 2.3 x 10 comes out just below 23;
// a nudge far below one step lets a value land on the step it names.
constexpr double kStepNudge = 1e-9;

int truncate_step(double v) {
    return static_cast<int>(std::trunc(v + kStepNudge));
}

}  // namespace

double gain_db_of_code(int code) {
    return (code - 150) * 0.1;
}

int gain_code_of_db(double db) {
    if (!(db >= -15)) {  // also NaN
        return 0;
    }
    if (db > 15) {
        return 300;
    }
    return std::clamp(truncate_step(db * 10 + 150), 0, 300);
}

double q_of_code(int code) {
    return code * 0.1;
}

int q_code_of_value(double q) {
    if (!(q >= 0.1)) {
        return 1;
    }
    if (q > 20) {
        return 200;
    }
    return std::clamp(truncate_step(q * 10), 1, 200);
}

int freq_code_of_hz(double hz) {
    if (!(hz >= kMinEqFreq)) {
        return static_cast<int>(kMinEqFreq);
    }
    if (hz > kMaxEqFreq) {
        return static_cast<int>(kMaxEqFreq);
    }
    return static_cast<int>(std::trunc(hz));
}

int freq_slider_position(int freq_hz) {
    const double f = std::clamp(static_cast<double>(freq_hz), kMinEqFreq, kMaxEqFreq);
    const int position = static_cast<int>(std::trunc(100 * std::log10(f) - 100));
    return std::clamp(position, kFreqSliderMin, kFreqSliderMax);
}

int freq_of_slider(int position) {
    const int p = std::clamp(position, kFreqSliderMin, kFreqSliderMax);
    return static_cast<int>(std::floor(std::pow(10.0, (p + 100) / 100.0) + 0.5));
}

int gain_slider_position(int gain_code) {
    return std::clamp(gain_code, 0, 300);
}
int gain_of_slider(int position) {
    return std::clamp(position, 0, 300);
}

int q_slider_position(int q_code) {
    return std::clamp(q_code, 1, 200) - 1;
}
int q_of_slider(int position) {
    return std::clamp(position, 0, 199) + 1;
}

int slope_item(int slope) {
    return (slope >= 2 && slope <= 4) ? slope - 2 : -1;
}
int slope_of_item(int item) {
    return std::clamp(item, 0, 2) + 2;
}

}  // namespace kestra
