#pragma once

#include <atomic>

namespace kestra {

// The one maintenance activity that may run at a time: a firmware update or a recovery.
// begin() and end() may come from different threads (a transfer thread ends what the owner
// thread began), so the state is atomic.
class MaintenanceLock {
public:
    enum class Kind { Update, Recovery };

    static constexpr const char* kUpdateRunning = "Updateing.......";
    static constexpr const char* kRecoveryRunning = "Reseting device.......";

    bool busy() const { return running_.load(std::memory_order_acquire) != kIdle; }

    // Takes the lock for `kind`; false when something already runs (refusal() then says what).
    bool begin(Kind kind);
    void end();

    // The operator's message while busy: what is running; "" while idle.
    const char* refusal() const;

private:
    static constexpr int kIdle = -1;
    std::atomic<int> running_{kIdle};
};

}  // namespace kestra
