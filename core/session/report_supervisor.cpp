#include "session/report_supervisor.h"

namespace kestra {

ReportSupervisor::ReportSupervisor(const DeviceState& state, const Clock& clock)
    : state_(state), clock_(clock), last_report_(clock.now()) {}

void ReportSupervisor::report_arrived() {
    last_report_ = clock_.now();
    if (!online_) {
        online_ = true;
        status_.publish({true});
    }
}

void ReportSupervisor::tick() {
    if (state_.system.connected == 0 || clock_.now() - last_report_ < kSilence) {
        return;
    }
    last_report_ = clock_.now();
    online_ = false;
    status_.publish({false});
}

void ReportSupervisor::went_offline() {
    online_ = false;
    status_.publish({false});
}

}  // namespace kestra
