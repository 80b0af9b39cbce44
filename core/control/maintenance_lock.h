#pragma once

#include <optional>

namespace kestra {

// One maintenance job at a time: a firmware update or a recovery. While one runs, a press of
// either button is refused with the running job's text. Owner thread only.
class MaintenanceLock {
public:
    enum class Kind { Update, Recovery };

    bool busy() const { return running_.has_value(); }
    // False when busy; the running job stays as it is.
    bool begin(Kind k) {
        if (busy()) {
            return false;
        }
        running_ = k;
        return true;
    }
    void end() { running_.reset(); }
    // "Updateing......." / "Reseting device......." by the running job; "" when idle.
    const char* refusal() const {
        if (!running_) {
            return "";
        }
        return *running_ == Kind::Update ? "Updateing......." : "Reseting device.......";
    }

private:
    std::optional<Kind> running_;
};

}  // namespace kestra
