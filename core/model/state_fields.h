#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/device_state.h"

namespace kestra {

// One named value of the state: a number, or a text field's stored bytes.
struct FieldValue {
    int32_t number = 0;
    std::string text;
    bool is_text = false;

    bool operator==(const FieldValue&) const = default;
};

// The state as a list of records ("units") of named values, each in the fixed order of the
// layout: the 64 inputs, the 16 outputs, the system block and the group tables. What the
// processor reports many times a second (levels, automix states) and the connection's
// bookkeeping are not part of it, nor are the image's unnamed words. Comparing two states
// unit by unit, slot by slot, is how a diff, an undo and the journal see a change.
class StateFields {
public:
    static constexpr int kSystemUnit = kInputCount + kOutputCount;
    static constexpr int kGroupsUnit = kSystemUnit + 1;
    static constexpr int kUnitCount = kGroupsUnit + 1;

    static constexpr int input_unit(int index) { return index; }
    static constexpr int output_unit(int index) { return kInputCount + index; }
    static bool is_input(int unit) { return unit >= 0 && unit < kInputCount; }
    static bool is_output(int unit) { return unit >= kInputCount && unit < kSystemUnit; }

    // The unit's values in slot order.
    static std::vector<FieldValue> values(const DeviceState& state, int unit);
    // The slots' paths as the state JSON names them ("peq_band[1].gain", "matrix_row[3]",
    // "control[2].name"), the same for every unit of a kind.
    static const std::vector<std::string>& paths(int unit);
    // Stores `value` in slot `slot` of `unit`; a slot out of range or a value of the other
    // kind changes nothing and returns false.
    static bool assign(DeviceState& state, int unit, int slot, const FieldValue& value);
    // Stores every value of `from`'s unit into `to`; live fields stay as `to` has them.
    static void copy_unit(DeviceState& to, const DeviceState& from, int unit);
    // Whether the unit holds the same values in both states.
    static bool same(const DeviceState& a, const DeviceState& b, int unit);
};

}  // namespace kestra
