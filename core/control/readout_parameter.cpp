#include "control/readout_parameter.h"

#include <algorithm>

#include "control/typed_number.h"
#include "dsp/eq_laws.h"

namespace kestra {

namespace {

using Block = StateChange::Block;
using Scope = StateChange::Scope;

constexpr int kOutputBase = ActionContext::kReadoutOutputBase;
constexpr int kPeqBandKinds = 4;  // bands 1-4 carry read-out kinds
constexpr int kGeqKinds = 15;

// ---- value texts ----
// In integer arithmetic: the texts must not follow the locale's decimal mark, and a stored
// value from an image file may be any 32-bit number.

std::string with_unit(long long value, const char* unit) {
    return std::to_string(value) + unit;
}

// A count of tenths as printf's "%0.Nf" writes tenths * 0.1 with N = `decimals` (1 or 2).
std::string scaled_text(long long tenths, int decimals) {
    const long long magnitude = tenths < 0 ? -tenths : tenths;
    std::string text = tenths < 0 ? "-" : "";
    text += std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
    for (int d = 1; d < decimals; ++d) {
        text += '0';
    }
    return text;
}

std::string mute_text(int mute) {
    return mute != 0 ? "OPEN" : "CLOSE";
}

std::string eq_gain_text(int gain) {
    return scaled_text(static_cast<long long>(gain) - 150, 1) + "dB";
}

// ---- typed values, limits tested in the read-out's order ----

int trunc_tenths(double value) {
    return static_cast<int>(value * 10);
}

int typed_volume(const std::string& t) {
    const int i = leading_integer(t);
    if (i < -60) {
        return 0;
    }
    return i > 10 ? 70 : i + 60;
}

int typed_eq_gain(const std::string& t) {
    return gain_code_of_db(leading_decimal(t));
}

int typed_frequency(const std::string& t) {
    const int i = leading_integer(t);
    if (i < 20) {
        return 20;
    }
    return i > 20000 ? 20000 : static_cast<int>(leading_decimal(t));
}

int typed_q(const std::string& t) {
    return q_code_of_value(leading_decimal(t));
}

int typed_comp_threshold(const std::string& t) {
    const int i = leading_integer(t);
    if (i < -60) {
        return 0;
    }
    return i < 1 ? i + 60 : 60;
}

// The integer test lets 10.1-10.9 through to the tenths; they are held at the ratio's 1:10.
int typed_comp_ratio(const std::string& t) {
    const int i = leading_integer(t);
    if (i <= 0) {
        return 10;
    }
    return i < 11 ? std::min(trunc_tenths(leading_decimal(t)), 100) : 100;
}

int typed_time(const std::string& t, int lowest) {
    const int i = leading_integer(t);
    if (i < lowest) {
        return lowest;
    }
    return i < 251 ? i : 250;
}

// As the ratio: 20.1-20.9 pass the integer test and are held at 20 dB.
int typed_comp_gain(const std::string& t) {
    const double d = leading_decimal(t);
    if (d < 0) {
        return 0;
    }
    return leading_integer(t) < 21 ? std::min(trunc_tenths(d), 200) : 200;
}

int typed_lim_threshold(const std::string& t) {
    const double d = leading_decimal(t);
    if (d < -60) {
        return 0;
    }
    return d > 0 ? 60 : leading_integer(t) + 60;
}

int typed_lim_ratio(const std::string& t) {
    const double d = leading_decimal(t);
    if (d < 1) {
        return 10;
    }
    return d > 10 ? 100 : trunc_tenths(d);
}

int typed_lim_gain(const std::string& t) {
    const double d = leading_decimal(t);
    if (d < 0) {
        return 0;
    }
    return d > 20 ? 200 : trunc_tenths(d);
}

// ---- building the entries ----

using Limit = int (*)(const std::string&);

// An entry whose value box shows `field` through `text` and stores typed text through `limit`.
ReadoutParameter numeric(std::string name, StateChange change, int32_t& field,
                         std::string (*text)(int), Limit limit,
                         std::function<DatagramList()> command) {
    ReadoutParameter p;
    p.name = std::move(name);
    p.change = change;
    p.value_text = [&field, text] { return text(field); };
    p.store_value = [&field, limit](const std::string& t) {
        field = limit(t);
        return true;
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

std::string db_text(int v) {
    return with_unit(static_cast<long long>(v) - 60, "dB");
}
std::string hz_text(int v) {
    return with_unit(v, "Hz");
}
std::string ms_text(int v) {
    return with_unit(v, "ms");
}
std::string q_text(int v) {
    return scaled_text(v, 2);
}
std::string ratio_text(int v) {
    return "1:" + scaled_text(v, 1);
}
std::string tenths_db_text(int v) {
    return scaled_text(v, 1) + "dB";
}

ReadoutParameter empty_kind() {
    ReadoutParameter p;
    p.change = {Scope::Everything, -1, Block::All};
    p.value_text = [] { return std::string(); };
    p.store_value = [](const std::string&) { return false; };
    p.command = [] { return DatagramList{}; };
    return p;
}

// The output mute was typed as the two characters of its Chinese captions (UTF-8 here); the
// read-out shows the words, so both are taken.
constexpr const char* kOpenCharacter = "\xE5\xBC\x80";   // 开
constexpr const char* kCloseCharacter = "\xE5\x85\xB3";  // 关

enum class MuteWords { Only, AndCharacters };

ReadoutParameter mute_entry(int32_t& mute, StateChange change, MuteWords words,
                            std::function<DatagramList()> command) {
    ReadoutParameter p;
    p.name = "MUTE";
    p.change = change;
    p.value_text = [&mute] { return mute_text(mute); };
    p.store_value = [&mute, words](const std::string& t) {
        const bool characters = words == MuteWords::AndCharacters;
        const bool open = t == "OPEN" || (characters && t == kOpenCharacter);
        const bool close = t == "CLOSE" || (characters && t == kCloseCharacter);
        if (open || close) {
            mute = open ? 1 : 0;
            return true;
        }
        return false;
    };
    p.command = std::move(command);
    return p;
}

std::optional<ReadoutParameter> peq_entry(DeviceState& state, int input, int kind) {
    InputChannel& in = state.input(input);
    const StateChange change{Scope::Input, input, Block::Peq};
    if (kind >= 22 && kind < 22 + kPeqBandKinds) {
        const int band = kind - 22;
        PeqBand& b = in.peq_band[static_cast<std::size_t>(band)];
        ReadoutParameter p =
            numeric("BAND" + std::to_string(band + 1), change, b.gain, eq_gain_text, typed_eq_gain,
                    only_processed(input, [&state, input, band] {
                        return encode_peq_band(state, input + 1, band + 1);
                    }));
        // The middle bands spell their unit in capitals.
        const char* unit = band == 1 || band == 2 ? "HZ" : "Hz";
        p.frequency_text = [&b, unit] { return with_unit(b.freq, unit); };
        p.store_frequency = [&b](const std::string& t) { b.freq = typed_frequency(t); };
        return p;
    }
    if (kind < 5 || kind >= 5 + 3 * kPeqBandKinds) {
        return std::nullopt;
    }
    const int band = (kind - 5) / 3;
    PeqBand& b = in.peq_band[static_cast<std::size_t>(band)];
    const std::string prefix = "BAND" + std::to_string(band + 1);
    auto command = only_processed(
        input, [&state, input, band] { return encode_peq_band(state, input + 1, band + 1); });
    switch ((kind - 5) % 3) {
        case 0:
            return numeric(prefix + " GAIN", change, b.gain, eq_gain_text, typed_eq_gain, command);
        case 1:
            return numeric(prefix + " FRE", change, b.freq, hz_text, typed_frequency, command);
        default:
            return numeric(prefix + " Q", change, b.q, q_text, typed_q, command);
    }
}

std::optional<ReadoutParameter> input_entry(DeviceState& state, int input, int kind) {
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
        case 0:
            return empty_kind();
        case 1:
            return mute_entry(in.mute, strip, MuteWords::Only, fader);
        case 3:
            return numeric("VOL", strip, in.volume, db_text, typed_volume, fader);
        case 20:
        case 27:
            return numeric("HPF", filters, in.hpf_freq, hz_text, typed_frequency, hpf);
        case 21:
        case 28:
            return numeric("LPF", filters, in.lpf_freq, hz_text, typed_frequency, lpf);
        case 54:
            return numeric("Threshold", dynamics, in.comp_threshold, db_text, typed_comp_threshold,
                           comp);
        case 55:
            return numeric("Ratio", dynamics, in.comp_ratio, ratio_text, typed_comp_ratio, comp);
        case 56:
            return numeric(
                "Attack", dynamics, in.comp_attack, ms_text,
                [](const std::string& t) { return typed_time(t, 1); }, comp);
        case 57:
            return numeric(
                "Release", dynamics, in.comp_release, ms_text,
                [](const std::string& t) { return typed_time(t, 20); }, comp);
        case 58:
            return numeric("Gain", dynamics, in.comp_gain, tenths_db_text, typed_comp_gain, comp);
        default:
            return peq_entry(state, input, kind);
    }
}

std::optional<ReadoutParameter> output_entry(DeviceState& state, int output, int kind) {
    OutputChannel& out = state.output(output);
    const int wire = output + 1;
    auto fader = [&state, wire] { return encode_fader(state, kWireOutputBase + wire); };
    auto limiter = [&state, wire] { return encode_limiter(state, wire); };
    const StateChange strip{Scope::Output, output, Block::Strip};
    const StateChange dynamics{Scope::Output, output, Block::Limiter};
    const Limit lim_time = [](const std::string& t) { return typed_time(t, 1); };
    switch (kind) {
        case 0:
            return empty_kind();
        case 1:
            return mute_entry(out.mute, strip, MuteWords::AndCharacters, fader);
        case 3:
            return numeric("VOL", strip, out.volume, db_text, typed_volume, fader);
        case 41:
            return numeric("Threshold", dynamics, out.lim_threshold, db_text, typed_lim_threshold,
                           limiter);
        case 42:
            return numeric("Ratio", dynamics, out.lim_ratio, ratio_text, typed_lim_ratio, limiter);
        case 43:
            return numeric("Attack", dynamics, out.lim_attack, ms_text, lim_time, limiter);
        case 44:
            return numeric("Release", dynamics, out.lim_release, ms_text, lim_time, limiter);
        case 45:
            return numeric("Gain", dynamics, out.lim_gain, tenths_db_text, typed_lim_gain, limiter);
        default:
            break;
    }
    if (kind < 5 || kind >= 5 + kGeqKinds) {
        return std::nullopt;
    }
    GeqBand& band = out.geq_band[static_cast<std::size_t>(kind - 5)];
    return numeric("BAND" + std::to_string(kind - 4), {Scope::Output, output, Block::Geq},
                   band.gain, eq_gain_text, typed_eq_gain,
                   [&state, wire] { return encode_graphic_eq(state, wire); });
}

}  // namespace

std::optional<ReadoutParameter> readout_parameter(DeviceState& state, int channel, int kind) {
    if (channel >= 0 && channel < kInputCount) {
        return input_entry(state, channel, kind);
    }
    if (channel >= kOutputBase && channel < kOutputBase + kOutputCount) {
        return output_entry(state, channel - kOutputBase, kind);
    }
    return std::nullopt;
}

}  // namespace kestra
