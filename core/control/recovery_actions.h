#pragma once

#include "control/action_context.h"
#include "control/full_state_writer.h"
#include "control/maintenance_lock.h"

namespace kestra {

// The RECOVERY press: factory values into the state, groups cleared, and the whole state
// written to the processor while connected. "Reset successfully." follows once the transfer
// has drained; the maintenance lock is held until then.
class RecoveryActions {
public:
    static constexpr const char* kQuestion = "If do you recovery the device? ";
    static constexpr const char* kDone = "Reset successfully.";
    static constexpr const char* kCutShort =
        "The connection ended before the factory values reached the processor.";

    RecoveryActions(ActionContext& context, FullStateWriter& writer, MaintenanceLock& lock)
        : context_(context), writer_(writer), lock_(lock) {}

    // False when refused (maintenance running, a transfer running, or the question declined).
    bool start_recovery();

private:
    void finish(bool completed);

    ActionContext& context_;
    FullStateWriter& writer_;
    MaintenanceLock& lock_;
};

}  // namespace kestra
