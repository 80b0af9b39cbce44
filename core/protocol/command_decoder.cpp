#include "protocol/command_decoder.h"

#include "params/band_type_law.h"
#include "params/eq_gain_law.h"
#include "protocol/frame_codec.h"

namespace kestra {

namespace {

int value(const std::vector<std::string_view>& f, std::size_t i) {
    return i < f.size() ? hex_group_value(f[i]) : 0;
}

bool in_range(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

}  // namespace

std::vector<std::string_view> CommandDecoder::fields(std::string_view frame) {
    std::vector<std::string_view> fields;
    if (frame.size() < 1 + kChecksumTail) {
        return fields;
    }
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

bool CommandDecoder::apply_frame(DeviceState& state, const NameCodec& codec,
                                 std::string_view frame) {
    if (!frame_is_valid(frame)) {
        return false;
    }
    apply(state, codec, frame[1], fields(frame));
    return true;
}

void CommandDecoder::apply(DeviceState& state, const NameCodec& codec, char letter,
                           const std::vector<std::string_view>& f) {
    const int n = value(f, 2);
    auto input = [&](int max) -> InputChannel* {
        return in_range(n, 1, max) ? &state.inputs[static_cast<std::size_t>(n - 1)] : nullptr;
    };
    auto output = [&]() -> OutputChannel* {
        return in_range(n, 1, kOutputCount) ? &state.outputs[static_cast<std::size_t>(n - 1)]
                                            : nullptr;
    };
    switch (letter) {
        case 'A':
            if (in_range(n, 1, kInputCount)) {
                state.inputs[static_cast<std::size_t>(n - 1)].mute = value(f, 3);
                state.inputs[static_cast<std::size_t>(n - 1)].volume = value(f, 4);
            } else if (in_range(n, 65, 80)) {
                state.outputs[static_cast<std::size_t>(n - 65)].mute = value(f, 3);
                state.outputs[static_cast<std::size_t>(n - 65)].volume = value(f, 4);
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
                band.type = BandTypeLaw::type_of_wire(value(f, 5));
                band.freq = value(f, 6);
                band.gain = EqGainLaw::stored_of_wire(value(f, 7));
                band.q = value(f, 8);
            }
            break;
        case 'H':
            if (auto* out = output(); out && f.size() > 4) {
                out->geq_on = value(f, 3);
                for (std::size_t b = 0; b < 15 && 2 * b + 1 < f[4].size(); ++b) {
                    out->geq_band[b].gain =
                        EqGainLaw::stored_of_wire(hex_group_value(f[4].substr(2 * b, 2)));
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
            auto& cfg = state.system.automix_cfg;
            const int order[6] = {0, 1, 5, 2, 3, 4};
            for (std::size_t k = 0; k < 6; ++k) {
                cfg[static_cast<std::size_t>(order[k])] = value(f, 2 + k);
            }
            break;
        }
        case 'N':
            for (std::size_t k = 0; k < 4; ++k) {
                state.system.automix_hidden[k] = value(f, 2 + k);
            }
            break;
        case 'O':
            if (in_range(n, 1, 32)) {
                state.inputs[static_cast<std::size_t>(n + 31)].source = value(f, 3);
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
                                      ? state.inputs[static_cast<std::size_t>(n - 1)].short_name
                                      : state.outputs[static_cast<std::size_t>(n - 65)].short_name;
                name.assign(codec.from_utf16(units));
            }
            break;
        case 'X':
            if (in_range(n, 0, 10) && f.size() > 3) {
                for (std::size_t k = 0; k < 5 && 2 * k + 1 < f[3].size(); ++k) {
                    const int b = hex_group_value(f[3].substr(2 * k, 2));
                    state.system.unit_table[static_cast<std::size_t>(5 * n) + k] =
                        static_cast<uint8_t>(b == 0xFF ? 0 : b);
                }
            }
            break;
        default:
            break;  // "W" calls a unit; nothing to keep
    }
}

}  // namespace kestra
