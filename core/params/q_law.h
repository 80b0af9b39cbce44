#pragma once

#include <string>

namespace kestra {

// The EQ bands' Q, stored x 10 (1-200, 0.1 ... 20.0) and shown with two decimals. The slider
// runs 0-199: the stored value - 1.
class QLaw {
public:
    static constexpr int kMin = 1;
    static constexpr int kMax = 200;
    static constexpr double kMinValue = 0.1;

    static double value(int stored) { return stored * 0.1; }
    static std::string text(long long stored);

    // trunc(Q x 10) onto the step a rounding error below it, limited to 1-200; NaN gives 1.
    static int stored_of_value(double q);

    static int slider_position(int stored);
    static int stored_of_slider(int position);
};

}  // namespace kestra
