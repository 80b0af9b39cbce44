#pragma once

namespace kestra {

// The settings of a compressor or limiter as its editor names them.
enum class DynamicsField { On, Threshold, Ratio, Attack, Release, Gain };

// What a marker of the transfer graph commits: the field and its new stored value.
struct DynamicsMarkerValue {
    DynamicsField field;
    int value;
    bool operator==(const DynamicsMarkerValue&) const = default;
};

// The transfer graph's markers, with input dB on x and output dB on y (both -60 ... 0):
// 0 the threshold on the diagonal, 1 the end of the compressed line at x = 0 (its slope gives
// the ratio against the stored threshold 0-60), 2 the make-up gain at x = -60. Each value is
// limited to its slider's range. A marker outside 0-2 or a position that is not a number
// throws std::invalid_argument.
DynamicsMarkerValue dynamics_marker_value(int marker, double x_db, double y_db,
                                          int stored_threshold);

}  // namespace kestra
