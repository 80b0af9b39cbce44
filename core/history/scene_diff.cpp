#include "history/scene_diff.h"

#include <string_view>

#include "params/channel_label.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_value.h"

namespace kestra {

namespace {

constexpr const char* kArrow = " \u2192 ";

// The whole-state write sends the automix settings and the unit table; the other system
// words are the processor's own or bookkeeping.
bool written_system(std::string_view path) {
    return path.starts_with("automix_cfg[") || path.starts_with("unit_table[");
}

// Texts are quoted so that an empty name or trailing blanks stay visible.
std::string plain_text(const FieldValue& v, const NameCodec& codec) {
    return v.is_text ? "\"" + codec.to_utf8(v.text) + "\"" : std::to_string(v.number);
}

std::string value_text(const Parameter& p, const FieldValue& v, const NameCodec& codec) {
    return v.is_text ? plain_text(v, codec) : ParameterValue::text(p, v.number);
}

// A channel ("in.3", "out.2") as the read-out shows it: its short name or its number.
std::string channel_label(const std::string& channel, const DeviceState& state,
                          const NameCodec& codec) {
    const Parameter* any = ParameterCatalogue::find(channel + ".volume");
    return any != nullptr ? ParameterCatalogue::owner_label(*any, state, codec) : channel;
}

// "group.control.1.member.in.3" names input 3.
std::string member_label(const Parameter& p, const DeviceState& state, const NameCodec& codec) {
    const std::size_t at = p.path.find(".member.");
    return channel_label(p.path.substr(at + 8), state, codec);
}

// The one active mute group is one field: the group switched on, or the one switched off.
SceneDiffEntry mute_activation(SceneDiffEntry e, const FieldValue& was, const FieldValue& now) {
    const int group = now.number != 0 ? now.number : was.number;
    e.channel = "M GROUP " + std::to_string(group);
    e.parameter = "active";
    e.before = now.number != 0 ? "off" : "on";
    e.after = now.number != 0 ? "on" : "off";
    e.form = SceneDiffEntry::Form::Activation;
    return e;
}

}  // namespace

std::string SceneDiffEntry::text() const {
    switch (form) {
        case Form::Member:
            return channel + ": " + parameter + " " + after;
        case Form::Activation:
            return channel + " switched " + after;
        case Form::Switch:
        case Form::Change:
            break;
    }
    return channel + " " + text_without_channel();
}

std::string SceneDiffEntry::text_without_channel() const {
    if (form == Form::Switch) {
        return parameter + " " + after;
    }
    return parameter + " " + before + kArrow + after;
}

std::string SceneDiffEntry::tab_line() const {
    if (form == Form::Member) {
        return channel + "\t" + parameter + "\t" + after;
    }
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

bool SceneDiff::derived(int unit, const std::string& path) {
    return unit == StateFields::kGroupsUnit && path.ends_with(".member_count");
}

SceneDiffEntry SceneDiff::describe(const DeviceState& before, int unit, int slot,
                                   const FieldValue& was, const FieldValue& now,
                                   const NameCodec& codec) {
    const std::string& path = StateFields::paths(unit).at(static_cast<std::size_t>(slot));
    SceneDiffEntry e{ChannelLabel::of(before, unit, codec),
                     path,
                     plain_text(was, codec),
                     plain_text(now, codec),
                     path,
                     unit};
    const Parameter* p = ParameterCatalogue::of_field(unit, path);
    if (p == nullptr) {
        return e;
    }
    if (p->selects != 0) {
        return mute_activation(std::move(e), was, now);
    }
    e.channel = ParameterCatalogue::owner_label(*p, before, codec);
    e.parameter = p->label;
    e.before = value_text(*p, was, codec);
    e.after = value_text(*p, now, codec);
    if (p->law.type != ParameterType::Bool || was.is_text || now.is_text) {
        return e;
    }
    if (p->path.find(".member.") != std::string::npos) {
        e.parameter = member_label(*p, before, codec);
        e.before.clear();
        e.after = now.number != 0 ? "added" : "removed";
        e.form = SceneDiffEntry::Form::Member;
    } else if (p->path.ends_with(".active")) {
        e.form = SceneDiffEntry::Form::Activation;
    } else {
        e.form = SceneDiffEntry::Form::Switch;
    }
    return e;
}

SceneDiff SceneDiff::between(const DeviceState& before, const DeviceState& after,
                             const NameCodec& codec) {
    SceneDiff diff;
    for (int unit = 0; unit < StateFields::kUnitCount; ++unit) {
        const std::vector<FieldValue> a = StateFields::values(before, unit);
        const std::vector<FieldValue> b = StateFields::values(after, unit);
        const std::vector<std::string>& paths = StateFields::paths(unit);
        std::vector<SceneDiffEntry> entries;
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            if (a[i] == b[i] || (unit == StateFields::kSystemUnit && !written_system(paths[i])) ||
                derived(unit, paths[i])) {
                continue;
            }
            entries.push_back(describe(before, unit, static_cast<int>(i), a[i], b[i], codec));
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
