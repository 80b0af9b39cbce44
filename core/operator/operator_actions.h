#pragma once

#include <vector>

#include "actions/action_context.h"
#include "actions/automix_actions.h"
#include "actions/compressor_actions.h"
#include "actions/field_committer.h"
#include "actions/geq_actions.h"
#include "actions/group_actions.h"
#include "actions/limiter_actions.h"
#include "actions/peq_actions.h"
#include "actions/routing_actions.h"
#include "actions/strip_actions.h"
#include "actions/unit_actions.h"
#include "params/field_path.h"
#include "readout/readout.h"
#include "recall/recovery_actions.h"
#include "session/full_state_writer.h"
#include "session/maintenance_lock.h"

namespace kestra {

// Every operator action of the product, for the GUI and for kestra-ctl alike: one instance per
// controlled processor, living as long as its state.
class OperatorActions {
public:
    // `changes` is the state's stream, shared with the processor's frames.
    OperatorActions(DeviceState& state, Publisher<StateChange>& changes, FrameSink& sink,
                    NoticeSink& notices, QuestionSink& questions, const Clock& clock,
                    CommandContext names = {});
    OperatorActions(const OperatorActions&) = delete;
    OperatorActions& operator=(const OperatorActions&) = delete;

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
    Readout readout;
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
