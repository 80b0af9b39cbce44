#include "readout/channel_parameter.h"

#include <string_view>

#include "params/eq_gain_law.h"
#include "params/frequency_law.h"
#include "params/level_law.h"
#include "params/q_law.h"
#include "params/readout_kind.h"
#include "params/tenths_law.h"
#include "params/time_law.h"
#include "params/typed_number.h"

namespace kestra {

namespace {

using Block = StateChange::Block;
using Scope = StateChange::Scope;

constexpr int kOutputBase = ActionContext::kReadoutOutputBase;
constexpr int kPeqBandKinds = 4;  // bands 1-4 carry read-out kinds
constexpr int kGeqKinds = 15;

// ---- value texts ----
// The arithmetic is the value laws'; these adapt them to the read-out's boxes.

std::string with_unit(long long value, const char* unit) {
    return std::to_string(value) + unit;
}

std::string mute_text(int mute) {
    return mute != 0 ? "OPEN" : "CLOSE";
}

// ---- typed values, limited to the parameter's range ----

int typed_volume(const TypedValue& v) {
    return LevelLaw::stored_of_db(v.integer, LevelLaw::kMaxVolume);
}

int typed_eq_gain(const TypedValue& v) {
    return EqGainLaw::stored_of_db(v.decimal);
}

int typed_frequency(const TypedValue& v) {
    return FrequencyLaw::stored_of_typed(v);
}

int typed_q(const TypedValue& v) {
    return QLaw::stored_of_value(v.decimal);
}

int typed_threshold(const TypedValue& v) {
    return LevelLaw::stored_of_db(v.integer, LevelLaw::kMaxThreshold);
}

int typed_ratio(const TypedValue& v) {
    return TenthsLaw::kRatio.stored_of_typed(v.decimal);
}

int typed_make_up_gain(const TypedValue& v) {
    return TenthsLaw::kMakeUpGain.stored_of_typed(v.decimal);
}

int typed_attack(const TypedValue& v) {
    return TimeLaw::stored_of_typed(v.integer, TimeLaw::kLowestAttackMs);
}

int typed_comp_release(const TypedValue& v) {
    return TimeLaw::stored_of_typed(v.integer, TimeLaw::kLowestCompressorReleaseMs);
}

// ---- value texts and the units they are typed in ----

std::string db_text(int v) {
    return LevelLaw::text(v);
}
std::string eq_gain_text(int v) {
    return EqGainLaw::text(v);
}
std::string hz_text(int v) {
    return FrequencyLaw::text(v);
}
std::string ms_text(int v) {
    return TimeLaw::text(v);
}
std::string q_text(int v) {
    return QLaw::text(v);
}
std::string ratio_text(int v) {
    return "1:" + TenthsLaw::text(v, 1);
}
std::string tenths_db_text(int v) {
    return TenthsLaw::text(v, 1) + "dB";
}

struct Format {
    std::string (*text)(int);
    TypedUnit unit;
};

constexpr Format kDb{db_text, TypedUnit::Decibel};
constexpr Format kEqGain{eq_gain_text, TypedUnit::Decibel};
constexpr Format kTenthsDb{tenths_db_text, TypedUnit::Decibel};
constexpr Format kHz{hz_text, TypedUnit::Hertz};
constexpr Format kMs{ms_text, TypedUnit::Millisecond};
constexpr Format kQ{q_text, TypedUnit::None};
constexpr Format kRatio{ratio_text, TypedUnit::Ratio};

// ---- building the entries ----

using Limit = int (*)(const TypedValue&);

// Reads `text` as a number of `unit`, limits it and stores it in `field`; a text that is no
// such number leaves the field alone and says why, under the parameter's name.
TypedEntry store_typed(const std::string& name, int32_t& field, TypedUnit unit, Limit limit,
                       const std::string& text) {
    const TypedNumber typed = read_typed_number(text, unit);
    if (!typed.value) {
        return {false, name + ": " + typed.refusal + "; nothing changed."};
    }
    field = limit(*typed.value);
    return {true, {}};
}

// An entry whose value box shows `field` in `format` and stores typed text through `limit`.
ChannelParameter numeric(std::string name, StateChange change, int32_t& field, Format format,
                         Limit limit, std::function<DatagramList()> command) {
    ChannelParameter p;
    p.name = std::move(name);
    p.change = change;
    p.value_text = [&field, format] { return format.text(field); };
    p.store_value = [&field, format, limit, name = p.name](const std::string& t) {
        return store_typed(name, field, format.unit, limit, t);
    };
    p.command = std::move(command);
    return p;
}

std::function<DatagramList()> only_processed(int input, std::function<DatagramList()> command) {
    if (input >= kProcessedInputs) {
        return [] { return DatagramList{}; };
    }
    return command;
}

ChannelParameter empty_kind() {
    ChannelParameter p;
    p.change = {Scope::Everything, -1, Block::All};
    p.value_text = [] { return std::string(); };
    p.store_value = [](const std::string&) { return TypedEntry{}; };
    p.command = [] { return DatagramList{}; };
    return p;
}

// The output mute was typed as the two characters of its Chinese captions (UTF-8 here); the
// read-out shows the words, so both are taken.
constexpr const char* kOpenCharacter = "\xE5\xBC\x80";   // 开
constexpr const char* kCloseCharacter = "\xE5\x85\xB3";  // 关

enum class MuteWords { Only, AndCharacters };

constexpr const char* kInputMuteWords = "MUTE takes OPEN or CLOSE; nothing changed.";
constexpr const char* kOutputMuteWords = "MUTE takes OPEN or CLOSE (开 or 关); nothing changed.";

// In ASCII only, so that UTF-8 characters arrive intact.
std::string upper_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

ChannelParameter mute_entry(int32_t& mute, StateChange change, MuteWords words,
                            std::function<DatagramList()> command) {
    ChannelParameter p;
    p.name = "MUTE";
    p.change = change;
    p.value_text = [&mute] { return mute_text(mute); };
    p.store_value = [&mute, words](const std::string& typed) {
        const bool characters = words == MuteWords::AndCharacters;
        const std::string t = upper_ascii(typed);
        const bool open = t == "OPEN" || (characters && t == kOpenCharacter);
        const bool close = t == "CLOSE" || (characters && t == kCloseCharacter);
        if (!open && !close) {
            return TypedEntry{false, characters ? kOutputMuteWords : kInputMuteWords};
        }
        mute = open ? 1 : 0;
        return TypedEntry{true, {}};
    };
    p.command = std::move(command);
    return p;
}

// The band kinds count from their first kind: markers by band, sliders by band and part.
std::optional<ChannelParameter> peq_entry(DeviceState& state, int input, ReadoutKind kind) {
    InputChannel& in = state.input(input);
    const StateChange change{Scope::Input, input, Block::Peq};
    const int marker = number_of(kind) - number_of(ReadoutKind::FirstBandMarker);
    if (marker >= 0 && marker < kPeqBandKinds) {
        const int band = marker;
        PeqBand& b = in.peq_band[static_cast<std::size_t>(band)];
        ChannelParameter p = numeric("BAND" + std::to_string(band + 1), change, b.gain, kEqGain,
                                     typed_eq_gain, only_processed(input, [&state, input, band] {
                                         return encode_peq_band(state, input + 1, band + 1);
                                     }));
        // The middle bands spell their unit in capitals.
        const char* unit = band == 1 || band == 2 ? "HZ" : "Hz";
        p.frequency_text = [&b, unit] { return with_unit(b.freq, unit); };
        p.store_frequency = [&b, name = p.name](const std::string& t) {
            return store_typed(name + " FRE", b.freq, TypedUnit::Hertz, typed_frequency, t);
        };
        return p;
    }
    const int slider = number_of(kind) - number_of(ReadoutKind::FirstBand);
    if (slider < 0 || slider >= 3 * kPeqBandKinds) {
        return std::nullopt;
    }
    const int band = slider / 3;
    PeqBand& b = in.peq_band[static_cast<std::size_t>(band)];
    const std::string prefix = "BAND" + std::to_string(band + 1);
    auto command = only_processed(
        input, [&state, input, band] { return encode_peq_band(state, input + 1, band + 1); });
    switch (slider % 3) {
        case 0:
            return numeric(prefix + " GAIN", change, b.gain, kEqGain, typed_eq_gain, command);
        case 1:
            return numeric(prefix + " FRE", change, b.freq, kHz, typed_frequency, command);
        default:
            return numeric(prefix + " Q", change, b.q, kQ, typed_q, command);
    }
}

std::optional<ChannelParameter> input_entry(DeviceState& state, int input, ReadoutKind kind) {
    InputChannel& in = state.input(input);
    const int wire = input + 1;
    auto fader = [&state, wire] { return encode_fader(state, wire); };
    auto hpf = only_processed(input, [&state, wire] { return encode_high_pass(state, wire); });
    auto lpf = only_processed(input, [&state, wire] { return encode_low_pass(state, wire); });
    auto comp = only_processed(input, [&state, wire] { return encode_compressor(state, wire); });
    const StateChange strip{Scope::Input, input, Block::Strip};
    const StateChange filters{Scope::Input, input, Block::Filters};
    const StateChange dynamics{Scope::Input, input, Block::Compressor};
    switch (kind) {
        case ReadoutKind::Selected:
            return empty_kind();
        case ReadoutKind::Mute:
            return mute_entry(in.mute, strip, MuteWords::Only, fader);
        case ReadoutKind::Volume:
            return numeric("VOL", strip, in.volume, kDb, typed_volume, fader);
        case ReadoutKind::HpfFrequency:
        case ReadoutKind::HpfMarker:
            return numeric("HPF", filters, in.hpf_freq, kHz, typed_frequency, hpf);
        case ReadoutKind::LpfFrequency:
        case ReadoutKind::LpfMarker:
            return numeric("LPF", filters, in.lpf_freq, kHz, typed_frequency, lpf);
        case ReadoutKind::CompressorThreshold:
            return numeric("Threshold", dynamics, in.comp_threshold, kDb, typed_threshold, comp);
        case ReadoutKind::CompressorRatio:
            return numeric("Ratio", dynamics, in.comp_ratio, kRatio, typed_ratio, comp);
        case ReadoutKind::CompressorAttack:
            return numeric("Attack", dynamics, in.comp_attack, kMs, typed_attack, comp);
        case ReadoutKind::CompressorRelease:
            return numeric("Release", dynamics, in.comp_release, kMs, typed_comp_release, comp);
        case ReadoutKind::CompressorGain:
            return numeric("Gain", dynamics, in.comp_gain, kTenthsDb, typed_make_up_gain, comp);
        default:
            return peq_entry(state, input, kind);
    }
}

std::optional<ChannelParameter> output_entry(DeviceState& state, int output, ReadoutKind kind) {
    OutputChannel& out = state.output(output);
    const int wire = output + 1;
    auto fader = [&state, wire] { return encode_fader(state, kWireOutputBase + wire); };
    auto limiter = [&state, wire] { return encode_limiter(state, wire); };
    const StateChange strip{Scope::Output, output, Block::Strip};
    const StateChange dynamics{Scope::Output, output, Block::Limiter};
    switch (kind) {
        case ReadoutKind::Selected:
            return empty_kind();
        case ReadoutKind::Mute:
            return mute_entry(out.mute, strip, MuteWords::AndCharacters, fader);
        case ReadoutKind::Volume:
            return numeric("VOL", strip, out.volume, kDb, typed_volume, fader);
        case ReadoutKind::LimiterThreshold:
            return numeric("Threshold", dynamics, out.lim_threshold, kDb, typed_threshold, limiter);
        case ReadoutKind::LimiterRatio:
            return numeric("Ratio", dynamics, out.lim_ratio, kRatio, typed_ratio, limiter);
        case ReadoutKind::LimiterAttack:
            return numeric("Attack", dynamics, out.lim_attack, kMs, typed_attack, limiter);
        case ReadoutKind::LimiterRelease:
            return numeric("Release", dynamics, out.lim_release, kMs, typed_attack, limiter);
        case ReadoutKind::LimiterGain:
            return numeric("Gain", dynamics, out.lim_gain, kTenthsDb, typed_make_up_gain, limiter);
        default:
            break;
    }
    const int b = number_of(kind) - number_of(ReadoutKind::FirstBand);
    if (b < 0 || b >= kGeqKinds) {
        return std::nullopt;
    }
    GeqBand& band = out.geq_band[static_cast<std::size_t>(b)];
    return numeric("BAND" + std::to_string(b + 1), {Scope::Output, output, Block::Geq}, band.gain,
                   kEqGain, typed_eq_gain,
                   [&state, wire] { return encode_graphic_eq(state, wire); });
}

}  // namespace

std::optional<ChannelParameter> readout_parameter(DeviceState& state, int channel,
                                                  ReadoutKind kind) {
    if (channel >= 0 && channel < kInputCount) {
        return input_entry(state, channel, kind);
    }
    if (channel >= kOutputBase && channel < kOutputBase + kOutputCount) {
        return output_entry(state, channel - kOutputBase, kind);
    }
    return std::nullopt;
}

}  // namespace kestra
