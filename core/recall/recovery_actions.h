#pragma once

#include "actions/action_context.h"
#include "recall/recall_read_back.h"
#include "session/full_state_writer.h"
#include "session/maintenance_lock.h"

namespace kestra {

// The RECOVERY press: factory values into the state, groups cleared, and the whole state
// written to the processor while connected, then read back and compared like a recall.
// "Reset successfully." follows once the processor holds the factory values; the maintenance
// lock is held until then.
class RecoveryActions {
public:
    static constexpr const char* kQuestion = "If do you recovery the device? ";
    static constexpr const char* kDone = "Reset successfully.";
    static constexpr const char* kCutShort =
        "The connection ended before the factory values reached the processor.";
    static constexpr const char* kFactoryValues = "the factory values";
    // What the journal calls it.
    static constexpr const char* kTitle = "Recovery";

    RecoveryActions(ActionContext& context, FullStateWriter& writer, MaintenanceLock& lock);
    RecoveryActions(const RecoveryActions&) = delete;
    RecoveryActions& operator=(const RecoveryActions&) = delete;

    // False when refused (maintenance running, a transfer or read-back running, or the
    // question declined).
    bool start_recovery();

    // The read-back after the write; its finished() tells how the recovery ended.
    RecallReadBack& read_back() { return read_back_; }
    // The owner's tick: ends a read-back that did not come in time.
    void tick() { read_back_.tick(); }

private:
    void written(const DeviceState& target, bool completed);
    void checked(const ReadBackResult& result);
    void finish(bool completed);

    ActionContext& context_;
    FullStateWriter& writer_;
    MaintenanceLock& lock_;
    RecallReadBack read_back_;
    Publisher<ReadBackResult>::Subscription checked_;
};

}  // namespace kestra
