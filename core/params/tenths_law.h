#pragma once

#include <string>

namespace kestra {

// Values stored in tenths of what the operator reads: the compressor's and limiter's ratio
// (10-100, 1:1.0 ... 1:10.0) and make-up gain (0-200, 0.0 ... 20.0 dB).
class TenthsLaw {
public:
    static const TenthsLaw kRatio;
    static const TenthsLaw kMakeUpGain;

    int min = 0;
    int max = 0;

    constexpr TenthsLaw(int lo, int hi) : min(lo), max(hi) {}

    // A count of tenths as printf's "%0.Nf" writes tenths x 0.1, N = `decimals` (1 or 2), in
    // integer arithmetic: the text must not follow the locale, and a stored value read from a
    // file may be any 32-bit number.
    static std::string text(long long tenths, int decimals);

    static double value(int stored) { return stored * 0.1; }
    // A typed value: trunc(value x 10), limited to min..max by the value before it is scaled.
    int stored_of_typed(double value) const;
    // A graph marker's value: trunc(value x 10) onto the step a rounding error below it,
    // limited to min..max.
    int stored_of_marker(double value) const;
};

inline constexpr TenthsLaw TenthsLaw::kRatio{10, 100};
inline constexpr TenthsLaw TenthsLaw::kMakeUpGain{0, 200};

}  // namespace kestra
