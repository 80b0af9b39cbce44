#pragma once

#include <string>

#include "params/typed_number.h"

namespace kestra {

// Frequencies of the EQ bands and filters, stored in whole Hz, 20-20000. The sliders run on a
// log scale, positions 30-330: trunc(100 log10(f) - 100), and back floor(10^((p + 100) / 100)
// + 0.5).
class FrequencyLaw {
public:
    static constexpr int kMin = 20;
    static constexpr int kMax = 20000;
    static constexpr int kSliderMin = 30;
    static constexpr int kSliderMax = 330;

    static std::string text(long long hz) { return std::to_string(hz) + "Hz"; }

    // Hz typed or dragged: truncated, limited to 20-20000; NaN gives 20.
    static int stored_of_hz(double hz);
    // A typed number: limited to 20-20000 by its whole part, else its decimal truncated.
    static int stored_of_typed(const TypedValue& hz);

    static int slider_position(int hz);
    static int stored_of_slider(int position);
};

}  // namespace kestra
