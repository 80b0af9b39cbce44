#include "simulated_processor.h"

#include <algorithm>
#include <cmath>

#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"
#include "protocol/reply_encoder.h"

namespace kestra::sim {

namespace {

// Fields between the letter and the checksum: "%A,01,03,00,46,B510#" gives A 01 03 00 46.
std::vector<std::string_view> split_fields(std::string_view frame) {
    std::vector<std::string_view> fields;
    std::string_view body = frame.substr(1, frame.size() - 1 - kChecksumTail);
    std::size_t pos = 0;
    while (pos < body.size()) {
        const std::size_t comma = body.find(',', pos);
        if (comma == std::string_view::npos) {
            break;
        }
        fields.push_back(body.substr(pos, comma - pos));
        pos = comma + 1;
    }
    return fields;
}

int value(const std::vector<std::string_view>& f, std::size_t i) {
    return i < f.size() ? hex_group_value(f[i]) : 0;
}

bool in_range(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

}  // namespace

SimulatedProcessor::SimulatedProcessor(SimMode mode, int processed_inputs)
    : mode_(mode), processed_inputs_(processed_inputs) {
    for (int i = 0; i < kInputCount; ++i) {
        state_.inputs[static_cast<std::size_t>(i)].gain_step = i % 5;
    }
    state_.system.device_text.assign("23");
    state_.system.automix_cfg = {0, 4, 10, 30, 27, 1};
    // The processor's own unit button and five units are usable.
    state_.system.unit_extra = 6;
}

std::vector<std::string> SimulatedProcessor::on_frame(std::string_view frame) {
    if (mode_ == SimMode::silent || !frame_is_valid(frame)) {
        return {};
    }
    const char letter = frame[1];
    const auto fields = split_fields(frame);
    if (letter == 'Z') {
        std::vector<std::string> replies{encode_full_state(state_, processed_inputs_)};
        if (mode_ == SimMode::normal) {
            replies.push_back(encode_connect_reply(state_, codec_));
        }
        return replies;
    }
    if (mode_ == SimMode::z_only) {
        return {};
    }
    if (letter == 'R') {
        return {FrameBuilder('R').hex2(1).field("0004").finish()};
    }
    if (letter == 'Q') {
        reports_on_ = value(fields, 2) == 1;
        return {};
    }
    if (letter == 'S' || letter == 'T') {
        return firmware_.on_frame(letter, fields);
    }
    if (!drops_next()) {
        apply_command(letter, fields);
    }
    return {};
}

void SimulatedProcessor::drop_commands(int percent, uint32_t seed) {
    drop_percent_ = percent;
    drop_random_.seed(seed);
}

// One draw per command, taken whether or not it is dropped, so that a seed always drops the
// same commands of the same sequence.
bool SimulatedProcessor::drops_next() {
    ++commands_seen_;
    if (drop_percent_ <= 0) {
        return false;
    }
    const bool drop = static_cast<int>(drop_random_() % 100) < drop_percent_;
    commands_dropped_ += drop ? 1 : 0;
    return drop;
}

void SimulatedProcessor::apply_command(char letter, const std::vector<std::string_view>& f) {
    const int n = value(f, 2);
    auto input = [&](int max) -> InputChannel* {
        return in_range(n, 1, max) ? &state_.inputs[static_cast<std::size_t>(n - 1)] : nullptr;
    };
    auto output = [&]() -> OutputChannel* {
        return in_range(n, 1, kOutputCount) ? &state_.outputs[static_cast<std::size_t>(n - 1)]
                                            : nullptr;
    };
    switch (letter) {
        case 'A':
            if (in_range(n, 1, kInputCount)) {
                state_.inputs[static_cast<std::size_t>(n - 1)].mute = value(f, 3);
                state_.inputs[static_cast<std::size_t>(n - 1)].volume = value(f, 4);
            } else if (in_range(n, 65, 80)) {
                state_.outputs[static_cast<std::size_t>(n - 65)].mute = value(f, 3);
                state_.outputs[static_cast<std::size_t>(n - 65)].volume = value(f, 4);
            }
            break;
        case 'B':
            if (auto* ch = input(kInputCount); ch && f.size() > 3) {
                for (std::size_t k = 0; k < 16 && k < f[3].size(); ++k) {
                    ch->matrix_row[k] = hex_digit_value(f[3][k]);
                }
            }
            break;
        case 'C':
            if (auto* ch = input(kInputCount)) {
                ch->comp_on = value(f, 3);
                ch->comp_ratio = value(f, 4);
                ch->comp_threshold = value(f, 5);
                ch->comp_attack = value(f, 6);
                ch->comp_release = value(f, 7);
                ch->comp_gain = value(f, 8);
            }
            break;
        case 'D':
            if (auto* out = output()) {
                out->lim_on = value(f, 3);
                out->lim_ratio = value(f, 4);
                out->lim_threshold = value(f, 5);
                out->lim_attack = value(f, 6);
                out->lim_release = value(f, 7);
                out->lim_gain = value(f, 8);
            }
            break;
        case 'E':
        case 'F':
            if (auto* ch = input(kInputCount)) {
                const bool low = letter == 'E';
                (low ? ch->lpf_on : ch->hpf_on) = value(f, 3);
                (low ? ch->lpf_mode : ch->hpf_mode) = value(f, 4);
                (low ? ch->lpf_freq : ch->hpf_freq) = value(f, 5);
                (low ? ch->lpf_slope : ch->hpf_slope) = value(f, 6);
            }
            break;
        case 'G':
            if (auto* ch = input(kInputCount); ch && in_range(value(f, 4), 1, kPeqBands)) {
                ch->peq_on = value(f, 3);
                PeqBand& band = ch->peq_band[static_cast<std::size_t>(value(f, 4) - 1)];
                band.type = value(f, 5) - 1;
                band.freq = value(f, 6);
                band.gain = value(f, 7) * 2;
                band.q = value(f, 8);
            }
            break;
        case 'H':
            if (auto* out = output(); out && f.size() > 4) {
                out->geq_on = value(f, 3);
                for (std::size_t b = 0; b < 15 && 2 * b + 1 < f[4].size(); ++b) {
                    out->geq_band[b].gain = hex_group_value(f[4].substr(2 * b, 2)) * 2;
                }
            }
            break;
        case 'I':
            if (auto* out = output()) {
                out->line_mode = value(f, 3);
            }
            break;
        case 'J':
            if (auto* out = output()) {
                out->delay_step = value(f, 4);
            }
            break;
        case 'K':
            if (auto* out = output()) {
                out->fbk = value(f, 3);
            }
            break;
        case 'L':
            if (auto* ch = input(kInputCount)) {
                ch->automix_threshold = value(f, 3);
                ch->priority = value(f, 4);
            }
            break;
        case 'M': {
            auto& cfg = state_.system.automix_cfg;
            const int order[6] = {0, 1, 5, 2, 3, 4};
            for (std::size_t k = 0; k < 6; ++k) {
                cfg[static_cast<std::size_t>(order[k])] = value(f, 2 + k);
            }
            break;
        }
        case 'N':
            for (std::size_t k = 0; k < 4; ++k) {
                state_.system.automix_hidden[k] = value(f, 2 + k);
            }
            break;
        case 'O':
            if (in_range(n, 1, 32)) {
                state_.inputs[static_cast<std::size_t>(n + 31)].source = value(f, 3);
            }
            break;
        case 'U':
            if (auto* ch = input(kInputCount)) {
                ch->gain_step = value(f, 3);
            }
            break;
        case 'V':
            if (in_range(n, 1, 80) && f.size() > 3) {
                std::u16string units;
                for (std::size_t k = 0; k + 4 <= f[3].size() && k < 32; k += 4) {
                    const auto u = static_cast<char16_t>(hex_group_value(f[3].substr(k, 4)));
                    if (u == 0) {
                        break;
                    }
                    units += u;
                }
                FixedText& name = n <= kInputCount
                                      ? state_.inputs[static_cast<std::size_t>(n - 1)].short_name
                                      : state_.outputs[static_cast<std::size_t>(n - 65)].short_name;
                name.assign(codec_.from_utf16(units));
            }
            break;
        case 'X':
            if (in_range(n, 0, 10) && f.size() > 3) {
                for (std::size_t k = 0; k < 5 && 2 * k + 1 < f[3].size(); ++k) {
                    const int b = hex_group_value(f[3].substr(2 * k, 2));
                    state_.system.unit_table[static_cast<std::size_t>(5 * n) + k] =
                        static_cast<uint8_t>(b == 0xFF ? 0 : b);
                }
            }
            break;
        default:
            break;  // "W" calls a unit; nothing to keep
    }
}

// Speech on the first inputs (bursts with pauses, talkers taking turns), music on a few
// others, silence elsewhere; outputs follow the routed mix.
void SimulatedProcessor::move_levels(double t) {
    for (int i = 0; i < kInputCount; ++i) {
        InputChannel& ch = state_.inputs[static_cast<std::size_t>(i)];
        double level = 0;
        if (i < 6) {
            const double turn = std::fmod(t + i * 2.7, 16.0);
            const bool talking = turn < 5.0;
            const double syllables = 0.5 + 0.5 * std::sin(t * 11.0 + i) * std::sin(t * 3.1 + 2 * i);
            level = talking ? 38 + 22 * std::abs(syllables) : 6 + 3 * std::abs(std::sin(t + i));
        } else if (i >= 32 && i < 36) {
            level = 45 + 10 * std::sin(t * 0.9 + i) + 5 * std::sin(t * 7.3 + i * 0.5);
        }
        ch.level = static_cast<int32_t>(std::lround(std::clamp(level, 0.0, 70.0)));
        ch.mix_flag = (i < 32 && ch.level > 30) ? 1 : 0;
    }
    for (int m = 0; m < kOutputCount; ++m) {
        int loudest = 0;
        for (const InputChannel& ch : state_.inputs) {
            if (ch.matrix_row[static_cast<std::size_t>(m)] != 0) {
                loudest = std::max(loudest, static_cast<int>(ch.level));
            }
        }
        state_.outputs[static_cast<std::size_t>(m)].level = m < 2 ? std::max(loudest, 20) : loudest;
    }
}

std::string SimulatedProcessor::level_report(double t) {
    move_levels(t);
    int talker = 0;
    int loudest = 30;
    for (int i = 0; i < kProcessedInputs; ++i) {
        if (state_.inputs[static_cast<std::size_t>(i)].level > loudest) {
            loudest = state_.inputs[static_cast<std::size_t>(i)].level;
            talker = i + 1;
        }
    }
    return encode_levels(state_, talker);
}

std::string SimulatedProcessor::fader_report(int offset) const {
    if (offset == 0) {
        return encode_faders(state_);
    }
    DeviceState moved = state_;
    for (InputChannel& in : moved.inputs) {
        in.volume = std::clamp(in.volume + offset, 0, 70);
    }
    for (OutputChannel& out : moved.outputs) {
        out.volume = std::clamp(out.volume + offset, 0, 70);
    }
    return encode_faders(moved);
}

}  // namespace kestra::sim
