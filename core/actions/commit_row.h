#pragma once

#include <initializer_list>
#include <string>

#include "model/state_change.h"
#include "params/field_path.h"
#include "params/parameter.h"

namespace kestra {

// The catalogue row a scripted "set" addresses: the field's existence, its stored range and
// the block that owns it come from here, not from each action's own list of names.
class CommitRow {
public:
    // The row of `field` on channel `index` of `target`. Where the channel lacks the parameter
    // (or is no channel at all), the first channel's row that has it, so the action refuses the
    // channel in its own words. Empty where no channel of `target` commits `field`.
    static CommitRow find(FieldTarget target, int index, const FieldPath& field);

    explicit operator bool() const { return row_ != nullptr; }
    const Parameter& row() const { return *row_; }
    // Whether the row is the addressed channel's own.
    bool own() const { return own_; }
    // Whether a row was found and its change belongs to one of `blocks`.
    bool in(std::initializer_list<StateChange::Block> blocks) const;

    // Refuses a value outside the row's stored range, named `what`, before anything changes.
    // Only the channel's own row is checked: a channel without the parameter is refused by the
    // action first, as it was before the value was looked at.
    void check(int value, const std::string& what) const;

private:
    const Parameter* row_ = nullptr;
    bool own_ = false;
};

}  // namespace kestra
