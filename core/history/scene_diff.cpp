#include "history/scene_diff.h"

#include <map>
#include <memory>
#include <string_view>

#include "model/state_fields.h"
#include "params/channel_label.h"
#include "readout/channel_parameter.h"

namespace kestra {

namespace {

constexpr const char* kArrow = " \u2192 ";

// The whole-state write sends the automix settings and the unit table; the other system
// words are the processor's own or bookkeeping.
bool written_system(std::string_view path) {
    return path.starts_with("automix_cfg[") || path.starts_with("unit_table[");
}

// The read-out kinds of the fields that have one.
const std::map<std::string, int>& input_kinds() {
    static const std::map<std::string, int> kinds = [] {
        std::map<std::string, int> m{
            {"mute", 1},         {"volume", 3},          {"hpf_freq", 20},
            {"lpf_freq", 21},    {"comp_threshold", 54}, {"comp_ratio", 55},
            {"comp_attack", 56}, {"comp_release", 57},   {"comp_gain", 58}};
        for (int b = 0; b < 4; ++b) {
            const std::string band = "peq_band[" + std::to_string(b) + "].";
            m[band + "gain"] = 5 + 3 * b;
            m[band + "freq"] = 6 + 3 * b;
            m[band + "q"] = 7 + 3 * b;
        }
        return m;
    }();
    return kinds;
}

const std::map<std::string, int>& output_kinds() {
    static const std::map<std::string, int> kinds = [] {
        std::map<std::string, int> m{{"mute", 1},       {"volume", 3},      {"lim_threshold", 41},
                                     {"lim_ratio", 42}, {"lim_attack", 43}, {"lim_release", 44},
                                     {"lim_gain", 45}};
        for (int b = 0; b < 15; ++b) {
            m["geq_band[" + std::to_string(b) + "].gain"] = 5 + b;
        }
        return m;
    }();
    return kinds;
}

// Texts are quoted so that an empty name or trailing blanks stay visible.
std::string plain_text(const FieldValue& v, const NameCodec& codec) {
    return v.is_text ? "\"" + codec.to_utf8(v.text) + "\"" : std::to_string(v.number);
}

// The read-out's channel number and kinds of a unit; none for the system and the groups.
struct UnitReadout {
    int channel = -1;
    const std::map<std::string, int>* kinds = nullptr;
};

UnitReadout readout_of(int unit) {
    if (StateFields::is_input(unit)) {
        return {ActionContext::input_readout(unit), &input_kinds()};
    }
    if (StateFields::is_output(unit)) {
        return {ActionContext::output_readout(unit - kInputCount), &output_kinds()};
    }
    return {};
}

}  // namespace

std::string SceneDiffEntry::text() const {
    return channel + " " + parameter + " " + before + kArrow + after;
}

std::string SceneDiffEntry::tab_line() const {
    return channel + "\t" + parameter + "\t" + before + kArrow + after;
}

std::string listed_lines(const std::vector<std::string>& lines, std::size_t shown) {
    std::string text;
    for (std::size_t k = 0; k < lines.size() && k < shown; ++k) {
        text += "\n" + lines[k];
    }
    if (lines.size() > shown) {
        text += "\nand " + std::to_string(lines.size() - shown) + " more";
    }
    return text;
}

SceneDiffEntry SceneDiff::describe(DeviceState& before, DeviceState& after, int unit, int slot,
                                   const FieldValue& was, const FieldValue& now,
                                   const NameCodec& codec) {
    const std::string& path = StateFields::paths(unit).at(static_cast<std::size_t>(slot));
    SceneDiffEntry e{ChannelLabel::of(before, unit, codec),
                     path,
                     plain_text(was, codec),
                     plain_text(now, codec),
                     path,
                     unit};
    const UnitReadout r = readout_of(unit);
    if (r.kinds == nullptr) {
        return e;
    }
    const auto kind = r.kinds->find(path);
    if (kind == r.kinds->end()) {
        return e;
    }
    const auto a = readout_parameter(before, r.channel, static_cast<ReadoutKind>(kind->second));
    const auto b = readout_parameter(after, r.channel, static_cast<ReadoutKind>(kind->second));
    if (a && b && !a->name.empty()) {
        e.parameter = a->name;
        e.before = a->value_text();
        e.after = b->value_text();
    }
    return e;
}

SceneDiff SceneDiff::between(const DeviceState& before, const DeviceState& after,
                             const NameCodec& codec) {
    // The read-out binds to a mutable state; copies keep the callers' states untouched.
    auto was = std::make_unique<DeviceState>(before);
    auto now = std::make_unique<DeviceState>(after);
    SceneDiff diff;
    for (int unit = 0; unit < StateFields::kUnitCount; ++unit) {
        const std::vector<FieldValue> a = StateFields::values(before, unit);
        const std::vector<FieldValue> b = StateFields::values(after, unit);
        const std::vector<std::string>& paths = StateFields::paths(unit);
        std::vector<SceneDiffEntry> entries;
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            if (a[i] == b[i] || (unit == StateFields::kSystemUnit && !written_system(paths[i]))) {
                continue;
            }
            entries.push_back(describe(*was, *now, unit, static_cast<int>(i), a[i], b[i], codec));
        }
        diff.add_channel(std::move(entries));
    }
    return diff;
}

void SceneDiff::add_channel(std::vector<SceneDiffEntry> entries) {
    if (entries.empty()) {
        return;
    }
    ++channels_;
    entries_.insert(entries_.end(), std::make_move_iterator(entries.begin()),
                    std::make_move_iterator(entries.end()));
}

std::string SceneDiff::summary_text() const {
    if (empty()) {
        return "no differences";
    }
    const SceneDiffSummary s = summary();
    const bool one = s.values == 1;
    return std::to_string(s.values) + (one ? " value on " : " values on ") +
           std::to_string(s.channels) + (s.channels == 1 ? " channel" : " channels") +
           (one ? " differs" : " differ");
}

}  // namespace kestra
