#pragma once

#include <array>
#include <cstddef>

namespace kestra {

// The fixed frequency grid every EQ response is evaluated on: 241 points in about
// 1/24-octave steps from 19.71 Hz to 20 kHz, ascending.
inline constexpr std::size_t kGridPoints = 241;
using GridValues = std::array<double, kGridPoints>;

const GridValues& frequency_grid();

// The grid frequency a peaking band is drawn at: the nearer of the two neighbouring grid
// points, the upper one on a tie; 19.71 below the grid, 20000 above it.
double snap_to_grid(double freq);

// The processor's sample rate; every angle is taken at it.
inline constexpr double kSampleRate = 96000.0;

// 2 pi f / 96000.
double angle_of(double freq);

}  // namespace kestra
