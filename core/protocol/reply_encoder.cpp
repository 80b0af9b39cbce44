#include "protocol/reply_encoder.h"

#include <algorithm>
#include <span>

#include "params/band_type_law.h"
#include "params/eq_gain_law.h"
#include "protocol/frame_codec.h"

namespace kestra {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// The low `width` digits of `value`, most significant first.
void put(std::string& out, int32_t value, int width) {
    const auto v = static_cast<uint32_t>(value);
    for (int shift = 4 * (width - 1); shift >= 0; shift -= 4) {
        out += kDigits[(v >> shift) & 0xF];
    }
}

void end_field(std::string& out) {
    out += ',';
}

std::string finish(std::string body) {
    const uint16_t crc = frame_crc16(body);
    put(body, crc, 4);
    body += '#';
    return body;
}

std::string start(char letter, std::size_t reserve) {
    std::string out;
    out.reserve(reserve);
    out += '%';
    out += letter;
    out += ",01,";
    return out;
}

template <class In, class Out>
void put_all(std::string& out, const DeviceState& s, int width, In in, Out outp) {
    for (const InputChannel& ch : s.inputs) {
        put(out, ch.*in, width);
    }
    for (const OutputChannel& ch : s.outputs) {
        put(out, ch.*outp, width);
    }
    end_field(out);
}

template <class M>
void put_inputs(std::string& out, const DeviceState& s, std::size_t first, std::size_t count,
                int width, M member) {
    for (std::size_t k = first; k < first + count; ++k) {
        put(out, s.inputs[k].*member, width);
    }
    end_field(out);
}

template <class M>
void put_outputs(std::string& out, const DeviceState& s, int width, M member) {
    for (const OutputChannel& ch : s.outputs) {
        put(out, ch.*member, width);
    }
    end_field(out);
}

// A unit byte of 0 travels as FF.
void put_unit(std::string& out, uint8_t b) {
    put(out, b == 0 ? 0xFF : b, 2);
}

struct FilterMembers {
    int32_t InputChannel::*on;
    int32_t InputChannel::*mode;
    int32_t InputChannel::*freq;
    int32_t InputChannel::*slope;
};
constexpr FilterMembers kLowPass{&InputChannel::lpf_on, &InputChannel::lpf_mode,
                                 &InputChannel::lpf_freq, &InputChannel::lpf_slope};
constexpr FilterMembers kHighPass{&InputChannel::hpf_on, &InputChannel::hpf_mode,
                                  &InputChannel::hpf_freq, &InputChannel::hpf_slope};

// The switch field of inputs 1-32, then mode, frequency, slope and two unused digits.
void put_filter(std::string& out, const DeviceState& s, std::span<const InputChannel> per_input,
                const FilterMembers& m) {
    put_inputs(out, s, 0, kProcessedInputs, 1, m.on);
    for (const InputChannel& ch : per_input) {
        put(out, ch.*m.mode, 2);
        put(out, ch.*m.freq, 4);
        put(out, ch.*m.slope, 2);
        out += "00";
    }
    end_field(out);
}

}  // namespace

std::string encode_full_state(const DeviceState& s, int processed_inputs) {
    const auto per_input = std::span(s.inputs).first(
        static_cast<std::size_t>(std::clamp(processed_inputs, 0, kInputCount)));
    std::string out = start('Z', 7200);
    put_all(out, s, 2, &InputChannel::volume, &OutputChannel::volume);
    put_all(out, s, 1, &InputChannel::mute, &OutputChannel::mute);
    put_inputs(out, s, 0, kProcessedInputs, 1, &InputChannel::comp_on);
    for (const InputChannel& ch : per_input) {
        for (int32_t v :
             {ch.comp_ratio, ch.comp_threshold, ch.comp_attack, ch.comp_release, ch.comp_gain}) {
            put(out, v, 2);
        }
    }
    end_field(out);
    put_outputs(out, s, 1, &OutputChannel::lim_on);
    for (const OutputChannel& ch : s.outputs) {
        for (int32_t v :
             {ch.lim_ratio, ch.lim_threshold, ch.lim_attack, ch.lim_release, ch.lim_gain}) {
            put(out, v, 2);
        }
    }
    end_field(out);
    put_filter(out, s, per_input, kLowPass);
    put_filter(out, s, per_input, kHighPass);
    put_inputs(out, s, 0, kProcessedInputs, 1, &InputChannel::peq_on);
    for (const InputChannel& ch : per_input) {
        for (std::size_t b = 0; b < 4; ++b) {
            const PeqBand& band = ch.peq_band[b];
            put(out, BandTypeLaw::wire(band.type), 2);
            put(out, band.freq, 4);
            put(out, EqGainLaw::wire(band.gain), 2);
            put(out, band.q, 2);
        }
    }
    end_field(out);
    put_outputs(out, s, 1, &OutputChannel::geq_on);
    for (const OutputChannel& ch : s.outputs) {
        for (std::size_t b = 0; b < 15; ++b) {
            put(out, EqGainLaw::wire(ch.geq_band[b].gain), 2);
        }
    }
    end_field(out);
    for (const InputChannel& ch : s.inputs) {
        for (int32_t v : ch.matrix_row) {
            put(out, v, 1);
        }
    }
    end_field(out);
    put_outputs(out, s, 1, &OutputChannel::line_mode);
    put_inputs(out, s, kProcessedInputs, kInputCount - kProcessedInputs, 1, &InputChannel::source);
    out += "0,";  // field 19
    put_outputs(out, s, 2, &OutputChannel::delay_step);
    put_outputs(out, s, 1, &OutputChannel::fbk);
    for (const InputChannel& ch : per_input) {
        put(out, ch.automix_threshold, 2);
        put(out, ch.priority, 2);
    }
    end_field(out);
    const auto& cfg = s.system.automix_cfg;
    for (std::size_t k : {0, 1, 5, 2, 3, 4}) {
        put(out, cfg[k], 2);
    }
    end_field(out);
    for (int32_t v : s.system.automix_hidden) {
        put(out, v, 2);
    }
    end_field(out);
    // Characters that would end the field or the frame cannot travel.
    for (char c : s.system.device_text.str()) {
        out += (c == ',' || c == '%' || c == '#') ? '?' : c;
    }
    end_field(out);
    return finish(std::move(out));
}

std::string encode_connect_reply(const DeviceState& s, const NameCodec& codec) {
    std::string out = start('Y', 3200);
    const auto& table = s.system.unit_table;
    for (std::size_t b = 0; b < 4; ++b) {
        put_unit(out, table[b]);
    }
    end_field(out);
    for (std::size_t record = 1; record <= 10; ++record) {
        for (std::size_t b = 0; b < 5; ++b) {
            put_unit(out, table[record * 5 + b]);
        }
    }
    end_field(out);
    auto put_name = [&](const FixedText& name) {
        const std::u16string units = codec.to_utf16(name.str());
        for (std::size_t u = 0; u < 8; ++u) {
            put(out, u < units.size() ? units[u] : 0, 4);
        }
    };
    for (const InputChannel& ch : s.inputs) {
        put_name(ch.short_name);
    }
    for (const OutputChannel& ch : s.outputs) {
        put_name(ch.short_name);
    }
    end_field(out);
    put(out, s.system.unit_extra, 2);
    end_field(out);
    put_inputs(out, s, 0, kInputCount, 2, &InputChannel::gain_step);
    return finish(std::move(out));
}

std::string encode_levels(const DeviceState& s, int talker) {
    std::string out = start('Q', 192);
    for (const InputChannel& ch : s.inputs) {
        put(out, ch.level, 2);
    }
    for (const OutputChannel& ch : s.outputs) {
        put(out, ch.level, 2);
    }
    for (std::size_t first : {24, 16, 8, 0}) {
        int32_t bits = 0;
        for (std::size_t bit = 0; bit < 8; ++bit) {
            bits |= (s.inputs[first + bit].mix_flag != 0 ? 1 : 0) << bit;
        }
        put(out, bits, 2);
    }
    put(out, talker, 2);
    end_field(out);
    return finish(std::move(out));
}

std::string encode_faders(const DeviceState& s) {
    std::string out = start('P', 192);
    put_all(out, s, 2, &InputChannel::volume, &OutputChannel::volume);
    put(out, s.system.unit_extra, 2);
    end_field(out);
    return finish(std::move(out));
}

}  // namespace kestra
