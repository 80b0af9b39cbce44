#pragma once

#include <chrono>

#include "model/device_state.h"
#include "util/clock.h"
#include "util/publisher.h"

namespace kestra {

// Reports are the only sign that the processor is alive: 10 s without one shows "OFFLINE"
// (again every further 10 s), the next one shows "ONLINE". The connection itself stays.
class ReportSupervisor {
public:
    static constexpr std::chrono::seconds kSilence{10};
    static constexpr const char* kOnline = "ONLINE";
    static constexpr const char* kOffline = "OFFLINE";

    struct Status {
        bool online;
        const char* text() const { return online ? kOnline : kOffline; }
    };

    ReportSupervisor(const DeviceState& state, const Clock& clock);

    // An accepted "Z", "Y" or "Q".
    void report_arrived();
    // The 50 ms tick; acts only while connected.
    void tick();
    // Keeps the silence from counting while the processor is busy absorbing a long transfer;
    // unlike a report it does not claim the processor is online.
    void defer() { last_report_ = clock_.now(); }
    // Disconnect: the label goes back to "OFFLINE" without waiting.
    void went_offline();

    bool online() const { return online_; }
    Publisher<Status>& status() { return status_; }

private:
    const DeviceState& state_;
    const Clock& clock_;
    Clock::TimePoint last_report_{};
    bool online_ = false;
    Publisher<Status> status_;
};

}  // namespace kestra
