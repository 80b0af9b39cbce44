#pragma once

#include <cstddef>
#include <span>

#include "model/device_state.h"

// The one description of every named field: its name (as in the state JSON) and its byte
// offset in the image record. The image codec and the JSON codec both walk these tables,
// so a name and its offset are written down once.
//
// A visitor provides:
//   word(name, offset, int32&)                 a 32-bit field
//   hidden_word(offset, int32&)                an image word that JSON does not show
//   words(name, offset, span<int32>, stride)   an array of words
//   bytes(name, offset, span<uint8>)           an array of bytes shown as numbers
//   text(name, offset, FixedText&)             a 16-byte text
//   flag(name, offset, uint8&)                 a one-byte field
//   time(offset, WallTime&)                    a 16-byte local time, image only
//   records(name, offset, stride, span<R>, fn) an array of records, fn(record, visitor-at-offset)
// Constness of the record passes through to the references.
namespace kestra::layout {

inline constexpr std::size_t kInputBase = 4;
inline constexpr std::size_t kInputRecordSize = 608;
inline constexpr std::size_t kOutputBase = 48644;
inline constexpr std::size_t kOutputRecordSize = 856;
inline constexpr std::size_t kSystemBase = 62340;
inline constexpr std::size_t kPeqBandSize = 24;
inline constexpr std::size_t kGeqBandSize = 24;

inline constexpr std::size_t input_offset(int index) {
    return kInputBase + static_cast<std::size_t>(index) * kInputRecordSize;
}
inline constexpr std::size_t output_offset(int index) {
    return kOutputBase + static_cast<std::size_t>(index) * kOutputRecordSize;
}

// Arrays are passed as dynamic-extent spans so that visitors need one overload each.
template <class T, std::size_t N>
std::span<T> dyn(std::array<T, N>& a) {
    return std::span<T>(a.data(), N);
}
template <class T, std::size_t N>
std::span<const T> dyn(const std::array<T, N>& a) {
    return std::span<const T>(a.data(), N);
}

template <class Band, class V>
void visit_peq_band(Band& b, V& v) {
    v.word("freq", 0, b.freq);
    v.word("gain", 4, b.gain);
    v.word("q", 8, b.q);
    v.hidden_word(12, b.reserved[0]);
    v.hidden_word(16, b.reserved[1]);
    v.word("type", 20, b.type);
}

template <class Band, class V>
void visit_geq_band(Band& b, V& v) {
    v.word("freq", 0, b.freq);
    v.word("gain", 4, b.gain);
    v.word("q", 8, b.q);
    v.hidden_word(12, b.reserved[0]);
    v.hidden_word(16, b.reserved[1]);
    v.hidden_word(20, b.reserved[2]);
}

// Offsets relative to the start of the 608-byte input record.
template <class Rec, class V>
void visit_input(Rec& r, V& v) {
    v.records("peq_band", 0, kPeqBandSize, dyn(r.peq_band),
              [](auto& band, auto& vv) { visit_peq_band(band, vv); });
    v.word("peq_on", 240, r.peq_on);
    v.word("hpf_freq", 244, r.hpf_freq);
    v.word("hpf_mode", 248, r.hpf_mode);
    v.word("hpf_slope", 252, r.hpf_slope);
    v.word("hpf_on", 256, r.hpf_on);
    v.word("lpf_freq", 260, r.lpf_freq);
    v.word("lpf_mode", 264, r.lpf_mode);
    v.word("lpf_slope", 268, r.lpf_slope);
    v.word("lpf_on", 272, r.lpf_on);
    v.word("mute", 292, r.mute);
    v.word("phase", 300, r.phase);
    v.word("volume", 304, r.volume);
    v.word("volume2", 308, r.volume2);
    v.word("solo", 312, r.solo);
    v.word("level", 316, r.level);
    v.word("phantom", 324, r.phantom);
    v.word("priority", 328, r.priority);
    v.word("peq_option", 332, r.peq_option);
    v.word("source", 336, r.source);
    v.word("gain_step", 340, r.gain_step);
    v.word("automix_threshold", 344, r.automix_threshold);
    v.word("mix_flag", 348, r.mix_flag);
    v.word("mix_state", 352, r.mix_state);
    v.word("comp_on", 356, r.comp_on);
    v.word("comp_threshold", 360, r.comp_threshold);
    v.word("comp_attack", 364, r.comp_attack);
    v.word("comp_release", 368, r.comp_release);
    v.word("comp_gain", 372, r.comp_gain);
    v.word("comp_ratio", 376, r.comp_ratio);
    v.word("gate_on", 380, r.gate_on);
    v.word("gate_threshold", 384, r.gate_threshold);
    v.word("gate_hold", 388, r.gate_hold);
    v.word("gate_attack", 392, r.gate_attack);
    v.word("gate_release", 396, r.gate_release);
    v.words("matrix_row", 408, dyn(r.matrix_row), 4);
    v.word("send_main", 488, r.send_main);
    v.words("send_aux", 492, dyn(r.send_aux), 4);
    v.word("send_delay", 516, r.send_delay);
    v.word("send_reverb", 520, r.send_reverb);
    v.word("echo_pre_delay1", 528, r.echo_pre_delay1);
    v.word("echo_pre_delay2", 532, r.echo_pre_delay2);
    v.word("echo_feedback", 536, r.echo_feedback);
    v.word("echo_lpf", 540, r.echo_lpf);
    v.words("reverb_delay", 548, dyn(r.reverb_delay), 4);
    v.word("reverb_time", 564, r.reverb_time);
    v.word("reverb_lpf", 568, r.reverb_lpf);
    v.text("short_name", 572, r.short_name);
    v.text("name", 588, r.name);
    v.word("index", 604, r.index);
}

// Offsets relative to the start of the 856-byte output record.
template <class Rec, class V>
void visit_output(Rec& r, V& v) {
    v.records("geq_band", 0, kGeqBandSize, dyn(r.geq_band),
              [](auto& band, auto& vv) { visit_geq_band(band, vv); });
    v.word("geq_on", 744, r.geq_on);
    v.word("mute", 756, r.mute);
    v.word("phase", 760, r.phase);
    v.word("volume", 764, r.volume);
    v.word("solo", 768, r.solo);
    v.word("level", 772, r.level);
    v.word("delay_step", 784, r.delay_step);
    v.word("line_mode", 788, r.line_mode);
    v.word("fbk", 792, r.fbk);
    v.word("lim_on", 796, r.lim_on);
    v.word("lim_threshold", 800, r.lim_threshold);
    v.word("lim_attack", 804, r.lim_attack);
    v.word("lim_release", 808, r.lim_release);
    v.word("lim_gain", 812, r.lim_gain);
    v.word("lim_ratio", 816, r.lim_ratio);
    v.text("short_name", 820, r.short_name);
    v.text("name", 836, r.name);
    v.word("index", 852, r.index);
}

// Offsets from the start of the image.
template <class Rec, class V>
void visit_system(Rec& s, V& v) {
    v.words("automix_cfg", 65764, dyn(s.automix_cfg), 8);
    v.words("automix_hidden", 65812, dyn(s.automix_hidden), 4);
    v.word("automix_sync", 65828, s.automix_sync);
    v.text("device_text", 65832, s.device_text);
    v.bytes("unit_table", 65848, dyn(s.unit_table));
    v.word("unit_extra", 65928, s.unit_extra);
    v.flag("connected", 68232, s.connected);
    v.flag("connecting", 68240, s.connecting);
    v.time(68258, s.last_report_at);
}

}  // namespace kestra::layout
