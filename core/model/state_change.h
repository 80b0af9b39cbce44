#pragma once

#include <string_view>

namespace kestra {

// Who wrote a change. A control the operator is holding ignores changes of other origins
// until it is released.
enum class ChangeOrigin {
    Operator,         // an operator action, with the copies to its group members
    ProcessorReport,  // "Y" and "P" from the processor, reports arriving again
    FullStateRead,    // an accepted "Z"
    Recall,           // a scene or preset recall, the factory recovery
    TypedEntry,       // Enter in a read-out box
    Undo,             // the journal's undo and redo writing fields back
    Remote,           // a client of the control gateway; the change names the client
};

// What changed in DeviceState, for every view of it: operator actions and the processor's
// frames publish into one stream. Observers re-read the state; the event carries no values.
// `index` is the zero-based input, output, group or unit record, or -1 for every one of the
// scope (and where the scope has no channel).
struct StateChange {
    enum class Scope { Input, Output, System, Groups, Units, Everything };
    enum class Block {
        Strip,       // volume, mute, priority, gain step, delay, line, FBK
        Name,        // short_name
        Source,      // input source
        Peq,         // PEQ bands and switch
        Filters,     // HPF, LPF
        Geq,         // graphic EQ bands and switch
        Compressor,  // input dynamics
        Limiter,     // output dynamics
        Matrix,      // matrix_row
        Automix,     // auto-mixer settings and thresholds
        Membership,  // group members
        Links,       // group link flags
        Activation,  // group activation and the strips' copies
        Units,       // microphone unit table and selection
        Connection,  // connected, reports arriving; a "Y" also brings names, units, gain steps
        All,
    };
    static constexpr int kEvery = -1;

    Scope scope;
    int index;
    Block block;
    ChangeOrigin origin = ChangeOrigin::Operator;
    // The gateway client's name for a Remote change, empty for every other origin. It lives
    // as long as the publish: a subscriber that keeps it copies it.
    std::string_view client{};

    bool from_processor() const {
        return origin == ChangeOrigin::ProcessorReport || origin == ChangeOrigin::FullStateRead;
    }

    bool operator==(const StateChange&) const = default;
};

// A "Q" was applied: every channel's level, mix_flag and mix_state in DeviceState are new.
// Reports arrive several times a second and only the meters and the report supervision want
// them, so they have a stream of their own beside StateChange.
struct LevelReport {
    bool operator==(const LevelReport&) const = default;
};

}  // namespace kestra
