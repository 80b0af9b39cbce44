#include "session/level_feed.h"

#include <algorithm>

namespace kestra {

int LevelFeed::clamp_meter(int level) {
    return std::clamp(level, 0, LevelView::kMeterMax);
}

const LevelView& LevelFeed::on_level_report(const DeviceState& state) {
    ++report_count_;
    for (int i = 0; i < kInputCount; ++i) {
        const InputChannel& ch = state.inputs[static_cast<std::size_t>(i)];
        const int meter = clamp_meter(ch.level);
        view_.input_meter[static_cast<std::size_t>(i)] = meter;
        view_.bank_levels[static_cast<std::size_t>(i / 8)][static_cast<std::size_t>(i % 8)] = meter;
        if (i < kProcessedInputs) {
            const auto k = static_cast<std::size_t>(i);
            const uint8_t active = (ch.mix_state == 1 || ch.mix_flag == 1) ? 1 : 0;
            view_.active_changed[k] = active != view_.active[k];
            view_.active[k] = active;
        }
    }
    for (int m = 0; m < kOutputCount; ++m) {
        const int meter = clamp_meter(state.outputs[static_cast<std::size_t>(m)].level);
        view_.output_meter[static_cast<std::size_t>(m)] = meter;
        view_.bank_levels[static_cast<std::size_t>(8 + m / 8)][static_cast<std::size_t>(m % 8)] =
            meter;
    }
    view_.overview_due = report_count_ >= 2 && state.system.connected != 0;
    if (report_count_ >= 2) {
        report_count_ = 0;
    }
    return view_;
}

const LevelView& LevelFeed::silence() {
    view_.input_meter.fill(0);
    view_.output_meter.fill(0);
    for (std::size_t k = 0; k < view_.active.size(); ++k) {
        view_.active_changed[k] = view_.active[k] != 0;
        view_.active[k] = 0;
    }
    for (auto& bank : view_.bank_levels) {
        bank.fill(0);
    }
    view_.overview_due = true;
    report_count_ = 0;
    return view_;
}

const LevelView& LevelFeed::on_volume_report(const DeviceState& state) {
    for (int i = 0; i < kInputCount; ++i) {
        view_.bank_volumes[static_cast<std::size_t>(i / 8)][static_cast<std::size_t>(i % 8)] =
            state.inputs[static_cast<std::size_t>(i)].volume;
    }
    for (int m = 0; m < kOutputCount; ++m) {
        view_.bank_volumes[static_cast<std::size_t>(8 + m / 8)][static_cast<std::size_t>(m % 8)] =
            state.outputs[static_cast<std::size_t>(m)].volume;
    }
    view_.overview_due = true;
    return view_;
}

}  // namespace kestra
