#include "params/parameter_catalogue.h"

#include <array>
#include <unordered_map>

#include "model/group_tables.h"
#include "model/state_fields.h"
#include "params/eq_gain_law.h"
#include "params/group_link_caption.h"
#include "params/level_law.h"
#include "params/parameter_path.h"

namespace kestra {

namespace {

using Block = StateChange::Block;
using Scope = StateChange::Scope;

constexpr int kWireOutputs = 64;  // wire channel of output M is 64 + M
constexpr int kFirstSourceInput = 33;
constexpr int kPeqReadoutBands = 4;  // bands 1-4 carry read-out kinds
constexpr int kGeqBandsSent = 15;
constexpr int kRoutes = kOutputCount;
constexpr int kUnitRecords = 11;
constexpr int kUnitSlots = 5;

// ---- laws: display = (stored + offset) x scale ----

constexpr ValueLaw kLevel{ParameterType::Level, "dB", -LevelLaw::kOffsetDb, 1.0, 0};
constexpr ValueLaw kEqGain{ParameterType::Level, "dB", -EqGainLaw::kFlat, 0.1, 1, WireForm::Halved};
constexpr ValueLaw kFrequency{ParameterType::Frequency, "Hz", 0, 1.0, 0, WireForm::Same,
                              ControlForm::LogFrequency};
constexpr ValueLaw kQ{ParameterType::Number, "", 0, 0.1, 2};
constexpr ValueLaw kFlag{ParameterType::Bool};
constexpr ValueLaw kGroupFlag{ParameterType::Bool, "", 0, 1.0, 0, WireForm::None};
constexpr ValueLaw kChoice{ParameterType::Choice};
constexpr ValueLaw kPeqType{ParameterType::Choice, "", 0, 1.0, 0, WireForm::PlusOne};
constexpr ValueLaw kSlope{ParameterType::Choice, "dB/Oct", 0, -6.0, 0};
constexpr ValueLaw kRatio{ParameterType::Ratio, "", 0, 0.1, 1};
constexpr ValueLaw kMilliseconds{ParameterType::Time, "ms"};
constexpr ValueLaw kTenthsDb{ParameterType::Level, "dB", 0, 0.1, 1};
constexpr ValueLaw kGainStep{ParameterType::Level, "dB"};
constexpr ValueLaw kDelay{ParameterType::Time, "ms", 0, 0.5, 1};
constexpr ValueLaw kAutomixThreshold{ParameterType::Level, "dB", -80};
constexpr ValueLaw kHold{ParameterType::Time, "ms", 0, 50.0, 0};
constexpr ValueLaw kCount{ParameterType::Number};
constexpr ValueLaw kNom{ParameterType::Level, "dB", -30};
constexpr ValueLaw kPlainDb{ParameterType::Level, "dB"};
constexpr ValueLaw kText{ParameterType::Text, "", 0, 1.0, 0, WireForm::None};
constexpr ValueLaw kGroupText{ParameterType::Text, "", 0, 1.0, 0, WireForm::None};
constexpr ValueLaw kUnitSlot{ParameterType::Choice, "", 0, 1.0, 0, WireForm::ZeroAsFF};

const std::vector<std::string> kOnOff{"off", "on"};
const std::vector<std::string> kMuteWords{"CLOSE", "OPEN"};
const std::vector<std::string> kSources{"DANTE", "AUX1", "AUX2", "AUX3", "AUX4"};
const std::vector<std::string> kPeqTypes{"PEAK", "LOW SHELF", "HIGH SHELF"};
const std::vector<std::string> kSlopes{"-12dB/Oct", "-18dB/Oct", "-24dB/Oct"};
const std::vector<std::string> kLineModes{"MIC", "LINE"};

std::string two_digits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string input_name(int n) {
    return "CH " + two_digits(n);
}

std::vector<std::string> unit_items() {
    std::vector<std::string> items{"NULL"};
    for (int n = 1; n <= kInputCount; ++n) {
        items.push_back("CH" + two_digits(n));
    }
    for (const char* kind : {"M", "D"}) {
        for (int n = 1; n <= kMasterOutputs; ++n) {
            items.push_back(kind + two_digits(n));
        }
    }
    return items;
}

std::string indexed(const char* name, int i) {
    return std::string(name) + "[" + std::to_string(i) + "]";
}

// Collects the rows of one owner (a channel, the system, a group, a unit record).
class Owner {
public:
    Owner(std::vector<Parameter>& rows, std::string prefix, int unit, FieldTarget target, int index,
          Scope scope)
        : rows_(rows),
          prefix_(std::move(prefix)),
          unit_(unit),
          target_(target),
          index_(index),
          scope_(scope) {}

    // A row whose field the actions' commit_field takes by the same path.
    Parameter& add(const std::string& path, std::string label, const ValueLaw& law, int min,
                   int max, const std::string& field, Block block) {
        Parameter p;
        p.path = prefix_ + "." + path;
        p.label = std::move(label);
        p.law = law;
        p.min = min;
        p.max = max;
        p.field.unit = unit_;
        p.field.path = field;
        p.target = target_;
        p.index = index_;
        if (const auto commit = FieldPath::parse(field);
            commit && law.type != ParameterType::Text && scope_ != Scope::Groups &&
            scope_ != Scope::Units) {
            p.commit = *commit;
        }
        p.change = StateChange{scope_, index_, block};
        if (law.type == ParameterType::Bool) {
            p.choices = kOnOff;
        }
        rows_.push_back(std::move(p));
        return rows_.back();
    }

private:
    std::vector<Parameter>& rows_;
    std::string prefix_;
    int unit_;
    FieldTarget target_;
    int index_;
    Scope scope_;
};

Parameter& sent(Parameter& p, char letter, std::vector<int> selector, int link = -1,
                std::optional<ReadoutKind> readout_kind = std::nullopt) {
    p.command = ParameterCommand{letter, std::move(selector)};
    p.link = link;
    p.readout_kind = readout_kind;
    return p;
}

void add_peq(Owner& o, int n) {
    Parameter& on = o.add("peq.on", "EQ", kFlag, 0, 1, "peq_on", Block::Peq);
    sent(on, 'G', {n, 1}, kLinkEq);
    on.command.every_band = true;
    for (int b = 1; b <= kPeqBands; ++b) {
        const std::string band = "BAND" + std::to_string(b);
        const std::string at = indexed("peq_band", b - 1) + ".";
        const std::string path = "peq." + std::to_string(b) + ".";
        // Bands 1-4 carry read-out kinds: gain, frequency and Q each.
        const auto kind = [b](int part) -> std::optional<ReadoutKind> {
            if (b > kPeqReadoutBands) {
                return std::nullopt;
            }
            return peq_band_kind(b - 1, part);
        };
        sent(o.add(path + "gain", band + " GAIN", kEqGain, 0, 300, at + "gain", Block::Peq), 'G',
             {n, b}, kLinkEq, kind(0));
        sent(o.add(path + "freq", band + " FRE", kFrequency, 20, 20000, at + "freq", Block::Peq),
             'G', {n, b}, kLinkEq, kind(1));
        sent(o.add(path + "q", band + " Q", kQ, 1, 200, at + "q", Block::Peq), 'G', {n, b}, kLinkEq,
             kind(2));
        Parameter& type =
            o.add(path + "type", band + " TYPE", kPeqType, 0, 2, at + "type", Block::Peq);
        type.choices = kPeqTypes;
        sent(type, 'G', {n, b}, kLinkEq);
    }
}

void add_filter(Owner& o, int n, const char* name, const char* caption, char letter,
                ReadoutKind kind) {
    const std::string p = name;
    const std::string c = caption;
    sent(o.add(p + ".on", c, kFlag, 0, 1, p + "_on", Block::Filters), letter, {n}, kLinkEq);
    // The mode goes out with the filter but no control changes it.
    Parameter& mode = o.add(p + ".mode", c + " MODE", kCount, 0, 255, p + "_mode", Block::Filters);
    mode.commit = {};
    sent(mode, letter, {n});
    sent(o.add(p + ".freq", c + " FRE", kFrequency, 20, 20000, p + "_freq", Block::Filters), letter,
         {n}, kLinkEq, kind);
    Parameter& slope =
        o.add(p + ".slope", c + " SLOPE", kSlope, 2, 4, p + "_slope", Block::Filters);
    slope.choices = kSlopes;
    sent(slope, letter, {n}, kLinkEq);
}

// The dynamics block of an input ("comp", "C") or an output ("limit", "D").
void add_dynamics(Owner& o, int n, bool input) {
    const std::string p = input ? "comp." : "limit.";
    const std::string f = input ? "comp_" : "lim_";
    const std::string c = input ? "COMP " : "LIMIT ";
    const Block block = input ? Block::Compressor : Block::Limiter;
    const char letter = input ? 'C' : 'D';
    const int link = input ? kLinkComp : kLinkLimit;
    const auto kind = [input](ReadoutKind compressor, ReadoutKind limiter) {
        return input ? compressor : limiter;
    };
    sent(o.add(p + "on", input ? "COMP" : "LIMIT", kFlag, 0, 1, f + "on", block), letter, {n},
         link);
    sent(o.add(p + "threshold", c + "THRESHOLD", kLevel, 0, 60, f + "threshold", block), letter,
         {n}, link, kind(ReadoutKind::CompressorThreshold, ReadoutKind::LimiterThreshold));
    sent(o.add(p + "ratio", c + "RATIO", kRatio, 10, 100, f + "ratio", block), letter, {n}, link,
         kind(ReadoutKind::CompressorRatio, ReadoutKind::LimiterRatio));
    sent(o.add(p + "attack", c + "ATTACK", kMilliseconds, 1, 250, f + "attack", block), letter, {n},
         link, kind(ReadoutKind::CompressorAttack, ReadoutKind::LimiterAttack));
    sent(o.add(p + "release", c + "RELEASE", kMilliseconds, input ? 20 : 1, 250, f + "release",
               block),
         letter, {n}, link, kind(ReadoutKind::CompressorRelease, ReadoutKind::LimiterRelease));
    sent(o.add(p + "gain", c + "GAIN", kTenthsDb, 0, 200, f + "gain", block), letter, {n}, link,
         kind(ReadoutKind::CompressorGain, ReadoutKind::LimiterGain));
}

void add_input(std::vector<Parameter>& rows, int i) {
    const int n = i + 1;
    const bool processed = i < kProcessedInputs;
    Owner o(rows, "in." + std::to_string(n), StateFields::input_unit(i), FieldTarget::Input, i,
            Scope::Input);
    sent(o.add("volume", "VOL", kLevel, 0, 70, "volume", Block::Strip), 'A', {n}, kLinkVol,
         ReadoutKind::Volume);
    Parameter& mute = o.add("mute", "MUTE", kFlag, 0, 1, "mute", Block::Strip);
    mute.choices = kMuteWords;
    sent(mute, 'A', {n}, -1, ReadoutKind::Mute);
    sent(o.add("gain", "GAIN", kGainStep, 0, 40, "gain_step", Block::Strip), 'U', {n}, kLinkVol);
    if (n >= kFirstSourceInput) {
        Parameter& source = o.add("source", "SOURCE", kChoice, 0, 4, "source", Block::Source);
        source.choices = kSources;
        sent(source, 'O', {n}, kLinkSource);
    }
    if (processed) {
        sent(o.add("priority", "PRIORITY", kFlag, 0, 1, "priority", Block::Strip), 'L', {n},
             kLinkPriority);
    }
    sent(o.add("name", "NAME", kText, 0, 0, "short_name", Block::Name), 'V', {n});
    if (processed) {
        add_peq(o, n);
        add_filter(o, n, "hpf", "HPF", 'F', ReadoutKind::HpfFrequency);
        add_filter(o, n, "lpf", "LPF", 'E', ReadoutKind::LpfFrequency);
        add_dynamics(o, n, true);
    }
    for (int k = 1; k <= kRoutes; ++k) {
        sent(o.add("route." + std::to_string(k), "ROUTE " + std::to_string(k), kFlag, 0, 1,
                   indexed("matrix_row", k - 1), Block::Matrix),
             'B', {n}, kLinkMatrix);
    }
    if (processed) {
        sent(o.add("automix.threshold", "AUTOMIX THRESHOLD", kAutomixThreshold, 0, 80,
                   "automix_threshold", Block::Automix),
             'L', {n});
    }
}

void add_output(std::vector<Parameter>& rows, int m) {
    const int n = m + 1;
    Owner o(rows, "out." + std::to_string(n), StateFields::output_unit(m), FieldTarget::Output, m,
            Scope::Output);
    sent(o.add("volume", "VOL", kLevel, 0, 70, "volume", Block::Strip), 'A', {kWireOutputs + n},
         kLinkVol, ReadoutKind::Volume);
    Parameter& mute = o.add("mute", "MUTE", kFlag, 0, 1, "mute", Block::Strip);
    mute.choices = kMuteWords;
    sent(mute, 'A', {kWireOutputs + n}, -1, ReadoutKind::Mute);
    sent(o.add("delay", "DELAY", kDelay, 0, 200, "delay_step", Block::Strip), 'J', {n}, kLinkDelay);
    Parameter& line = o.add("line", "LINE", kChoice, 0, 1, "line_mode", Block::Strip);
    line.choices = kLineModes;
    sent(line, 'I', {n}, kLinkLine);
    if (n <= kMasterOutputs) {
        sent(o.add("fbk", "FBK", kFlag, 0, 1, "fbk", Block::Strip), 'K', {n}, kLinkFbk);
    }
    sent(o.add("name", "NAME", kText, 0, 0, "short_name", Block::Name), 'V', {kWireOutputs + n});
    sent(o.add("geq.on", "GEQ", kFlag, 0, 1, "geq_on", Block::Geq), 'H', {n}, kLinkEq);
    for (int b = 1; b <= kGeqBandsSent; ++b) {
        sent(o.add("geq." + std::to_string(b) + ".gain", "BAND" + std::to_string(b), kEqGain, 0,
                   300, indexed("geq_band", b - 1) + ".gain", Block::Geq),
             'H', {n}, kLinkEq, geq_band_kind(b - 1));
    }
    add_dynamics(o, n, false);
}

void add_system(std::vector<Parameter>& rows) {
    Owner o(rows, "sys", StateFields::kSystemUnit, FieldTarget::System, -1, Scope::System);
    const Block b = Block::Automix;
    // The first word goes out with the settings but no control changes it.
    Parameter& mode = o.add("automix.mode", "MODE", kCount, 0, 255, "automix_cfg[0]", b);
    mode.commit = {};
    sent(mode, 'M', {});
    o.add("automix.sync", "SYNC", kFlag, 0, 1, "automix_sync", b);
    sent(o.add("automix.max_open", "MAX OPEN", kCount, 1, 32, "automix_cfg[1]", b), 'M', {});
    sent(o.add("automix.hold", "HOLD TIME", kHold, 1, 100, "automix_cfg[2]", b), 'M', {});
    sent(o.add("automix.closed", "OFF ATTEN", kLevel, 0, 60, "automix_cfg[3]", b), 'M', {});
    sent(o.add("automix.nom", "NOM ATTEN", kNom, 20, 30, "automix_cfg[4]", b), 'M', {});
    sent(o.add("automix.last_hold", "LAST HOLD", kFlag, 0, 1, "automix_cfg[5]", b), 'M', {});
    const std::array<std::pair<int, int>, 4> hidden{{{0, 100}, {1, 200}, {1, 100}, {0, 40}}};
    for (int h = 0; h < 4; ++h) {
        const auto [lo, hi] = hidden[static_cast<std::size_t>(h)];
        sent(o.add("automix.hidden." + std::to_string(h + 1), "HIDDEN " + std::to_string(h + 1),
                   h == 3 ? kPlainDb : kCount, lo, hi, indexed("automix_hidden", h), b),
             'N', {});
    }
}

// The links an operator switches on the GROUPS page, in the catalogue's order.
constexpr std::array<GroupLink, 9> kSwitchedLinks{kLinkVol,  kLinkMatrix, kLinkEq,
                                                  kLinkComp, kLinkLimit,  kLinkPriority,
                                                  kLinkLine, kLinkFbk,    kLinkDelay};

std::string output_name(int m) {
    return default_output_short_name(m);
}

void add_members(Owner& o, const std::string& record, int g) {
    for (int i = 0; i < kInputCount; ++i) {
        o.add("member.in." + std::to_string(i + 1), input_name(i + 1) + " member", kGroupFlag, 0, 1,
              indexed(record.c_str(), g) + "." + indexed("input_member", i), Block::Membership);
    }
    for (int m = 0; m < kOutputCount; ++m) {
        o.add("member.out." + std::to_string(m + 1), output_name(m) + " member", kGroupFlag, 0, 1,
              indexed(record.c_str(), g) + "." + indexed("output_member", m), Block::Membership);
    }
}

void add_groups(std::vector<Parameter>& rows) {
    for (int g = 0; g < kGroupCount; ++g) {
        const std::string number = std::to_string(g + 1);
        Owner o(rows, "group.control." + number, StateFields::kGroupsUnit, FieldTarget::System, g,
                Scope::Groups);
        add_members(o, "control", g);
        for (const GroupLink link : kSwitchedLinks) {
            const std::string word = GroupLinkCaption::of(link);
            o.add("link." + word, word + " link", kGroupFlag, 0, 1,
                  "control[" + std::to_string(g) + "]." + indexed("link", link), Block::Links);
        }
        o.add("active", "active", kGroupFlag, 0, 1, indexed("control_active", g),
              Block::Activation);
        o.add("name", "NAME", kGroupText, 0, 0, indexed("control", g) + ".name", Block::Name);
    }
    for (int g = 0; g < kGroupCount; ++g) {
        Owner o(rows, "group.mute." + std::to_string(g + 1), StateFields::kGroupsUnit,
                FieldTarget::System, g, Scope::Groups);
        add_members(o, "mute", g);
        o.add("active", "active", kGroupFlag, 0, 1, "active_mute_group", Block::Activation)
            .selects = g + 1;
    }
}

void add_units(std::vector<Parameter>& rows) {
    const std::vector<std::string> items = unit_items();
    for (int r = 0; r < kUnitRecords; ++r) {
        Owner o(rows, "unit." + std::to_string(r + 1), StateFields::kSystemUnit,
                FieldTarget::System, r, Scope::Units);
        for (int s = 0; s < kUnitSlots; ++s) {
            Parameter& p = o.add(std::to_string(s + 1), "SLOT " + std::to_string(s + 1), kUnitSlot,
                                 0, static_cast<int>(items.size()) - 1,
                                 indexed("unit_table", r * kUnitSlots + s), Block::Units);
            p.choices = items;
            sent(p, 'X', {r});
        }
    }
}

// Each row's slot among its unit's StateFields paths.
void resolve_slots(std::vector<Parameter>& rows) {
    std::unordered_map<int, std::unordered_map<std::string, int>> slots;
    for (Parameter& p : rows) {
        const int kind = StateFields::is_input(p.field.unit)    ? 0
                         : StateFields::is_output(p.field.unit) ? 1
                                                                : p.field.unit;
        auto& known = slots[kind];
        if (known.empty()) {
            const std::vector<std::string>& paths = StateFields::paths(p.field.unit);
            for (std::size_t s = 0; s < paths.size(); ++s) {
                known.emplace(paths[s], static_cast<int>(s));
            }
        }
        const auto it = known.find(p.field.path);
        p.field.slot = it == known.end() ? -1 : it->second;
    }
}

std::vector<Parameter> build() {
    std::vector<Parameter> rows;
    for (int i = 0; i < kInputCount; ++i) {
        add_input(rows, i);
    }
    for (int m = 0; m < kOutputCount; ++m) {
        add_output(rows, m);
    }
    add_system(rows);
    add_groups(rows);
    add_units(rows);
    resolve_slots(rows);
    return rows;
}

struct Index {
    std::unordered_map<std::string, std::size_t> by_path;
    std::unordered_map<std::string, std::size_t> by_field;
    std::unordered_map<long long, std::size_t> by_readout;

    static long long readout_key(int unit, ReadoutKind kind) {
        return static_cast<long long>(unit) * kReadoutKindCount + number_of(kind);
    }
    static std::string field_key(int unit, std::string_view path) {
        return std::to_string(unit) + ":" + std::string(path);
    }
};

const Index& index() {
    static const Index built = [] {
        Index ix;
        const std::vector<Parameter>& rows = ParameterCatalogue::rows();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            ix.by_path.emplace(rows[r].path, r);
            ix.by_field.emplace(Index::field_key(rows[r].field.unit, rows[r].field.path), r);
            if (rows[r].readout_kind) {
                ix.by_readout.emplace(Index::readout_key(rows[r].field.unit, *rows[r].readout_kind),
                                      r);
            }
        }
        return ix;
    }();
    return built;
}

// The number that follows `prefix` in a path ("in.12.volume" after "in." is 12).
int number_after(std::string_view path, std::string_view prefix) {
    int n = 0;
    for (std::size_t i = prefix.size(); i < path.size() && path[i] != '.'; ++i) {
        n = n * 10 + (path[i] - '0');
    }
    return n;
}

std::string short_name_or(const FixedText& name, std::string fallback, const NameCodec& codec) {
    const std::string label = codec.to_utf8(name.str());
    return label.empty() ? fallback : label;
}

}  // namespace

const std::vector<Parameter>& ParameterCatalogue::rows() {
    static const std::vector<Parameter> all = build();
    return all;
}

const Parameter* ParameterCatalogue::find(std::string_view path) {
    const Index& ix = index();
    const auto it = ix.by_path.find(std::string(path));
    return it == ix.by_path.end() ? nullptr : &rows()[it->second];
}

std::vector<const Parameter*> ParameterCatalogue::select(std::string_view pattern) {
    std::vector<const Parameter*> out;
    for (const Parameter& p : rows()) {
        if (ParameterPath::matches(pattern, p.path)) {
            out.push_back(&p);
        }
    }
    return out;
}

const Parameter* ParameterCatalogue::of_field(int unit, std::string_view field_path) {
    const Index& ix = index();
    const auto it = ix.by_field.find(Index::field_key(unit, field_path));
    return it == ix.by_field.end() ? nullptr : &rows()[it->second];
}

const Parameter* ParameterCatalogue::of_readout(int unit, ReadoutKind kind) {
    const Index& ix = index();
    const auto it = ix.by_readout.find(Index::readout_key(unit, kind));
    return it == ix.by_readout.end() ? nullptr : &rows()[it->second];
}

std::string ParameterCatalogue::owner_label(const Parameter& p, const DeviceState& state,
                                            const NameCodec& codec) {
    const std::string_view path = p.path;
    if (path.starts_with("in.")) {
        const int n = number_after(path, "in.");
        return short_name_or(state.inputs.at(static_cast<std::size_t>(n - 1)).short_name,
                             input_name(n), codec);
    }
    if (path.starts_with("out.")) {
        const int m = number_after(path, "out.") - 1;
        return short_name_or(state.outputs.at(static_cast<std::size_t>(m)).short_name,
                             output_name(m), codec);
    }
    if (path.starts_with("group.control.")) {
        return "C GROUP " + std::to_string(number_after(path, "group.control."));
    }
    if (path.starts_with("group.mute.")) {
        return "M GROUP " + std::to_string(number_after(path, "group.mute."));
    }
    if (path.starts_with("unit.")) {
        return "UNIT " + std::to_string(number_after(path, "unit."));
    }
    return "SYSTEM";
}

std::string ParameterCatalogue::full_label(const Parameter& p, const DeviceState& state,
                                           const NameCodec& codec) {
    return owner_label(p, state, codec) + " " + p.label;
}

const char* ParameterCatalogue::type_name(ParameterType type) {
    switch (type) {
        case ParameterType::Level:
            return "level";
        case ParameterType::Bool:
            return "bool";
        case ParameterType::Choice:
            return "choice";
        case ParameterType::Frequency:
            return "frequency";
        case ParameterType::Time:
            return "time";
        case ParameterType::Ratio:
            return "ratio";
        case ParameterType::Number:
            return "number";
        case ParameterType::Text:
            return "text";
    }
    return "number";
}

}  // namespace kestra
