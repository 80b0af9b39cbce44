#include "params/time_law.h"

#include <algorithm>

#include "params/tenths_law.h"

namespace kestra {

namespace {

constexpr int kTenthsPerDelayStep = 5;

}  // namespace

int TimeLaw::stored_of_typed(int ms, int lowest) {
    return std::clamp(ms, lowest, kMaxDynamicsMs);
}

std::string TimeLaw::delay_text(int step) {
    return TenthsLaw::text(static_cast<long long>(step) * kTenthsPerDelayStep, 1) + " ms";
}

}  // namespace kestra
