#include "params/level_law.h"

#include <algorithm>
#include <cmath>

namespace kestra {

namespace {

// A marker dragged onto a step sits a rounding error below it; the nudge keeps it there.
constexpr double kStepNudge = 1e-9;

}  // namespace

std::string LevelLaw::text(long long stored) {
    return std::to_string(stored - kOffsetDb) + "dB";
}

int LevelLaw::stored_of_db(int db, int max) {
    const long long stored = static_cast<long long>(db) + kOffsetDb;
    return static_cast<int>(std::clamp(stored, 0LL, static_cast<long long>(max)));
}

int LevelLaw::stored_of_marker(double db, int max) {
    const int stored = static_cast<int>(std::trunc(db + kOffsetDb + kStepNudge));
    return std::clamp(stored, 0, max);
}

}  // namespace kestra
