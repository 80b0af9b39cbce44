#include "model/preset_codec.h"

#include <cstdio>

namespace kestra {

namespace {

constexpr int kPresetBands = 4;  // the fifth PEQ band is not kept
constexpr int kGeqPresetBands = 15;

// The values the editors and the processor work with. A stored value outside them would be
// recalled and sent as it stands, so the reader refuses it; blocks no editor shows are held
// only to the width of their digits.
struct Range {
    int32_t lo;
    int32_t hi;
};
constexpr Range kAnyValue{0, 0xFFFF};
constexpr Range kSwitch{0, 1};
constexpr Range kFreq{20, 20000};
constexpr Range kEqGain{0, 300};
constexpr Range kPeqQ{1, 200};
constexpr Range kPeqType{0, 2};
constexpr Range kSlope{2, 8};
constexpr Range kThreshold{0, 60};
constexpr Range kRatio{10, 100};
constexpr Range kTime{1, 250};
constexpr Range kCompRelease{20, 250};
constexpr Range kMakeUpGain{0, 200};

constexpr PresetTableInfo kInfo[] = {
    {"PEQ", "PEQDATA", 82, false, kProcessedInputs},
    {"GEQ", "GEQDATA", 60, true, kOutputCount},
    {"Compressor", "CompressorDATA", 12, false, kProcessedInputs},
    {"NOISE", "NOISEDATA", 8, false, kInputCount},
    {"LIMIT", "LIMITDATA", 12, true, kOutputCount},
    {"DELAY", "DELAYDTA", 14, false, kInputCount},
    {"REV", "REVDATA", 14, false, kInputCount},
};

// Field order of each layout, for the writer and the reader alike. `Ch` is const for writing.
template <class Ch, class V>
void visit_peq(Ch& ch, V& v) {
    for (int b = 0; b < kPresetBands; ++b) {
        auto& band = ch.peq_band[static_cast<std::size_t>(b)];
        v.field(band.type, 2, kPeqType);
        v.field(band.q, 4, kPeqQ);
        v.field(band.gain, 4, kEqGain);
        v.field(band.freq, 4, kFreq);
    }
    v.separator();
    v.field(ch.hpf_on, 2, kSwitch);
    v.field(ch.hpf_mode, 2, kAnyValue);  // carried along, never interpreted
    v.field(ch.hpf_slope, 4, kSlope);
    v.field(ch.hpf_freq, 4, kFreq);
    v.separator();
    v.field(ch.lpf_on, 2, kSwitch);
    v.field(ch.lpf_mode, 2, kAnyValue);
    v.field(ch.lpf_slope, 4, kSlope);
    v.field(ch.lpf_freq, 4, kFreq);
}

template <class Ch, class V>
void visit_geq(Ch& ch, V& v) {
    for (int b = 0; b < kGeqPresetBands; ++b) {
        v.field(ch.geq_band[static_cast<std::size_t>(b)].gain, 4, kEqGain);
    }
}

template <class Ch, class V>
void visit_compressor(Ch& ch, V& v) {
    v.field(ch.comp_on, 2, kSwitch);
    v.field(ch.comp_threshold, 2, kThreshold);
    v.field(ch.comp_ratio, 2, kRatio);
    v.field(ch.comp_attack, 2, kTime);
    v.field(ch.comp_release, 2, kCompRelease);
    v.field(ch.comp_gain, 2, kMakeUpGain);
}

template <class Ch, class V>
void visit_noise(Ch& ch, V& v) {
    v.field(ch.gate_on, 2, kSwitch);
    for (auto* f : {&ch.gate_threshold, &ch.gate_attack, &ch.gate_release}) {
        v.field(*f, 2, kAnyValue);
    }
}

template <class Ch, class V>
void visit_limit(Ch& ch, V& v) {
    v.field(ch.lim_on, 2, kSwitch);
    v.field(ch.lim_threshold, 2, kThreshold);
    v.field(ch.lim_ratio, 2, kRatio);
    v.field(ch.lim_attack, 2, kTime);
    v.field(ch.lim_release, 2, kTime);
    v.field(ch.lim_gain, 2, kMakeUpGain);
}

template <class Ch, class V>
void visit_delay(Ch& ch, V& v) {
    v.field(ch.echo_pre_delay1, 4, kAnyValue);
    v.field(ch.echo_pre_delay2, 4, kAnyValue);
    v.field(ch.echo_feedback, 2, kAnyValue);
    v.field(ch.echo_lpf, 4, kAnyValue);
}

template <class Ch, class V>
void visit_rev(Ch& ch, V& v) {
    for (auto& d : ch.reverb_delay) {
        v.field(d, 2, kAnyValue);
    }
    v.field(ch.reverb_time, 2, kAnyValue);
    v.field(ch.reverb_lpf, 4, kAnyValue);
}

template <class In, class V>
void visit_input(PresetTable table, In& ch, V& v) {
    switch (table) {
        case PresetTable::Peq:
            return visit_peq(ch, v);
        case PresetTable::Compressor:
            return visit_compressor(ch, v);
        case PresetTable::Noise:
            return visit_noise(ch, v);
        case PresetTable::Delay:
            return visit_delay(ch, v);
        case PresetTable::Rev:
            return visit_rev(ch, v);
        default:
            return;
    }
}

template <class Out, class V>
void visit_output(PresetTable table, Out& ch, V& v) {
    if (table == PresetTable::Geq) {
        visit_geq(ch, v);
    } else if (table == PresetTable::Limit) {
        visit_limit(ch, v);
    }
}

class Writer {
public:
    void field(int32_t value, int digits, Range) {
        const int32_t limit = digits == 2 ? 0xFF : 0xFFFF;
        if (value < 0 || value > limit) {
            fits_ = false;
            return;
        }
        char buf[8];
        std::snprintf(buf, sizeof buf, "%0*X", digits, static_cast<unsigned>(value));
        text_ += buf;
    }
    void separator() { text_ += ','; }

    std::optional<std::string> result() const {
        return fits_ ? std::optional(text_) : std::nullopt;
    }

private:
    std::string text_;
    bool fits_ = true;
};

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    void field(int32_t& value, int digits, Range range) {
        int32_t v = 0;
        for (int i = 0; i < digits; ++i) {
            const int d = pos_ < text_.size() ? hex_digit(text_[pos_]) : -1;
            ++pos_;
            if (d < 0) {
                ok_ = false;
                return;
            }
            v = v * 16 + d;
        }
        if (v < range.lo || v > range.hi) {
            in_range_ = false;
        }
        value = v;
    }
    void separator() {
        if (pos_ >= text_.size() || text_[pos_] != ',') {
            ok_ = false;
        }
        ++pos_;
    }

    PresetDecodeResult result() const {
        if (!ok_ || pos_ != text_.size()) {
            return PresetDecodeResult::Damaged;
        }
        return in_range_ ? PresetDecodeResult::Done : PresetDecodeResult::OutOfRange;
    }

private:
    static int hex_digit(char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        if (c >= 'a' && c <= 'f') {  // a database edited elsewhere may hold lower case
            return c - 'a' + 10;
        }
        return -1;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    bool ok_ = true;
    bool in_range_ = true;
};

bool channel_valid(PresetTable table, int channel) {
    return channel >= 0 && channel < preset_table_info(table).channels;
}

}  // namespace

const PresetTableInfo& preset_table_info(PresetTable table) {
    return kInfo[static_cast<std::size_t>(table)];
}

std::optional<PresetTable> preset_table_named(std::string_view name) {
    for (PresetTable t : kPresetTables) {
        if (name == preset_table_info(t).table) {
            return t;
        }
    }
    return std::nullopt;
}

std::optional<std::string> PresetCodec::encode(PresetTable table, const DeviceState& state,
                                               int channel) {
    if (!channel_valid(table, channel)) {
        return std::nullopt;
    }
    Writer w;
    const auto c = static_cast<std::size_t>(channel);
    if (preset_table_info(table).output) {
        visit_output(table, state.outputs[c], w);
    } else {
        visit_input(table, state.inputs[c], w);
    }
    return w.result();
}

namespace {

// Puts a fully read record in place, telling whether it differed.
template <class Channel>
void put(Channel& into, const Channel& staged, bool* changed) {
    if (changed != nullptr) {
        *changed = !(into == staged);
    }
    into = staged;
}

}  // namespace

PresetDecodeResult PresetCodec::decode(PresetTable table, std::string_view text, DeviceState& state,
                                       int channel, bool* changed) {
    if (!channel_valid(table, channel) || text.size() != preset_table_info(table).length) {
        return PresetDecodeResult::Damaged;
    }
    Reader r(text);
    const auto c = static_cast<std::size_t>(channel);
    if (preset_table_info(table).output) {
        OutputChannel staged = state.outputs[c];
        visit_output(table, staged, r);
        if (r.result() == PresetDecodeResult::Done) {
            put(state.outputs[c], staged, changed);
        }
    } else {
        InputChannel staged = state.inputs[c];
        visit_input(table, staged, r);
        if (r.result() == PresetDecodeResult::Done) {
            put(state.inputs[c], staged, changed);
        }
    }
    return r.result();
}

}  // namespace kestra
