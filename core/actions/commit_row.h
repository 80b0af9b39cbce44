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
    // (or is no channel at all), the first channel's row that has it; where the field's index
    // names no entry ("peq_band[7].gain"), the first row of its array. Either way the action then
    // refuses the channel or the index in its own words. Empty where no row of `target` commits
    // a field of that name.
    static CommitRow find(FieldTarget target, int index, const FieldPath& field);

    explicit operator bool() const { return row_ != nullptr; }
    const Parameter& row() const { return *row_; }
    // Whether the row is the addressed channel's own.
    bool own() const { return own_; }
    // Whether a row was found and its change belongs to one of `blocks`.
    bool in(std::initializer_list<StateChange::Block> blocks) const;

    // Refuses a value outside the row's stored range, named `what`, before anything changes.
    void check(int value, const std::string& what) const;
    // The same, but only on the channel's own row: where the action refuses a channel or an
    // index before it looks at the value, that refusal comes first.
    void check_on_channel(int value, const std::string& what) const;

private:
    const Parameter* row_ = nullptr;
    bool own_ = false;
};

}  // namespace kestra
