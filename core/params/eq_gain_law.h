#pragma once

#include <string>

namespace kestra {

// The PEQ and GEQ band gains: stored 0-300, 150 = 0 dB, 0.1 dB a step (-15 ... +15 dB). The
// slider's position is the stored value; the wire carries half of it, so an odd stored gain
// reaches the processor one step lower.
class EqGainLaw {
public:
    static constexpr int kMin = 0;
    static constexpr int kMax = 300;
    static constexpr int kFlat = 150;

    static double db(int stored) { return (stored - kFlat) * 0.1; }
    // "-1.5dB" as the read-out and the PEQ editor show it, for any 32-bit stored number.
    static std::string text(long long stored);

    // Typed dB: trunc(dB x 10 + 150), limited to 0-300; NaN gives 0. A decimal such as 2.3
    // lands on its own step although 2.3 x 10 is just below 23 in binary.
    static int stored_of_db(double db);
    // A graph marker's dB: trunc(dB x 10 + 150), limited to 0-300; the caller refuses NaN.
    static int stored_of_marker(double db);

    static int slider_position(int stored);
    static int stored_of_slider(int position);

    static int wire(int stored) { return stored / 2; }
    static int stored_of_wire(int wire) { return wire * 2; }
};

}  // namespace kestra
