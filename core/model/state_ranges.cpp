#include "model/state_ranges.h"

#include <cstdio>
#include <functional>
#include <limits>
#include <span>
#include <string_view>
#include <unordered_map>

#include "model/state_layout.h"

namespace kestra {

namespace {

struct Entry {
    std::string_view record;
    std::string_view name;
    int32_t lo;
    int32_t hi;
};

// Values no command carries and no page edits are held to what a preset's four hex digits
// keep, with room for a negative dB; a word of random bytes lies far outside.
constexpr int32_t kKeptLo = -0x8000;
constexpr int32_t kKeptHi = 0xFFFF;
// Values a command carries as "%02X" without a narrower documented range.
constexpr int32_t kByte = 0xFF;

// The lower limits are 0 where the editors' are higher (frequencies from 20 Hz, Q from 1,
// slopes from 2, dynamics times from 1, ratios from 10): a blank image, all words zero, is a
// file the tools have always written and read, and the processor's full-state reply carries
// the dynamics of all 64 inputs, of which 33-64 have no editor. The upper limits hold every
// value to what its field on the wire can carry and what the pages can show.
constexpr Entry kRanges[] = {
    {"in", "peq_band.freq", 0, 20000},
    {"in", "peq_band.gain", 0, 300},
    {"in", "peq_band.q", 0, 200},
    {"in", "peq_band.type", 0, 2},
    {"in", "peq_on", 0, 1},
    {"in", "hpf_freq", 0, 20000},
    {"in", "hpf_mode", 0, kByte},
    {"in", "hpf_slope", 0, 8},
    {"in", "hpf_on", 0, 1},
    {"in", "lpf_freq", 0, 20000},
    {"in", "lpf_mode", 0, kByte},
    {"in", "lpf_slope", 0, 8},
    {"in", "lpf_on", 0, 1},
    {"in", "mute", 0, 1},
    {"in", "phase", 0, 200},
    {"in", "volume", 0, 70},
    {"in", "volume2", kKeptLo, kKeptHi},
    {"in", "solo", 0, 1},
    {"in", "phantom", 0, 1},
    {"in", "priority", 0, 1},
    {"in", "peq_option", 0, 1},
    {"in", "source", 0, 4},
    {"in", "gain_step", 0, 40},
    {"in", "automix_threshold", 0, 80},
    {"in", "comp_on", 0, 1},
    {"in", "comp_threshold", 0, 60},
    {"in", "comp_attack", 0, 250},
    {"in", "comp_release", 0, 250},
    {"in", "comp_gain", 0, 200},
    {"in", "comp_ratio", 0, 100},
    {"in", "gate_on", 0, 1},
    {"in", "gate_threshold", kKeptLo, kKeptHi},
    {"in", "gate_hold", kKeptLo, kKeptHi},
    {"in", "gate_attack", kKeptLo, kKeptHi},
    {"in", "gate_release", kKeptLo, kKeptHi},
    {"in", "matrix_row", 0, 15},
    {"in", "send_main", kKeptLo, kKeptHi},
    {"in", "send_aux", kKeptLo, kKeptHi},
    {"in", "send_delay", kKeptLo, kKeptHi},
    {"in", "send_reverb", kKeptLo, kKeptHi},
    {"in", "echo_pre_delay1", kKeptLo, kKeptHi},
    {"in", "echo_pre_delay2", kKeptLo, kKeptHi},
    {"in", "echo_feedback", kKeptLo, kKeptHi},
    {"in", "echo_lpf", kKeptLo, kKeptHi},
    {"in", "reverb_delay", kKeptLo, kKeptHi},
    {"in", "reverb_time", kKeptLo, kKeptHi},
    {"in", "reverb_lpf", kKeptLo, kKeptHi},
    {"in", "index", 0, kInputSlots - 1},
    {"out", "geq_band.freq", 0, 20000},
    {"out", "geq_band.gain", 0, 300},
    {"out", "geq_band.q", kKeptLo, kKeptHi},
    {"out", "geq_on", 0, 1},
    {"out", "mute", 0, 1},
    {"out", "phase", 0, 200},
    {"out", "volume", 0, 70},
    {"out", "solo", 0, 1},
    {"out", "delay_step", 0, 200},
    {"out", "line_mode", 0, 1},
    {"out", "fbk", 0, 1},
    {"out", "lim_on", 0, 1},
    {"out", "lim_threshold", 0, 60},
    {"out", "lim_attack", 0, 250},
    {"out", "lim_release", 0, 250},
    {"out", "lim_gain", 0, 200},
    {"out", "lim_ratio", 0, 100},
    {"out", "index", 0, kOutputCount - 1},
    {"system", "automix_cfg[0]", 0, kByte},
    {"system", "automix_cfg[1]", 0, 32},
    {"system", "automix_cfg[2]", 0, 100},
    {"system", "automix_cfg[3]", 0, 60},
    {"system", "automix_cfg[4]", 0, 30},
    {"system", "automix_cfg[5]", 0, 1},
    {"system", "automix_hidden", 0, kByte},
    {"system", "automix_sync", 0, 1},
    {"system", "unit_extra", 0, kByte},
    {"group", "input_member", 0, 1},
    {"group", "output_member", 0, 1},
    {"group", "member_count", 0, kInputCount + kOutputCount},
    {"group", "link", 0, 1},
};

// The entry named by the three parts joined ("peq_band" "." "gain", "automix_cfg" "[1]"),
// compared without building the name.
const Entry* find(std::string_view record, std::string_view a, std::string_view b,
                  std::string_view c = {}) {
    for (const Entry& e : kRanges) {
        const std::string_view n = e.name;
        if (e.record == record && n.size() == a.size() + b.size() + c.size() &&
            n.substr(0, a.size()) == a && n.substr(a.size(), b.size()) == b &&
            n.substr(a.size() + b.size()) == c) {
            return &e;
        }
    }
    return nullptr;
}

const Entry* find(std::string_view record, std::string_view name) {
    return find(record, {}, name);
}

bool live(std::string_view name) {
    return name == "level" || name == "mix_flag" || name == "mix_state";
}

// A live field has no range; looked up once per name, as the walk passes every field of
// every channel by the same names.
const Entry kLive{"", "", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};

// The entry of a field by the addresses of its names: the layout names its fields with
// string literals, so the same field comes with the same addresses on every walk.
const Entry* lookup(std::string_view record, std::string_view prefix, std::string_view name) {
    struct Key {
        const char* record;
        const char* prefix;
        const char* name;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const {
            const std::hash<const void*> h;
            return h(k.record) ^ (h(k.prefix) << 1) ^ (h(k.name) << 2);
        }
    };
    thread_local std::unordered_map<Key, const Entry*, KeyHash> known;
    const Key key{record.data(), prefix.data(), name.data()};
    if (const auto it = known.find(key); it != known.end()) {
        return it->second;
    }
    const Entry* e = live(name)       ? &kLive
                     : prefix.empty() ? find(record, name)
                                      : find(record, prefix, ".", name);
    known.emplace(key, e);
    return e;
}

// Walks one record with the layout's visitor interface and keeps the first fault. Texts are
// built only for the fault: a clean state is walked without allocating per field.
class Checker {
public:
    Checker(std::string_view record, std::string_view where, int number,
            std::optional<RangeFault>& fault)
        : record_(record), where_(where), number_(number), fault_(fault) {}

    void word(const char* name, std::size_t, const int32_t& v) {
        if (!fault_) {
            check(lookup(record_, prefix_, name), name, {}, v);
        }
    }
    void hidden_word(std::size_t, const int32_t&) {}
    void words(const char* name, std::size_t, std::span<const int32_t> v, std::size_t) {
        const Entry* whole = lookup(record_, prefix_, name);
        for (std::size_t i = 0; i < v.size() && !fault_; ++i) {
            char index[16];
            const int n = std::snprintf(index, sizeof index, "[%zu]", i);
            const std::string_view at(index, static_cast<std::size_t>(n));
            // Only the system block has entries of single elements ("automix_cfg[1]").
            const Entry* one = record_ == "system" ? find(record_, name, at) : nullptr;
            check(one != nullptr ? one : whole, name, at, v[i]);
        }
    }
    void bytes(const char*, std::size_t, std::span<const uint8_t>) {}
    void text(const char*, std::size_t, const FixedText&) {}
    void flag(const char*, std::size_t, const uint8_t&) {}
    void time(std::size_t, const WallTime&) {}
    template <class R, class Fn>
    void records(const char* name, std::size_t, std::size_t, std::span<R> recs, Fn fn) {
        for (std::size_t i = 0; i < recs.size() && !fault_; ++i) {
            Checker nested(record_, where_, number_, fault_);
            nested.prefix_ = name;
            nested.record_index_ = i;
            fn(recs[i], nested);
        }
    }

private:
    void check(const Entry* e, std::string_view name, std::string_view index, int32_t v) {
        // A name without an entry is a field this table does not know yet: refused, so that a
        // new field cannot slip through unchecked.
        const int32_t lo = e != nullptr ? e->lo : 0;
        const int32_t hi = e != nullptr ? e->hi : -1;
        if (v >= lo && v <= hi) {
            return;
        }
        std::string field = std::string(where_);
        if (number_ > 0) {
            field += " " + std::to_string(number_);
        }
        field += " ";
        if (!prefix_.empty()) {
            field += std::string(prefix_) + "[" + std::to_string(record_index_) + "].";
        }
        field += std::string(name) + std::string(index);
        fault_ = RangeFault{std::move(field), v, lo, hi};
    }

    std::string_view record_;
    std::string_view where_;
    int number_;
    std::optional<RangeFault>& fault_;
    std::string_view prefix_;
    std::size_t record_index_ = 0;
};

void check_group_words(Checker& c, const char* name, std::span<const int32_t> v) {
    c.words(name, 0, v, 4);
}

void check_groups(const GroupTables& g, std::optional<RangeFault>& fault) {
    for (std::size_t k = 0; k < g.mute.size() && !fault; ++k) {
        Checker c("group", "mute group", static_cast<int>(k) + 1, fault);
        check_group_words(c, "input_member", layout::dyn(g.mute[k].input_member));
        check_group_words(c, "output_member", layout::dyn(g.mute[k].output_member));
    }
    for (std::size_t k = 0; k < g.control.size() && !fault; ++k) {
        const ControlGroup& cg = g.control[k];
        Checker c("group", "control group", static_cast<int>(k) + 1, fault);
        check_group_words(c, "input_member", layout::dyn(cg.input_member));
        check_group_words(c, "output_member", layout::dyn(cg.output_member));
        c.word("member_count", 0, cg.member_count);
        check_group_words(c, "link", layout::dyn(cg.link));
    }
}

}  // namespace

std::string RangeFault::text() const {
    return field + " " + std::to_string(value) + " is outside " + std::to_string(lo) + "-" +
           std::to_string(hi);
}

std::optional<RangeFault> StateRanges::first_fault(const DeviceState& state) {
    std::optional<RangeFault> fault;
    for (int i = 0; i < kInputCount && !fault; ++i) {
        Checker c("in", "input", i + 1, fault);
        layout::visit_input(state.inputs[static_cast<std::size_t>(i)], c);
    }
    for (int m = 0; m < kOutputCount && !fault; ++m) {
        Checker c("out", "output", m + 1, fault);
        layout::visit_output(state.outputs[static_cast<std::size_t>(m)], c);
    }
    if (!fault) {
        Checker c("system", "system", 0, fault);
        layout::visit_system(state.system, c);
    }
    if (!fault) {
        check_groups(state.groups, fault);
    }
    return fault;
}

}  // namespace kestra
