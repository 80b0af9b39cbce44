#include "recall/recovery_actions.h"

#include <memory>

#include "model/factory_values.h"
#include "recall/scene_actions.h"

namespace kestra {

RecoveryActions::RecoveryActions(ActionContext& context, FullStateWriter& writer,
                                 MaintenanceLock& lock)
    : context_(context),
      writer_(writer),
      lock_(lock),
      read_back_(context),
      checked_(read_back_.finished().subscribe([this](const ReadBackResult& r) { checked(r); })) {}

bool RecoveryActions::start_recovery() {
    if (lock_.busy()) {
        context_.notice(lock_.refusal());
        return false;
    }
    if (!context_.ask(kQuestion)) {
        return false;
    }
    if (writer_.running() || context_.read_back_expected()) {
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
    auto target = std::make_shared<const DeviceState>(state);
    if (!writer_.start(FullStateWriter::kRecoveryNamePause,
                       [this, target](bool completed) { written(*target, completed); })) {
        finish(false);
    }
    return true;
}

// Leaving the sender is not arriving: the processor is read back before success is told.
void RecoveryActions::written(const DeviceState& target, bool completed) {
    if (!completed) {
        context_.journal_note(std::string(kTitle) +
                              " stopped: " + std::to_string(writer_.current().sent) + " of " +
                              std::to_string(FullStateWriter::kCommandCount) + " commands written");
    }
    if (!completed ||
        !read_back_.start(target, kFactoryValues, kTitle, FullStateWriter::kCommandCount,
                          std::chrono::milliseconds{0})) {
        finish(false);
    }
}

// The read-back has told what it found wrong; only a verified one is a success.
void RecoveryActions::checked(const ReadBackResult& result) {
    lock_.end();
    if (result.verified()) {
        context_.notice(kDone);
    }
}

void RecoveryActions::finish(bool completed) {
    lock_.end();
    context_.notice(completed ? kDone : kCutShort);
}

}  // namespace kestra
