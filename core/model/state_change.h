#pragma once

namespace kestra {

// Who wrote a change. A control the operator is holding ignores changes of other origins
// until it is released.
enum class ChangeOrigin {
    Operator,         // an operator action, with the copies to its group members
    ProcessorReport,  // "Y", "Q" and "P" from the processor
    FullStateRead,    // an accepted "Z"
    Recall,           // a scene or preset recall, the factory recovery
    TypedEntry,       // Enter in a read-out box
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
        Levels,      // level, mix_flag and mix_state of every channel ("Q")
        Connection,  // connected, reports arriving; a "Y" also brings names, units, gain steps
        All,
    };
    static constexpr int kEvery = -1;

    Scope scope;
    int index;
    Block block;
    ChangeOrigin origin = ChangeOrigin::Operator;

    bool from_processor() const {
        return origin == ChangeOrigin::ProcessorReport || origin == ChangeOrigin::FullStateRead;
    }

    bool operator==(const StateChange&) const = default;
};

}  // namespace kestra
