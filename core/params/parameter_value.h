#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/device_state.h"
#include "params/parameter.h"
#include "params/typed_number.h"

namespace kestra {

// A parameter's value in its four forms: stored (the state's number), display (what the
// operator reads, in the row's unit), control position (slider or list index) and wire field
// (what its command carries). Each conversion is written here once, from the row's law.
class ParameterValue {
public:
    // The stored number; 0 for a text row.
    static int32_t stored(const Parameter& p, const DeviceState& state);
    // The stored bytes of a text row; empty for others.
    static std::string stored_text(const Parameter& p, const DeviceState& state);
    // Stores `value` as it stands (no limits): for decoders and tests, never for an operator's
    // change, which goes through the actions. False when the row has no such field.
    static bool store(const Parameter& p, DeviceState& state, int32_t value);

    static double display(const Parameter& p, int32_t stored);
    // The display value in the row's unit ("-10dB", "1000Hz", "1:4.0", "OPEN", "AUX2").
    static std::string text(const Parameter& p, int32_t stored);
    // The display value alone, without the unit: what a script types back.
    static std::string number_text(const Parameter& p, double display);

    static int position(const Parameter& p, int32_t stored);
    static int32_t stored_of_position(const Parameter& p, int position);
    static int position_count(const Parameter& p);

    static int wire(const Parameter& p, int32_t stored);
    static int32_t stored_of_wire(const Parameter& p, int wire);
    // Stored units per wire step: 2 where the wire halves the value, else 1.
    static int wire_resolution(const Parameter& p);

    // The nearest stored value within the row's range and on its steps.
    static int32_t limited(const Parameter& p, int64_t stored);

    // A typed value in the display unit ("-10", "-10 dB", "1k", "on", "AUX2", "1:4"), limited
    // to the row's range: the one reading of what an operator types, for the read-out's boxes
    // and the shell's set alike. A text that is no such value is refused: `refusal` under the
    // row's label, `reason` alone for a caller that names the parameter its own way.
    struct Typed {
        std::optional<int32_t> stored;
        std::string refusal;
        std::string reason;
    };
    static Typed read(const Parameter& p, std::string_view text);
    // The unit a number for the row is typed in.
    static TypedUnit typed_unit(const Parameter& p);
    // A typed number as the row stores it, limited to its range. Where the display shows whole
    // units the number's whole part counts (-10.6 dB is -10 dB); where it shows finer steps the
    // step at or below the number does (-1.55 dB is -1.6 dB). Nothing is rounded up.
    static int32_t stored_of_typed(const Parameter& p, const TypedValue& typed);
};

}  // namespace kestra
