#pragma once

#include <optional>

namespace kestra {

// Which parameter of a channel the read-out shows. The numbers are the ones the views have
// always reported and the shell's "readout CHANNEL KIND" takes, so they stay as they are. An
// input's band kinds are its PEQ bands 1-4 (gain, frequency, Q each), an output's the GEQ
// bands 1-15, so one number names a different parameter on each kind of channel.
enum class ReadoutKind : int {
    Selected = 0,  // a strip was picked: nothing to show but its name
    Mute = 1,
    Volume = 3,
    FirstBand = 5,  // input: 5 + 3 x band + part; output: 5 + band
    HpfFrequency = 20,
    LpfFrequency = 21,
    FirstBandMarker = 22,  // the PEQ graph's band markers 1-4
    HpfMarker = 27,
    LpfMarker = 28,
    LimiterThreshold = 41,
    LimiterRatio = 42,
    LimiterAttack = 43,
    LimiterRelease = 44,
    LimiterGain = 45,
    CompressorThreshold = 54,
    CompressorRatio = 55,
    CompressorAttack = 56,
    CompressorRelease = 57,
    CompressorGain = 58,
};

inline constexpr int kReadoutKindCount = 72;

constexpr int number_of(ReadoutKind kind) {
    return static_cast<int>(kind);
}

// A number typed or read back; nothing outside 0-71.
constexpr std::optional<ReadoutKind> readout_kind_of(int number) {
    if (number < 0 || number >= kReadoutKindCount) {
        return std::nullopt;
    }
    return static_cast<ReadoutKind>(number);
}

// PEQ band `band` 0-3; `part` 0 gain, 1 frequency, 2 Q.
constexpr ReadoutKind peq_band_kind(int band, int part) {
    return static_cast<ReadoutKind>(number_of(ReadoutKind::FirstBand) + 3 * band + part);
}

// GEQ band `band` 0-14.
constexpr ReadoutKind geq_band_kind(int band) {
    return static_cast<ReadoutKind>(number_of(ReadoutKind::FirstBand) + band);
}

// The PEQ graph's marker of band `band` 0-3.
constexpr ReadoutKind band_marker_kind(int band) {
    return static_cast<ReadoutKind>(number_of(ReadoutKind::FirstBandMarker) + band);
}

}  // namespace kestra
