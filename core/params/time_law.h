#pragma once

#include <string>

namespace kestra {

// Times: the compressor's and limiter's attack and release in whole ms up to 250 (the lowest
// is 1 ms, 20 ms for the compressor's release), and the output delay in steps of 0.5 ms.
class TimeLaw {
public:
    static constexpr int kMaxDynamicsMs = 250;
    static constexpr int kLowestAttackMs = 1;
    static constexpr int kLowestCompressorReleaseMs = 20;

    static std::string text(long long ms) { return std::to_string(ms) + "ms"; }
    // Whole ms typed, limited to lowest..250.
    static int stored_of_typed(int ms, int lowest);

    // The delay selector's item for `step`: "1.5 ms".
    static std::string delay_text(int step);
};

}  // namespace kestra
