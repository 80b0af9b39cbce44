#pragma once

#include <vector>

#include "control/action_context.h"
#include "control/automix_actions.h"
#include "control/compressor_actions.h"
#include "control/field_committer.h"
#include "control/field_path.h"
#include "control/full_state_writer.h"
#include "control/geq_actions.h"
#include "control/group_actions.h"
#include "control/limiter_actions.h"
#include "control/maintenance_lock.h"
#include "control/parameter_readout.h"
#include "control/peq_actions.h"
#include "control/recovery_actions.h"
#include "control/routing_actions.h"
#include "control/strip_actions.h"
#include "control/unit_actions.h"

namespace kestra {

// Every operator action of the product, for the GUI and for kestra-ctl alike: one instance per
// controlled processor, living as long as its state.
class ControlSurface {
public:
    // `changes` is the state's stream, shared with the processor's frames.
    ControlSurface(DeviceState& state, Publisher<StateChange>& changes, FrameSink& sink,
                   NoticeSink& notices, QuestionSink& questions, const Clock& clock,
                   CommandContext names = {});
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
    AutomixActions automix;
    UnitActions units;
    ParameterReadout readout;
    PeqActions peq;
    GeqActions geq;
    CompressorActions compressor;
    LimiterActions limiter;
    StripActions strips;
    GroupActions groups;
    RoutingActions routing;
    // The firmware update and the recovery refuse to start while the other runs.
    MaintenanceLock maintenance;
    FullStateWriter full_state;
    RecoveryActions recovery;
};

}  // namespace kestra
