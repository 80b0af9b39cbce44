#include "actions/change_filter.h"

#include <optional>

#include "protocol/command_encoder.h"

namespace kestra {

namespace {

using Scope = StateChange::Scope;
using Block = StateChange::Block;
using Fields = std::vector<int32_t>;

void put(Fields& f, int32_t value) {
    f.push_back(value);
}

void put(Fields& f, const FixedText& text) {
    f.insert(f.end(), text.bytes().begin(), text.bytes().end());
}

void put(Fields& f, const PeqBand& b) {
    f.insert(f.end(), {b.freq, b.gain, b.q, b.reserved[0], b.reserved[1], b.type});
}

void put(Fields& f, const GeqBand& b) {
    f.insert(f.end(), {b.freq, b.gain, b.q, b.reserved[0], b.reserved[1], b.reserved[2]});
}

template <class T, std::size_t N>
void put(Fields& f, const std::array<T, N>& items) {
    for (const T& item : items) {
        put(f, item);
    }
}

template <class... Parts>
Fields fields(const Parts&... parts) {
    Fields f;
    (put(f, parts), ...);
    return f;
}

bool within(int index, int count) {
    return index >= 0 && index < count;
}

std::optional<Fields> input_block(const InputChannel& c, Block block) {
    switch (block) {
        case Block::Strip:
            return fields(c.mute, c.phase, c.volume, c.volume2, c.solo, c.phantom, c.priority,
                          c.gain_step);
        case Block::Name:
            return fields(c.short_name, c.name);
        case Block::Source:
            return fields(c.source);
        case Block::Peq:
            return fields(c.peq_band, c.peq_on, c.peq_option);
        case Block::Filters:
            return fields(c.hpf_freq, c.hpf_mode, c.hpf_slope, c.hpf_on, c.lpf_freq, c.lpf_mode,
                          c.lpf_slope, c.lpf_on);
        case Block::Compressor:  // the noise gate's presets publish here too
            return fields(c.comp_on, c.comp_threshold, c.comp_attack, c.comp_release, c.comp_gain,
                          c.comp_ratio, c.gate_on, c.gate_threshold, c.gate_hold, c.gate_attack,
                          c.gate_release);
        case Block::Matrix:
            return fields(c.matrix_row, c.send_main, c.send_aux, c.send_delay, c.send_reverb);
        case Block::Automix:
            return fields(c.automix_threshold);
        default:
            return std::nullopt;
    }
}

std::optional<Fields> output_block(const OutputChannel& c, Block block) {
    switch (block) {
        case Block::Strip:
            return fields(c.mute, c.phase, c.volume, c.solo, c.delay_step, c.line_mode, c.fbk);
        case Block::Name:
            return fields(c.short_name, c.name);
        case Block::Geq:
            return fields(c.geq_band, c.geq_on);
        case Block::Limiter:
            return fields(c.lim_on, c.lim_threshold, c.lim_attack, c.lim_release, c.lim_gain,
                          c.lim_ratio);
        default:
            return std::nullopt;
    }
}

std::optional<Fields> unit_block(const SystemBlock& s, int record) {
    if (record == StateChange::kEvery) {
        return fields(s.unit_table, s.unit_extra);
    }
    if (!within(record, kUnitGroups)) {
        return std::nullopt;
    }
    const auto first = s.unit_table.begin() + record * kUnitGroupBytes;
    return Fields(first, first + kUnitGroupBytes);
}

std::optional<Fields> capture(const DeviceState& state, const StateChange& c) {
    const auto at = [&c] { return static_cast<std::size_t>(c.index); };
    switch (c.scope) {
        case Scope::Input:
            return within(c.index, kInputCount) ? input_block(state.inputs[at()], c.block)
                                                : std::nullopt;
        case Scope::Output:
            return within(c.index, kOutputCount) ? output_block(state.outputs[at()], c.block)
                                                 : std::nullopt;
        case Scope::System:
            if (c.block != Block::Automix) {
                return std::nullopt;
            }
            return fields(state.system.automix_cfg, state.system.automix_hidden,
                          state.system.automix_sync);
        case Scope::Groups:
            if (c.block != Block::Links || !within(c.index, kGroupCount)) {
                return std::nullopt;
            }
            return fields(state.groups.control[at()].link);
        case Scope::Units:
            return c.block == Block::Units ? unit_block(state.system, c.index) : std::nullopt;
        case Scope::Everything:
            break;
    }
    return std::nullopt;
}

uint32_t key(StateChange::Scope scope, int index, StateChange::Block block) {
    return static_cast<uint32_t>(scope) << 16 | static_cast<uint32_t>(index + 1) << 8 |
           static_cast<uint32_t>(block);
}

uint32_t key(const StateChange& c) {
    return key(c.scope, c.index, c.block);
}

// The key with its index left out.
uint32_t family(uint32_t k) {
    return k & 0xFFFF00FFu;
}

}  // namespace

bool ChangeFilter::differs(const StateChange& change) const {
    const std::optional<Fields> now = capture(state_, change);
    if (!now) {
        return true;
    }
    const auto seen = shown_.find(key(change));
    return seen == shown_.end() || seen->second != *now;
}

void ChangeFilter::published(const StateChange& change) {
    forget_covered(change);
    if (std::optional<Fields> now = capture(state_, change)) {
        shown_[key(change)] = std::move(*now);
    }
}

void ChangeFilter::forget_covered(const StateChange& change) {
    // A full state, a recall and the processor's reports write more than their block names.
    if (change.scope == Scope::Everything || change.block == Block::All ||
        change.block == Block::Connection) {
        shown_.clear();
        return;
    }
    // One record of a scope and all of them share their fields.
    if (change.index == StateChange::kEvery) {
        const uint32_t kin = family(key(change));
        std::erase_if(shown_, [kin](const auto& entry) { return family(entry.first) == kin; });
    } else {
        shown_.erase(key(change.scope, StateChange::kEvery, change.block));
    }
}

}  // namespace kestra
