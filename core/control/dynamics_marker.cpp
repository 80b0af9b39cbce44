#include "control/dynamics_marker.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace kestra {

namespace {

constexpr double kFloorDb = 60;
constexpr double kMinRatio = 1;
constexpr double kMaxRatio = 10;
constexpr int kMaxThreshold = 60;
constexpr int kMaxGain = 200;

int trunc_within(double value, int lo, int hi) {
    return static_cast<int>(std::clamp(std::trunc(value), double(lo), double(hi)));
}

// 1:R of the line from the threshold point (t, t) to (x, y).
double ratio_through(double t, double x, double y) {
    if (y - t == 0) {
        return kMaxRatio;
    }
    const double r = (x - t) / (y - t);
    if (r < 0 || r > kMaxRatio) {
        return kMaxRatio;
    }
    // A line steeper than the diagonal compresses nothing, which is 1:1; a vertical one too.
    return std::max(r, kMinRatio);
}

}  // namespace

DynamicsMarkerValue dynamics_marker_value(int marker, double x_db, double y_db,
                                          int stored_threshold) {
    if (!std::isfinite(x_db) || !std::isfinite(y_db)) {
        throw std::invalid_argument("marker position is not a number");
    }
    switch (marker) {
        case 0:
            return {DynamicsField::Threshold, trunc_within(x_db + kFloorDb, 0, kMaxThreshold)};
        case 1: {
            const double t = stored_threshold - kFloorDb;
            return {DynamicsField::Ratio, trunc_within(ratio_through(t, x_db, y_db) * 10,
                                                       int(kMinRatio * 10), int(kMaxRatio * 10))};
        }
        case 2:
            return {DynamicsField::Gain, trunc_within((y_db + kFloorDb) * 10, 0, kMaxGain)};
        default:
            throw std::invalid_argument("dynamics marker " + std::to_string(marker) +
                                        " is outside 0..2");
    }
}

}  // namespace kestra
