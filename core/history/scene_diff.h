#pragma once

#include <string>
#include <vector>

#include "model/device_state.h"
#include "model/state_fields.h"
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
    std::string path{};  // the state JSON path, also where `parameter` is the read-out's name
    int unit = -1;       // the StateFields unit

    // "CH 03 VOL 10dB → -20dB"
    std::string text() const;
    // "CH 03<TAB>VOL<TAB>10dB → -20dB", a line of the shell's lists
    std::string tab_line() const;

    // Compares what a reader sees; the path is how the field is found again.
    bool operator==(const SceneDiffEntry& o) const {
        return channel == o.channel && parameter == o.parameter && before == o.before &&
               after == o.after;
    }
};

// At most `shown` of the lines, each after a line break, then "and N more" for the rest.
std::string listed_lines(const std::vector<std::string>& lines, std::size_t shown);

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

    // One field of a unit (see StateFields) that holds `was` in `before` and `now` in `after`,
    // in the read-out's texts where it has a read-out kind. The states are only read; the
    // read-out binds to mutable ones.
    static SceneDiffEntry describe(DeviceState& before, DeviceState& after, int unit, int slot,
                                   const FieldValue& was, const FieldValue& now,
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
