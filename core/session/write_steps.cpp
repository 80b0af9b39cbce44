#include "session/write_steps.h"

#include <stdexcept>
#include <string_view>

#include "model/state_fields.h"
#include "params/parameter_catalogue.h"

namespace kestra {

namespace {

using std::chrono::milliseconds;

constexpr int kFirstSourceInput = 33;
constexpr int kPeqBandsSent = 4;
// A name's frame travels in about three pieces, each with its frame gap.
constexpr int kNamePieces = 3;

bool is_output_channel(int wire) {
    return wire > kWireOutputBase;
}

// The unit (see StateFields) of the step's channel.
int unit_of(const WriteStep& s) {
    switch (s.letter) {
        case 'X':
        case 'M':
        case 'N':
        case 'Q':
            return StateFields::kSystemUnit;
        case 'A':
        case 'V':
            return is_output_channel(s.channel)
                       ? StateFields::output_unit(s.channel - kWireOutputBase - 1)
                       : StateFields::input_unit(s.channel - 1);
        case 'D':
        case 'H':
        case 'I':
        case 'J':
        case 'K':
            return StateFields::output_unit(s.channel - 1);
        default:
            return StateFields::input_unit(s.channel - 1);
    }
}

}  // namespace

std::vector<WriteStep> WriteSteps::whole(milliseconds name_pause) {
    std::vector<WriteStep> out;
    out.push_back({'Q', 0, 0, kCommandPause});
    for (int g = 0; g < kUnitGroups; ++g) {
        out.push_back({'X', g, 0, kUnitPause});
    }
    for (int n = 1; n <= kWireChannelCount; ++n) {
        out.push_back({'V', n, 0, name_pause});
        out.push_back({'A', n, 0, kCommandPause});
    }
    for (int n = kFirstSourceInput; n <= kInputCount; ++n) {
        out.push_back({'O', n, 0, kCommandPause});
    }
    for (int n = 1; n <= kInputCount; ++n) {
        out.push_back({'B', n, 0, kCommandPause});
        out.push_back({'U', n, 0, kCommandPause});
        if (n <= kProcessedInputs) {
            for (const char letter : {'C', 'E', 'F', 'L'}) {
                out.push_back({letter, n, 0, kCommandPause});
            }
        }
    }
    for (int m = 1; m <= kOutputCount; ++m) {
        for (const char letter : {'D', 'H', 'I', 'J'}) {
            out.push_back({letter, m, 0, kCommandPause});
        }
        if (m <= kMasterOutputs) {
            out.push_back({'K', m, 0, kCommandPause});
        }
    }
    for (int n = 1; n <= kProcessedInputs; ++n) {
        for (int b = 1; b <= kPeqBandsSent; ++b) {
            out.push_back({'G', n, b, kCommandPause});
        }
    }
    out.push_back({'M', 0, 0, kCommandPause});
    out.push_back({'Q', 1, 0, kCommandPause});
    return out;
}

std::vector<WriteStep> WriteSteps::every_field(milliseconds name_pause) {
    std::vector<WriteStep> out = whole(name_pause);
    out.erase(out.begin());
    out.pop_back();
    for (int n = 1; n <= kProcessedInputs; ++n) {
        out.push_back({'G', n, kPeqBandsSent + 1, kCommandPause});
    }
    out.push_back({'N', 0, 0, kCommandPause});
    return out;
}

DatagramList WriteSteps::encode(const DeviceState& s, const WriteStep& step,
                                const CommandContext& names) {
    const int n = step.channel;
    DatagramList d;
    switch (step.letter) {
        case 'Q':
            d = encode_level_reports(n != 0);
            break;
        case 'X':
            d = encode_unit_settings(s, n);
            break;
        case 'A':
            d = encode_fader(s, n);
            break;
        case 'O':
            d = encode_input_source(s, n);
            break;
        case 'B':
            d = encode_matrix_row(s, n);
            break;
        case 'U':
            d = encode_input_gain(s, n);
            break;
        case 'C':
            d = encode_compressor(s, n);
            break;
        case 'E':
            d = encode_low_pass(s, n);
            break;
        case 'F':
            d = encode_high_pass(s, n);
            break;
        case 'L':
            d = encode_automix_channel(s, n);
            break;
        case 'D':
            d = encode_limiter(s, n);
            break;
        case 'H':
            d = encode_graphic_eq(s, n);
            break;
        case 'I':
            d = encode_output_mode(s, n);
            break;
        case 'J':
            d = encode_output_delay(s, n);
            break;
        case 'K':
            d = encode_output_fbk(s, n);
            break;
        case 'G':
            d = encode_peq_band(s, n, step.band);
            break;
        case 'M':
            d = encode_automix_settings(s);
            break;
        case 'N':
            d = encode_automix_hidden(s);
            break;
        case 'V': {
            if (names.glyphs == nullptr) {
                throw std::invalid_argument("the names need a glyph renderer");
            }
            const NameCodec fallback;
            d = encode_channel_name(s, n, names.codec != nullptr ? *names.codec : fallback,
                                    *names.glyphs);
            break;
        }
        default:
            throw std::invalid_argument(std::string("no write step ") + step.letter);
    }
    return std::move(with_pause(d, step.pause));
}

std::vector<WriteStep> WriteSteps::differing(const std::vector<WriteStep>& steps,
                                             const DeviceState& before, const DeviceState& after) {
    const CommandContext none;
    std::vector<WriteStep> out;
    for (const WriteStep& step : steps) {
        if (step.letter == 'Q') {
            continue;
        }
        bool differs = false;
        if (step.letter == 'V') {
            const int unit = unit_of(step);
            const auto name = [unit](const DeviceState& s) {
                return StateFields::is_input(unit)
                           ? s.inputs[static_cast<std::size_t>(unit)].short_name.str()
                           : s.outputs[static_cast<std::size_t>(unit - kInputCount)]
                                 .short_name.str();
            };
            differs = name(before) != name(after);
        } else {
            const DatagramList a = encode(before, step, none);
            const DatagramList b = encode(after, step, none);
            differs = a.size() != b.size();
            for (std::size_t i = 0; !differs && i < a.size(); ++i) {
                differs = a[i].payload != b[i].payload;
            }
        }
        if (differs) {
            out.push_back(step);
        }
    }
    return out;
}

std::vector<WriteStep> WriteSteps::drawable(std::vector<WriteStep> steps,
                                            const CommandContext& names) {
    if (names.glyphs == nullptr) {
        std::erase_if(steps, [](const WriteStep& s) { return s.letter == 'V'; });
    }
    return steps;
}

DatagramList WriteSteps::encode_all(const DeviceState& state, const std::vector<WriteStep>& steps,
                                    const CommandContext& names) {
    DatagramList all;
    for (const WriteStep& step : steps) {
        for (Datagram& d : encode(state, step, names)) {
            all.push_back(std::move(d));
        }
    }
    return all;
}

milliseconds WriteSteps::planned(const std::vector<WriteStep>& steps) {
    milliseconds sum{0};
    for (const WriteStep& s : steps) {
        sum += s.pause + Datagram::kFrameGap * (s.letter == 'V' ? kNamePieces : 1);
    }
    return sum;
}

bool WriteSteps::carries(const WriteStep& step, int unit, const std::string& path) {
    const Parameter* p = ParameterCatalogue::of_field(unit, path);
    return p != nullptr && p->command.sent_by(step.letter, step.channel, step.band);
}

}  // namespace kestra
