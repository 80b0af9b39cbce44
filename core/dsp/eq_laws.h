#pragma once

#include "params/frequency_law.h"
#include "params/q_law.h"

namespace kestra {

// Conversions of the EQ parameters between what is stored, where a slider sits and what the
// operator reads, shared by the editors, the graph and the typed entry. Every *_code function
// limits its result to the stored range.

inline constexpr double kMinEqFreq = FrequencyLaw::kMin;
inline constexpr double kMaxEqFreq = FrequencyLaw::kMax;
inline constexpr double kMinQ = QLaw::kMinValue;

// Gain code 0-300, 150 = 0 dB, 0.1 dB a step.
double gain_db_of_code(int code);
// trunc(dB x 10 + 150), limited to 0-300 (below -15 dB 0, above +15 dB 300).
int gain_code_of_db(double db);

// Q code 1-200, shown x 0.1.
double q_of_code(int code);
// trunc(Q x 10), limited to 1-200 (below 0.1 gives 1, above 20 gives 200).
int q_code_of_value(double q);

// Frequency in Hz: trunc, limited to 20-20000.
int freq_code_of_hz(double hz);

// Frequency sliders, range 30-330 on a log scale: trunc(100 log10(freq) - 100), and back
// floor(10^((position + 100) / 100) + 0.5). Frequencies outside 20-20000 Hz and positions
// outside 30-330 are limited first.
inline constexpr int kFreqSliderMin = FrequencyLaw::kSliderMin;
inline constexpr int kFreqSliderMax = FrequencyLaw::kSliderMax;
int freq_slider_position(int freq_hz);
int freq_of_slider(int position);

// Gain sliders, range 0-300: the position is the gain code.
int gain_slider_position(int gain_code);
int gain_of_slider(int position);

// Q sliders, range 0-199: the position is the Q code - 1.
int q_slider_position(int q_code);
int q_of_slider(int position);

// Slope selector items "-12dB/Oct", "-18dB/Oct", "-24dB/Oct" are slopes 2, 3, 4. A slope the
// selector has no item for (5-8 from the processor) gives -1: no item selected.
int slope_item(int slope);
int slope_of_item(int item);

}  // namespace kestra
