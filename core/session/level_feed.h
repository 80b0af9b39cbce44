#pragma once

#include <array>
#include <cstdint>

#include "model/device_state.h"

namespace kestra {

// What the views show of a level report: meters clamped to 0-70, the auto-mixer state of
// inputs 1-32 with which of them changed, and the bank overviews (eight entries per bank:
// banks 1-8 inputs, 9 outputs 1-8, 10 outputs 9-16), redrawn on every second report.
struct LevelView {
    static constexpr int kBanks = 10;
    static constexpr int kMeterMax = 70;

    std::array<int, kInputCount> input_meter{};
    std::array<int, kOutputCount> output_meter{};
    std::array<uint8_t, kProcessedInputs> active{};
    std::array<bool, kProcessedInputs> active_changed{};
    std::array<std::array<int, 8>, kBanks> bank_levels{};
    std::array<std::array<int, 8>, kBanks> bank_volumes{};
    bool overview_due = false;
};

class LevelFeed {
public:
    // After a decoded "Q". `connected` gates only the overview redraw, as for the views.
    const LevelView& on_level_report(const DeviceState& state);
    // After a decoded "P" while connected: the overviews take the volumes.
    const LevelView& on_volume_report(const DeviceState& state);
    // The connection ended or supervision found the processor silent: what the state last
    // held is no longer heard, so every meter, overview level and ACTIVE flag drops to
    // silence until the next report. The volumes stay.
    const LevelView& silence();

    const LevelView& view() const { return view_; }

    static int clamp_meter(int level);

private:
    LevelView view_;
    int report_count_ = 0;
};

}  // namespace kestra
