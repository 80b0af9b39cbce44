#pragma once

#include <string>
#include <vector>

#include "model/device_state.h"
#include "text/name_codec.h"

namespace kestra {

// One field that differs. `channel` is the read-out's label of the channel (its short name)
// or "SYSTEM" / "GROUPS"; `parameter` is the read-out's name where the field has a read-out
// kind, else its state JSON path ("matrix_row[3]", "peq_band[4].type").
struct SceneDiffEntry {
    std::string channel;
    std::string parameter;
    std::string before;
    std::string after;

    bool operator==(const SceneDiffEntry&) const = default;
};

struct SceneDiffSummary {
    int values = 0;
    int channels = 0;

    bool operator==(const SceneDiffSummary&) const = default;
};

// The fields a scene recall would change, from `before` to `after`: inputs, outputs, the
// system fields the whole-state write sends, then the group tables, in that order. Live data
// (levels, automix states, connection bookkeeping) and the image's unnamed bytes are not
// compared. Channels are labelled by their names in `before`.
class SceneDiff {
public:
    static SceneDiff between(const DeviceState& before, const DeviceState& after,
                             const NameCodec& codec);

    const std::vector<SceneDiffEntry>& entries() const { return entries_; }
    SceneDiffSummary summary() const { return {static_cast<int>(entries_.size()), channels_}; }
    bool empty() const { return entries_.empty(); }

    // "N values on M channels differ", or "no differences".
    std::string summary_text() const;

private:
    void add_channel(std::vector<SceneDiffEntry> entries);

    std::vector<SceneDiffEntry> entries_;
    int channels_ = 0;
};

}  // namespace kestra
