#pragma once

#include <vector>

#include "control/action_context.h"
#include "control/channel_actions.h"
#include "control/field_path.h"
#include "control/full_state_writer.h"
#include "control/maintenance_lock.h"
#include "control/recovery_actions.h"

namespace kestra {

// A group of actions that owns some of the fields a script may "set".
class FieldCommitter {
public:
    virtual ~FieldCommitter() = default;
    // Stores `value` (state units) as the view owning the field commits it. Returns false when
    // the field is not one of this committer's; a value outside the field's range throws
    // std::invalid_argument and changes nothing.
    virtual bool commit_field(FieldTarget target, int index, const FieldPath& field, int value) = 0;
};

// Every operator action of the product, for the GUI and for kestra-ctl alike: one instance per
// controlled processor, living as long as its state.
class ControlSurface {
public:
    ControlSurface(DeviceState& state, FrameSink& sink, NoticeSink& notices,
                   QuestionSink& questions, const Clock& clock, CommandContext names = {});
    ControlSurface(const ControlSurface&) = delete;
    ControlSurface& operator=(const ControlSurface&) = delete;

    ActionContext& context() { return context_; }

    // A scripted "set": `index` is the zero-based input or output (ignored for System). An
    // unknown field or a value out of range throws std::invalid_argument.
    void commit_field(FieldTarget target, int index, const FieldPath& field, int value);

private:
    ActionContext context_;
    std::vector<FieldCommitter*> committers_;

public:
    ChannelActions channels;
    // Firmware update and recovery exclude each other.
    MaintenanceLock maintenance;
    FullStateWriter full_state;
    RecoveryActions recovery;
};

}  // namespace kestra
