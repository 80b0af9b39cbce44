#include "history/change_words.h"

#include <algorithm>
#include <memory>

namespace kestra {

namespace {

std::string values_text(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " value" : " values");
}

}  // namespace

// Channels are named as they were before the step: a renamed channel's new name is among
// its values. Derived fields (a group's member count) go unnamed beside what they follow from.
std::vector<SceneDiffEntry> ChangeWords::describe(const DeviceState& state,
                                                  const std::vector<FieldChange>& changes,
                                                  const NameCodec& codec) {
    if (changes.empty()) {
        return {};
    }
    auto before = std::make_unique<DeviceState>(state);
    for (const FieldChange& c : changes) {
        StateFields::assign(*before, c.unit, c.slot, c.before);
    }
    std::vector<SceneDiffEntry> out;
    out.reserve(changes.size());
    for (const FieldChange& c : changes) {
        const std::string& path = StateFields::paths(c.unit).at(c.slot);
        if (!SceneDiff::derived(c.unit, path)) {
            out.push_back(SceneDiff::describe(*before, c.unit, c.slot, c.before, c.after, codec));
        }
    }
    return out;
}

std::string ChangeWords::line(const std::vector<SceneDiffEntry>& fields, ChangeOrigin origin,
                              const std::string& label) {
    if (!label.empty()) {
        const bool counted =
            origin == ChangeOrigin::Recall || origin == ChangeOrigin::FullStateRead;
        return counted ? label + ", " + values_text(fields.size()) + " changed" : label;
    }
    // A group switched on or off leads: it is why its members' values changed with it.
    std::string switched;
    std::vector<SceneDiffEntry> values;
    for (const SceneDiffEntry& e : fields) {
        if (e.form == SceneDiffEntry::Form::Activation) {
            switched += (switched.empty() ? "" : ", ") + e.text();
        } else {
            values.push_back(e);
        }
    }
    const std::string rest = values_line(values);
    if (switched.empty() || rest.empty()) {
        return switched + rest;
    }
    return switched + ", " + rest;
}

std::string ChangeWords::values_line(const std::vector<SceneDiffEntry>& fields) {
    if (fields.empty()) {
        return {};
    }
    const SceneDiffEntry& first = fields.front();
    if (fields.size() == 1) {
        return first.text();
    }
    // The same change on many channels at once (a group's copy, the synced threshold) is told
    // once, without one channel's name.
    const bool alike = std::all_of(fields.begin(), fields.end(), [&first](const auto& e) {
        return e.parameter == first.parameter && e.before == first.before &&
               e.after == first.after && e.form == first.form;
    });
    if (alike && first.form != SceneDiffEntry::Form::Member) {
        return first.text_without_channel() + " on " + std::to_string(fields.size()) + " channels";
    }
    const std::size_t more = fields.size() - 1;
    return first.text() + " and " + std::to_string(more) +
           (more == 1 ? " more value" : " more values");
}

}  // namespace kestra
