#pragma once

#include <chrono>
#include <vector>

#include "model/device_state.h"
#include "protocol/command_encoder.h"

namespace kestra {

// One command of a write of the state: its letter, the wire channel (or unit group, or PEQ
// input) it addresses, the PEQ band where it has one, and the pause after it.
struct WriteStep {
    char letter = 0;
    int channel = 0;
    int band = 0;
    std::chrono::milliseconds pause{0};

    bool operator==(const WriteStep&) const = default;
};

// The commands that carry the state to the processor, in the whole-state write's order, and
// the ones among them that a change of the state makes necessary: a command is sent again
// when what it would carry differs between two states.
class WriteSteps {
public:
    static constexpr std::chrono::milliseconds kCommandPause{20};
    static constexpr std::chrono::milliseconds kUnitPause{100};

    // The whole-state write: level reports off, the unit table, names and faders, sources,
    // the input blocks, the output blocks, the PEQ bands, the automix settings, reports on.
    static std::vector<WriteStep> whole(std::chrono::milliseconds name_pause);
    // The whole write's field commands (without the level-report switches) followed by the
    // fields only single actions send: the fifth PEQ band and the hidden automix words.
    static std::vector<WriteStep> every_field(std::chrono::milliseconds name_pause);

    // The step's datagrams for `state`, with the step's pause after the last one. "V" needs
    // `names.glyphs`; without one this throws std::invalid_argument.
    static DatagramList encode(const DeviceState& state, const WriteStep& step,
                               const CommandContext& names);
    // The steps of `steps` whose command differs between `before` and `after`. Names are
    // compared as texts, so glyphs are only rendered for a name that changed.
    static std::vector<WriteStep> differing(const std::vector<WriteStep>& steps,
                                            const DeviceState& before, const DeviceState& after);
    // The steps without the names where no glyph renderer is at hand to draw them.
    static std::vector<WriteStep> drawable(std::vector<WriteStep> steps,
                                           const CommandContext& names);
    // The steps' datagrams as one list, encoded from `state`.
    static DatagramList encode_all(const DeviceState& state, const std::vector<WriteStep>& steps,
                                   const CommandContext& names);
    // The steps' pauses with the frame gaps of their datagrams (a name counted as three
    // pieces): about the time the sender needs for them.
    static std::chrono::milliseconds planned(const std::vector<WriteStep>& steps);
    // Whether the step carries the state field at `path` of `unit` (see StateFields).
    static bool carries(const WriteStep& step, int unit, const std::string& path);
};

}  // namespace kestra
