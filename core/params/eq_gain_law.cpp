#include "params/eq_gain_law.h"

#include <algorithm>
#include <cmath>

#include "params/tenths_law.h"

namespace kestra {

namespace {

constexpr double kStepNudge = 1e-9;

}  // namespace

std::string EqGainLaw::text(long long stored) {
    return TenthsLaw::text(stored - kFlat, 1) + "dB";
}

int EqGainLaw::stored_of_db(double db) {
    if (!(db >= -15)) {  // also NaN
        return kMin;
    }
    if (db > 15) {
        return kMax;
    }
    return std::clamp(static_cast<int>(std::trunc(db * 10 + kFlat + kStepNudge)), kMin, kMax);
}

int EqGainLaw::stored_of_marker(double db) {
    return static_cast<int>(std::clamp(std::trunc(db * 10 + kFlat), double(kMin), double(kMax)));
}

int EqGainLaw::slider_position(int stored) {
    return std::clamp(stored, kMin, kMax);
}

int EqGainLaw::stored_of_slider(int position) {
    return std::clamp(position, kMin, kMax);
}

}  // namespace kestra
