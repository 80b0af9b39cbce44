#pragma once

#include <string>

namespace kestra {

// Levels stored as whole dB above -60 dB: the volumes (0-70, -60 ... +10 dB), the compressor's
// and limiter's thresholds (0-60, -60 ... 0 dB), the closed-channel attenuation and the meters'
// reported levels. The volume fader runs top-down, so its position is the distance from the
// top of the range.
class LevelLaw {
public:
    static constexpr int kOffsetDb = 60;      // stored 0 is -60 dB
    static constexpr int kMaxVolume = 70;     // +10 dB
    static constexpr int kMaxThreshold = 60;  // 0 dB

    static int db(int stored) { return stored - kOffsetDb; }
    static double db(double stored) { return stored - kOffsetDb; }
    static double stored(double db) { return db + kOffsetDb; }

    // "-10dB" as the read-out shows it; any 32-bit stored number reads without overflow.
    static std::string text(long long stored);

    // Whole dB typed or picked, limited to 0..max without overflow at the int limits.
    static int stored_of_db(int db, int max);
    // A graph marker's dB, truncated towards zero, limited to 0..max.
    static int stored_of_marker(double db, int max);

    // The volume fader: position 0 is the top (+10 dB), kMaxVolume the bottom.
    static int fader_position(int stored) { return kMaxVolume - stored; }
    static int stored_of_fader(int position) { return kMaxVolume - position; }
};

}  // namespace kestra
