#pragma once

#include <exception>

#include "model/device_state.h"
#include "model/state_ranges.h"
#include "protocol/command_encoder.h"

// What every stored-file fuzzer asks of a state it let through.
namespace kestra::fuzz {

inline void require(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

// A state whose every value is within its range gives every command the processor is sent
// without one field refused for its width: the ranges and the wire fields agree. Channels
// equal to `base`'s (a state known to pass) are not encoded again, which keeps a run short.
inline void require_sendable(const DeviceState& s, const DeviceState& base) {
    require(!StateRanges::first_fault(s).has_value());
    const auto same_input = [&](int in) { return s.inputs[in - 1] == base.inputs[in - 1]; };
    const auto same_output = [&](int out) { return s.outputs[out - 1] == base.outputs[out - 1]; };
    try {
        for (int ch = 1; ch <= kInputCount + kOutputCount; ++ch) {
            if (ch <= kInputCount ? !same_input(ch) : !same_output(ch - kInputCount)) {
                encode_fader(s, ch);
            }
        }
        for (int in = 1; in <= kInputCount; ++in) {
            if (same_input(in)) {
                continue;
            }
            encode_matrix_row(s, in);
            encode_input_gain(s, in);
            encode_automix_channel(s, in);
            encode_compressor(s, in);
            encode_low_pass(s, in);
            encode_high_pass(s, in);
            for (int band = 1; band <= kPeqBands; ++band) {
                encode_peq_band(s, in, band);
            }
        }
        for (int in = kProcessedInputs + 1; in <= kInputCount; ++in) {
            encode_input_source(s, in);
        }
        for (int out = 1; out <= kOutputCount; ++out) {
            if (same_output(out)) {
                continue;
            }
            encode_limiter(s, out);
            encode_graphic_eq(s, out);
            encode_output_mode(s, out);
            encode_output_delay(s, out);
            encode_output_fbk(s, out);
        }
        for (int group = 0; group < kUnitGroups; ++group) {
            encode_unit_settings(s, group);
        }
        encode_automix_settings(s);
        encode_automix_hidden(s);
    } catch (const std::exception&) {
        require(false);
    }
}

}  // namespace kestra::fuzz
