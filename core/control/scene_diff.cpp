#include "control/scene_diff.h"

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "control/readout_parameter.h"
#include "model/state_layout.h"

namespace kestra {

namespace {

// One compared value: its path and its raw value, text fields as their stored bytes.
struct FlatField {
    std::string path;
    std::string raw;
    bool text = false;
};

using FlatFields = std::vector<FlatField>;
using Keep = bool (*)(std::string_view name);

bool not_live(std::string_view name) {
    return name != "level" && name != "mix_flag" && name != "mix_state";
}

// The whole-state write sends the automix settings and the unit table; the other system
// words are the processor's own or bookkeeping.
bool written_system(std::string_view name) {
    return name == "automix_cfg" || name == "unit_table";
}

std::string indexed(const std::string& name, std::size_t i) {
    return name + "[" + std::to_string(i) + "]";
}

// A layout visitor that flattens one record into paths named as in the state JSON.
class FlatCollector {
public:
    FlatCollector(FlatFields& out, std::string prefix, Keep keep)
        : out_(out), prefix_(std::move(prefix)), keep_(keep) {}

    void word(const char* name, std::size_t, int32_t v) { add(name, std::to_string(v)); }
    void hidden_word(std::size_t, int32_t) {}
    void words(const char* name, std::size_t, std::span<const int32_t> v, std::size_t) {
        for (std::size_t i = 0; i < v.size(); ++i) {
            add(name, std::to_string(v[i]), i);
        }
    }
    void bytes(const char* name, std::size_t, std::span<const uint8_t> v) {
        for (std::size_t i = 0; i < v.size(); ++i) {
            add(name, std::to_string(v[i]), i);
        }
    }
    void text(const char* name, std::size_t, const FixedText& t) {
        if (keep_(name)) {
            out_.push_back({prefix_ + name, t.str(), true});
        }
    }
    void flag(const char* name, std::size_t, uint8_t v) { add(name, std::to_string(v)); }
    void time(std::size_t, const WallTime&) {}
    template <class R, class Fn>
    void records(const char* name, std::size_t, std::size_t, std::span<R> recs, Fn fn) {
        if (!keep_(name)) {
            return;
        }
        for (std::size_t i = 0; i < recs.size(); ++i) {
            FlatCollector nested(out_, prefix_ + indexed(name, i) + ".", keep_);
            fn(recs[i], nested);
        }
    }

private:
    void add(const char* name, std::string raw, std::optional<std::size_t> at = std::nullopt) {
        if (keep_(name)) {
            out_.push_back({prefix_ + (at ? indexed(name, *at) : std::string(name)), raw});
        }
    }

    FlatFields& out_;
    std::string prefix_;
    Keep keep_;
};

template <std::size_t N>
void add_words(FlatFields& out, const std::string& path, const std::array<int32_t, N>& v) {
    for (std::size_t i = 0; i < N; ++i) {
        out.push_back({indexed(path, i), std::to_string(v[i])});
    }
}

// The group records have no JSON form; their paths follow the same pattern. The mute
// records' trailers are bytes no page uses, so a difference there means nothing to anyone.
FlatFields flat_groups(const GroupTables& g) {
    FlatFields out;
    for (std::size_t k = 0; k < g.mute.size(); ++k) {
        const std::string at = indexed("mute", k) + ".";
        add_words(out, at + "input_member", g.mute[k].input_member);
        add_words(out, at + "output_member", g.mute[k].output_member);
    }
    for (std::size_t k = 0; k < g.control.size(); ++k) {
        const ControlGroup& c = g.control[k];
        const std::string at = indexed("control", k) + ".";
        add_words(out, at + "input_member", c.input_member);
        add_words(out, at + "output_member", c.output_member);
        out.push_back({at + "member_count", std::to_string(c.member_count)});
        add_words(out, at + "link", c.link);
        out.push_back({at + "name", c.name.str(), true});
    }
    add_words(out, "control_active", g.control_active);
    out.push_back({"active_mute_group", std::to_string(g.active_mute_group)});
    return out;
}

template <class Rec, class Visit>
FlatFields flat(const Rec& rec, Keep keep, Visit visit) {
    FlatFields out;
    FlatCollector collector(out, "", keep);
    visit(rec, collector);
    return out;
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
std::string plain_text(const FlatField& f, const NameCodec& codec) {
    return f.text ? "\"" + codec.to_utf8(f.raw) + "\"" : f.raw;
}

// Compares one channel's fields; `readout` is the read-out's channel number, or -1 where
// nothing has a read-out kind.
class ChannelCompare {
public:
    ChannelCompare(DeviceState& before, DeviceState& after, const NameCodec& codec)
        : before_(before), after_(after), codec_(codec) {}

    std::vector<SceneDiffEntry> run(const std::string& label, const FlatFields& a,
                                    const FlatFields& b, int readout,
                                    const std::map<std::string, int>* kinds) const {
        std::vector<SceneDiffEntry> out;
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            if (a[i].raw == b[i].raw) {
                continue;
            }
            SceneDiffEntry e{label, a[i].path, plain_text(a[i], codec_), plain_text(b[i], codec_)};
            if (kinds != nullptr) {
                const auto kind = kinds->find(a[i].path);
                if (kind != kinds->end()) {
                    with_readout(e, readout, kind->second);
                }
            }
            out.push_back(std::move(e));
        }
        return out;
    }

private:
    void with_readout(SceneDiffEntry& e, int channel, int kind) const {
        const auto was = readout_parameter(before_, channel, kind);
        const auto now = readout_parameter(after_, channel, kind);
        if (was && now && !was->name.empty()) {
            e.parameter = was->name;
            e.before = was->value_text();
            e.after = now->value_text();
        }
    }

    DeviceState& before_;
    DeviceState& after_;
    const NameCodec& codec_;
};

std::string channel_label(const FixedText& short_name, const char* fallback, int number,
                          const NameCodec& codec) {
    const std::string label = codec.to_utf8(short_name.str());
    return label.empty() ? fallback + std::to_string(number) : label;
}

}  // namespace

SceneDiff SceneDiff::between(const DeviceState& before, const DeviceState& after,
                             const NameCodec& codec) {
    // The read-out binds to a mutable state; copies keep the callers' states untouched.
    auto was = std::make_unique<DeviceState>(before);
    auto now = std::make_unique<DeviceState>(after);
    const ChannelCompare compare(*was, *now, codec);
    const auto visit_input = [](const auto& r, auto& v) { layout::visit_input(r, v); };
    const auto visit_output = [](const auto& r, auto& v) { layout::visit_output(r, v); };
    SceneDiff diff;
    for (int i = 0; i < kInputCount; ++i) {
        const auto& a = before.inputs[static_cast<std::size_t>(i)];
        const auto& b = after.inputs[static_cast<std::size_t>(i)];
        diff.add_channel(compare.run(channel_label(a.short_name, "CH", i + 1, codec),
                                     flat(a, not_live, visit_input), flat(b, not_live, visit_input),
                                     i, &input_kinds()));
    }
    for (int m = 0; m < kOutputCount; ++m) {
        const auto& a = before.outputs[static_cast<std::size_t>(m)];
        const auto& b = after.outputs[static_cast<std::size_t>(m)];
        diff.add_channel(compare.run(
            channel_label(a.short_name, "OUT", m + 1, codec), flat(a, not_live, visit_output),
            flat(b, not_live, visit_output), ActionContext::output_readout(m), &output_kinds()));
    }
    const auto visit_system = [](const auto& r, auto& v) { layout::visit_system(r, v); };
    diff.add_channel(compare.run("SYSTEM", flat(before.system, written_system, visit_system),
                                 flat(after.system, written_system, visit_system), -1, nullptr));
    diff.add_channel(
        compare.run("GROUPS", flat_groups(before.groups), flat_groups(after.groups), -1, nullptr));
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
