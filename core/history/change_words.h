#pragma once

#include <string>
#include <vector>

#include "history/field_change.h"
#include "history/scene_diff.h"
#include "model/state_change.h"

namespace kestra {

// How a step's changes read in the journal and in undo's notices: every field in the words
// SceneDiff::describe gives it, and one line for the whole step.
class ChangeWords {
public:
    // The fields of `changes` as a person reads them; `state` holds the fields they leave
    // alone (a channel's name, the other bands of a filter).
    static std::vector<SceneDiffEntry> describe(const DeviceState& state,
                                                const std::vector<FieldChange>& changes,
                                                const NameCodec& codec);
    // One line for a step: its label (with the count of values for a recall or a read), or the
    // groups it switched on or off followed by its one field, the same change on many
    // channels, or the first field and a count of the rest.
    static std::string line(const std::vector<SceneDiffEntry>& fields, ChangeOrigin origin,
                            const std::string& label);

private:
    static std::string values_line(const std::vector<SceneDiffEntry>& fields);
};

}  // namespace kestra
