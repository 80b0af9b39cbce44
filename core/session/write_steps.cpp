#include "session/write_steps.h"

#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "model/state_fields.h"
#include "params/parameter_catalogue.h"

namespace kestra {

namespace {

using std::chrono::milliseconds;

constexpr int kFirstSourceInput = 33;
constexpr int kPeqBandsSent = 4;
// A name's frame travels in about three pieces, each with its frame gap.
constexpr int kNamePieces = 3;

// What the catalogue's rows say of the commands the state goes out in: how many wire numbers
// select what each letter sets, and which unit's name each "V" channel carries.
struct Commands {
    std::unordered_map<char, std::size_t> selector_size;
    std::unordered_map<int, int> name_unit;  // by wire channel
};

const Commands& commands() {
    static const Commands built = [] {
        Commands c;
        for (const Parameter& p : ParameterCatalogue::rows()) {
            if (p.command.letter == 0) {
                continue;
            }
            c.selector_size.emplace(p.command.letter, p.command.selector.size());
            if (p.command.letter == 'V') {
                c.name_unit.emplace(p.command.selector.at(0), p.field.unit);
            }
        }
        // The level reports' switch sets no parameter: its one number is on or off.
        c.selector_size.emplace('Q', 1);
        return c;
    }();
    return built;
}

// The step's wire numbers, as many as its letter's rows select by: none for the system's
// words, the channel (or unit group), or the channel and the band.
std::vector<int> selector_of(const WriteStep& step) {
    const auto it = commands().selector_size.find(step.letter);
    if (it == commands().selector_size.end()) {
        throw std::invalid_argument(std::string("no write step ") + step.letter);
    }
    std::vector<int> selector{step.channel, step.band};
    selector.resize(it->second);
    return selector;
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
    if (step.letter == 'V' && names.glyphs == nullptr) {
        throw std::invalid_argument("the names need a glyph renderer");
    }
    const std::vector<int> selector = selector_of(step);
    DatagramList d = encode_command(s, step.letter, selector, names);
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
            const int unit = commands().name_unit.at(step.channel);
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
