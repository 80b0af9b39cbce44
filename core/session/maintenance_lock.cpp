#include "session/maintenance_lock.h"

namespace kestra {

bool MaintenanceLock::begin(Kind kind) {
    int expected = kIdle;
    return running_.compare_exchange_strong(expected, static_cast<int>(kind),
                                            std::memory_order_acq_rel);
}

void MaintenanceLock::end() {
    running_.store(kIdle, std::memory_order_release);
}

const char* MaintenanceLock::refusal() const {
    switch (running_.load(std::memory_order_acquire)) {
        case static_cast<int>(Kind::Update):
            return kUpdateRunning;
        case static_cast<int>(Kind::Recovery):
            return kRecoveryRunning;
        default:
            return "";
    }
}

}  // namespace kestra
