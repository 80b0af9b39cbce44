#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "firmware_receiver.h"
#include "model/device_state.h"
#include "text/name_codec.h"

namespace kestra::sim {

enum class SimMode {
    normal,
    silent,  // answers nothing
    z_only,  // answers the read-all request with "Z" and nothing else, never "Y"
    no_y,    // behaves normally but never completes a connection with "Y"
};

// The virtual processor's behaviour without any socket: applies every command to its own
// state, answers requests, and makes level reports whose signals move like a meeting.
class SimulatedProcessor {
public:
    explicit SimulatedProcessor(SimMode mode = SimMode::normal, int processed_inputs = kInputCount);

    // Replies to one valid frame, in the order they go out.
    std::vector<std::string> on_frame(std::string_view frame);

    bool reports_on() const { return reports_on_; }
    // A level report for time `t` (seconds since start).
    std::string level_report(double t);
    // The "P" report of every volume, each moved by `offset` within 0-70.
    std::string fader_report(int offset = 0) const;

    DeviceState& state() { return state_; }
    const DeviceState& state() const { return state_; }
    SimMode mode() const { return mode_; }

    // The firmware handshake ("S", "T") and what it has received.
    FirmwareReceiver& firmware() { return firmware_; }
    void set_firmware_mode(FirmwareMode mode) { firmware_ = FirmwareReceiver(mode); }

    // A lossy link: `percent` of the received setting commands (not the requests, reports or
    // firmware frames) are lost before they are applied, chosen by a generator seeded with
    // `seed`, so that a run can be repeated.
    void drop_commands(int percent, uint32_t seed);
    int commands_dropped() const { return commands_dropped_; }
    int commands_seen() const { return commands_seen_; }

private:
    bool drops_next();
    void move_levels(double t);

    DeviceState state_;
    NameCodec codec_;
    SimMode mode_;
    int processed_inputs_;
    bool reports_on_ = false;
    FirmwareReceiver firmware_;
    int drop_percent_ = 0;
    std::mt19937 drop_random_;
    int commands_seen_ = 0;
    int commands_dropped_ = 0;
};

}  // namespace kestra::sim
