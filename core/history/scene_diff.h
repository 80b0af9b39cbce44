#pragma once

#include <string>
#include <vector>

#include "model/device_state.h"
#include "model/state_fields.h"
#include "text/name_codec.h"

namespace kestra {

// One field that differs, in the operator's words from the parameter catalogue: `channel` is
// the channel's (or group's) label as the read-out shows it, "SYSTEM" or "GROUPS";
// `parameter` the catalogue's label; `before` and `after` its display texts. A field the
// catalogue has no row for keeps its state JSON path and plain values.
struct SceneDiffEntry {
    // How the change reads as a sentence: a value that went from one text to another, a
    // switch that tells where it went, a group member added or removed, a group switched.
    enum class Form { Change, Switch, Member, Activation };

    std::string channel;
    std::string parameter;
    std::string before;
    std::string after;
    std::string path{};  // the state JSON path, also where `parameter` is the catalogue's label
    int unit = -1;       // the StateFields unit
    Form form = Form::Change;

    // "CH 03 VOL 10dB → -20dB", "CH 04 COMP on", "C GROUP 1: CH 03 added",
    // "C GROUP 1 switched off"
    std::string text() const;
    // The same without the channel, for a change made on many channels at once: "VOL 10dB
    // → -20dB"
    std::string text_without_channel() const;
    // "CH 03<TAB>VOL<TAB>10dB → -20dB", a line of the shell's lists; a member
    // "C GROUP 1<TAB>CH 03<TAB>added"
    std::string tab_line() const;

    // Compares what a reader sees; the path is how the field is found again.
    bool operator==(const SceneDiffEntry& o) const {
        return channel == o.channel && parameter == o.parameter && before == o.before &&
               after == o.after && form == o.form;
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
// (levels, automix states, connection bookkeeping), the image's unnamed bytes and a control
// group's member count (its member flags tell it) are not compared. Channels are labelled by
// their names in `before`.
class SceneDiff {
public:
    static SceneDiff between(const DeviceState& before, const DeviceState& after,
                             const NameCodec& codec);

    // One field of a unit (see StateFields) that went from `was` to `now`, its channel named
    // as in `before`, in the catalogue's words where it has a row: the one place a changed
    // field gets its words, for the diff, the journal and undo's notices.
    static SceneDiffEntry describe(const DeviceState& before, int unit, int slot,
                                   const FieldValue& was, const FieldValue& now,
                                   const NameCodec& codec);
    // A field whose value follows from others and is not told apart from them.
    static bool derived(int unit, const std::string& path);

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
