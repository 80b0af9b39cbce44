#include "control/recovery_actions.h"

#include "control/scene_actions.h"
#include "model/factory_values.h"

namespace kestra {

bool RecoveryActions::start_recovery() {
    if (lock_.busy()) {
        context_.notice(lock_.refusal());
        return false;
    }
    if (!context_.ask(kQuestion)) {
        return false;
    }
    if (writer_.running()) {
        context_.notice(SceneActions::kTransferRunning);
        return false;
    }
    if (!lock_.begin(MaintenanceLock::Kind::Recovery)) {
        context_.notice(lock_.refusal());
        return false;
    }
    DeviceState& state = context_.state();
    apply_factory_values(state);
    context_.active_groups() = ActiveGroups{};
    state.system.last_report_at = context_.clock().wall_now();
    const ActionContext::OriginScope restored(context_, ChangeOrigin::Recall);
    context_.changed({StateChange::Scope::Everything, -1, StateChange::Block::All});
    if (!context_.connected()) {
        finish(true);
        return true;
    }
    if (!writer_.start(FullStateWriter::kRecoveryNamePause,
                       [this](bool completed) { finish(completed); })) {
        finish(false);
    }
    return true;
}

void RecoveryActions::finish(bool completed) {
    lock_.end();
    context_.notice(completed ? kDone : kCutShort);
}

}  // namespace kestra
