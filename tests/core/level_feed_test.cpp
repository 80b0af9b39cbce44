#include <gtest/gtest.h>

#include "dsp/dynamics_transfer.h"
#include "session/level_feed.h"

namespace kestra {
namespace {

TEST(LevelFeed, ClampsMetersAndTracksAutoMixerChanges) {
    DeviceState state;
    state.system.connected = 1;
    state.inputs[0].level = 75;
    state.inputs[1].level = -3;
    state.inputs[9].level = 40;
    state.outputs[15].level = 71;
    state.inputs[2].mix_flag = 1;
    state.inputs[3].mix_state = 1;
    LevelFeed feed;
    const LevelView& v = feed.on_level_report(state);
    EXPECT_EQ(v.input_meter[0], 70);
    EXPECT_EQ(v.input_meter[1], 0);
    EXPECT_EQ(v.bank_levels[1][1], 40);
    EXPECT_EQ(v.output_meter[15], 70);
    EXPECT_EQ(v.bank_levels[9][7], 70);
    EXPECT_EQ(v.active[2], 1);
    EXPECT_EQ(v.active[3], 1);
    EXPECT_TRUE(v.active_changed[2]);
    EXPECT_FALSE(v.active_changed[4]);
    EXPECT_FALSE(v.overview_due);          // every second report
    EXPECT_EQ(state.inputs[0].level, 75);  // the state keeps the reported value

    const LevelView& w = feed.on_level_report(state);
    EXPECT_FALSE(w.active_changed[2]);
    EXPECT_TRUE(w.overview_due);
    EXPECT_FALSE(feed.on_level_report(state).overview_due);
    state.system.connected = 0;
    EXPECT_FALSE(feed.on_level_report(state).overview_due);
}

TEST(LevelFeed, VolumeReportFillsTheOverviews) {
    DeviceState state;
    state.inputs[63].volume = 5;
    state.outputs[8].volume = 9;
    LevelFeed feed;
    const LevelView& v = feed.on_volume_report(state);
    EXPECT_EQ(v.bank_volumes[7][7], 5);
    EXPECT_EQ(v.bank_volumes[9][0], 9);
    EXPECT_TRUE(v.overview_due);
}

TEST(DynamicsTransfer, FollowsTheCurveBelowAndAboveTheThreshold) {
    // Below the threshold the output is the input plus make-up gain.
    EXPECT_DOUBLE_EQ(dynamics_transfer(-40, -30, 2, 3), -37);
    // Above it the slope is 1/ratio through (T, T + G).
    EXPECT_DOUBLE_EQ(dynamics_transfer(-10, -30, 2, 0), -20);
    EXPECT_DOUBLE_EQ(dynamics_transfer(-10, -30, 1, 0), -10);
    // A threshold plus gain above 0 dB limits everything over the threshold to 0.
    EXPECT_DOUBLE_EQ(dynamics_transfer(-5, -10, 4, 12), 0);
    // Past 0 dB input the output is 0 when the line's offset lies in -60..0.
    EXPECT_DOUBLE_EQ(dynamics_transfer(1, -30, 2, 0), 0);
}

TEST(DynamicsTransfer, MeterBarsOfTheEditors) {
    // The limiter meter with the output level at 65 shows 60 on the IN bar.
    const DynamicsMeter m = dynamics_meter(65, 30, 20, 0);
    EXPECT_DOUBLE_EQ(m.in, 60);
    EXPECT_DOUBLE_EQ(m.out, 45);  // 0 dB in over a -30 dB threshold at 1:2 gives -15 dB
    EXPECT_DOUBLE_EQ(m.gr, 45);
    const DynamicsMeter q = dynamics_meter(50, 30, 20, 0);  // -10 dB in, 1:2 over -30 dB
    EXPECT_DOUBLE_EQ(q.in, 50);
    EXPECT_DOUBLE_EQ(q.out, 40);
    EXPECT_DOUBLE_EQ(q.gr, 50);
    const DynamicsMeter idle = dynamics_meter(10, 30, 20, 0);  // below the threshold
    EXPECT_DOUBLE_EQ(idle.out, 10);
    EXPECT_DOUBLE_EQ(idle.gr, 60);
}

TEST(LevelFeed, SilenceDropsEveryLevelAndActiveFlagButKeepsTheVolumes) {
    DeviceState state;
    state.system.connected = 1;
    state.inputs[5].level = 50;
    state.inputs[6].mix_state = 1;
    state.outputs[10].level = 33;
    state.inputs[8].volume = 44;
    LevelFeed feed;
    feed.on_volume_report(state);
    feed.on_level_report(state);
    feed.on_level_report(state);

    const LevelView& quiet = feed.silence();
    EXPECT_EQ(quiet.input_meter[5], 0);
    EXPECT_EQ(quiet.output_meter[10], 0);
    EXPECT_EQ(quiet.bank_levels[0][5], 0);
    EXPECT_EQ(quiet.bank_levels[9][2], 0);
    EXPECT_EQ(quiet.active[6], 0);
    EXPECT_TRUE(quiet.active_changed[6]);
    EXPECT_FALSE(quiet.active_changed[7]);
    EXPECT_TRUE(quiet.overview_due);           // the bank buttons drop too
    EXPECT_EQ(quiet.bank_volumes[1][0], 44);   // faders are not levels
    EXPECT_EQ(state.inputs[5].level, 50);      // the state keeps what was reported
    EXPECT_EQ(feed.view().input_meter[5], 0);  // and views loading later read silence

    // The next report is heard again, its overview on the second one as before.
    EXPECT_EQ(feed.on_level_report(state).input_meter[5], 50);
    EXPECT_FALSE(feed.view().overview_due);
}

TEST(DynamicsMeter, TheGainReductionBarIsEmptyWhileNothingIsReduced) {
    // Below the threshold, with and without make-up gain: no reduction.
    EXPECT_DOUBLE_EQ(dynamics_meter(20, 40, 40, 0).reduction(), 0);
    EXPECT_DOUBLE_EQ(dynamics_meter(20, 40, 40, 60).reduction(), 0);
    EXPECT_DOUBLE_EQ(dynamics_meter(0, 30, 10, 0).reduction(), 0);  // at rest
    // T = -20 dB, 1:4, input at 0 dB: 15 dB off.
    const DynamicsMeter m = dynamics_meter(60, 40, 40, 0);
    EXPECT_DOUBLE_EQ(m.gr, 45);
    EXPECT_DOUBLE_EQ(m.reduction(), 15);
}

}  // namespace
}  // namespace kestra
