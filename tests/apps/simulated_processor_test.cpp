#include <gtest/gtest.h>

#include "protocol/command_encoder.h"
#include "protocol/discovery.h"
#include "protocol/frame_extractor.h"
#include "protocol/reply_dispatcher.h"
#include "simulated_processor.h"
#include "support/recording_frames.h"

namespace kestra {
namespace {

using sim::SimMode;
using sim::SimulatedProcessor;

// Sends a command's datagrams the way the wire would: through an extractor that joins pieces.
void deliver(SimulatedProcessor& sim, const DatagramList& datagrams) {
    FrameExtractor ex;
    for (const Datagram& d : datagrams) {
        ex.feed(d.payload, [&](std::string_view f) { sim.on_frame(f); });
    }
}

class SimulatedProcessorTest : public ::testing::Test {
protected:
    // What a controller reads back after the command: the processor's own full state.
    DeviceState read_back() {
        DeviceState mirror;
        ManualClock clock;
        testing::RecordingFrames sink;
        NameCodec codec;
        Publisher<StateChange> changes;
        ReplyDispatcher dispatcher(mirror, changes, clock, sink, codec);
        for (const std::string& reply : sim.on_frame("%Z,01,F143#")) {
            dispatcher.route_frame(reply);
        }
        return mirror;
    }
    SimulatedProcessor sim;
    DeviceState mine;
};

TEST_F(SimulatedProcessorTest, AnswersTheReadAllWithStateAndCompletion) {
    const auto replies = sim.on_frame("%Z,01,F143#");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0][1], 'Z');
    EXPECT_EQ(replies[1][1], 'Y');
    EXPECT_EQ(read_back().system.connected, 1);
}

TEST_F(SimulatedProcessorTest, FullStateCanCarryTheProcessingOfThirtyTwoInputs) {
    SimulatedProcessor narrow(SimMode::normal, 32);
    narrow.state().inputs[40].comp_ratio = 77;
    narrow.state().inputs[40].volume = 9;
    narrow.state().inputs[20].comp_ratio = 55;
    const std::string z32 = narrow.on_frame("%Z,01,F143#")[0];
    const std::string z64 = SimulatedProcessor().on_frame("%Z,01,F143#")[0];
    EXPECT_LT(z32.size(), z64.size());
    DeviceState mirror;
    ManualClock clock;
    testing::RecordingFrames sink;
    NameCodec codec;
    Publisher<StateChange> changes;
    ReplyDispatcher dispatcher(mirror, changes, clock, sink, codec);
    ASSERT_TRUE(dispatcher.decode_full_state(z32));
    EXPECT_EQ(mirror.inputs[20].comp_ratio, 55);
    EXPECT_EQ(mirror.inputs[40].comp_ratio, 10);  // not carried: keeps its value
    EXPECT_EQ(mirror.inputs[40].volume, 9);       // the all-channel fields are complete
}

// A lossy link: the share asked for is lost, requests still answered, and the same seed loses
// the same commands of the same sequence.
TEST_F(SimulatedProcessorTest, DroppedCommandsAreLostByTheirSeedAndRequestsStillAnswered) {
    const auto lost = [](int percent, uint32_t seed) {
        SimulatedProcessor lossy;
        lossy.drop_commands(percent, seed);
        DeviceState wanted;
        std::vector<int> missing;
        for (int n = 1; n <= kInputCount; ++n) {
            wanted.input(n - 1).volume = 10 + n % 50;
            deliver(lossy, encode_fader(wanted, n));
            if (lossy.state().input(n - 1).volume != wanted.input(n - 1).volume) {
                missing.push_back(n);
            }
        }
        EXPECT_EQ(lossy.on_frame("%Z,01,F143#").size(), 2u) << "the read is never lost";
        EXPECT_EQ(lossy.commands_seen(), kInputCount);
        EXPECT_EQ(lossy.commands_dropped(), static_cast<int>(missing.size()));
        return missing;
    };
    EXPECT_TRUE(lost(0, 5).empty());
    EXPECT_EQ(lost(100, 5).size(), static_cast<std::size_t>(kInputCount));
    const std::vector<int> some = lost(30, 5);
    EXPECT_GT(some.size(), 5u);
    EXPECT_LT(some.size(), 40u);
    EXPECT_EQ(lost(30, 5), some);
    EXPECT_NE(lost(30, 6), some);
}

TEST_F(SimulatedProcessorTest, ModesWithholdTheirAnswers) {
    SimulatedProcessor silent(SimMode::silent);
    EXPECT_TRUE(silent.on_frame("%Z,01,F143#").empty());
    EXPECT_TRUE(silent.on_frame(Discovery::kProbe).empty());
    SimulatedProcessor z_only(SimMode::z_only);
    const auto z = z_only.on_frame("%Z,01,F143#");
    ASSERT_EQ(z.size(), 1u);
    EXPECT_EQ(z[0][1], 'Z');
    EXPECT_TRUE(z_only.on_frame(Discovery::kProbe).empty());
    SimulatedProcessor no_y(SimMode::no_y);
    EXPECT_EQ(no_y.on_frame("%Z,01,F143#").size(), 1u);
    EXPECT_EQ(no_y.on_frame(Discovery::kProbe).size(), 1u);
}

TEST_F(SimulatedProcessorTest, AnswersTheProbeLikeAProcessorOfThisModel) {
    const auto replies = sim.on_frame(Discovery::kProbe);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_TRUE(Discovery::is_processor_reply(replies[0])) << replies[0];
}

TEST_F(SimulatedProcessorTest, EveryCommandIsAppliedAndReadBack) {
    mine.inputs[2].mute = 1;
    mine.inputs[2].volume = 33;
    mine.outputs[4].volume = 12;
    mine.inputs[5].matrix_row = {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 15};
    mine.inputs[6].comp_on = 1;
    mine.inputs[6].comp_ratio = 40;
    mine.inputs[6].comp_threshold = 22;
    mine.outputs[1].lim_on = 1;
    mine.outputs[1].lim_gain = 55;
    mine.inputs[7].lpf_on = 1;
    mine.inputs[7].lpf_freq = 8000;
    mine.inputs[7].hpf_freq = 120;
    mine.inputs[7].hpf_slope = 4;
    mine.inputs[8].peq_band[1] = PeqBand{1000, 180, 40, {}, 2};
    mine.outputs[3].geq_on = 1;
    mine.outputs[3].geq_band[14].gain = 200;
    mine.outputs[5].line_mode = 1;
    mine.outputs[6].delay_step = 150;
    mine.outputs[7].fbk = 1;
    mine.inputs[9].automix_threshold = 44;
    mine.inputs[9].priority = 1;
    mine.system.automix_cfg = {0, 8, 20, 40, 25, 1};
    mine.system.automix_hidden = {1, 2, 3, 4};
    mine.inputs[40].source = 3;
    mine.inputs[10].gain_step = 17;
    mine.system.unit_table[5] = 3;
    mine.system.unit_table[7] = 9;
    deliver(sim, encode_fader(mine, 3));
    deliver(sim, encode_fader(mine, 69));
    deliver(sim, encode_matrix_row(mine, 6));
    deliver(sim, encode_compressor(mine, 7));
    deliver(sim, encode_limiter(mine, 2));
    deliver(sim, encode_low_pass(mine, 8));
    deliver(sim, encode_high_pass(mine, 8));
    deliver(sim, encode_peq_band(mine, 9, 2));
    deliver(sim, encode_graphic_eq(mine, 4));
    deliver(sim, encode_output_mode(mine, 6));
    deliver(sim, encode_output_delay(mine, 7));
    deliver(sim, encode_output_fbk(mine, 8));
    deliver(sim, encode_automix_channel(mine, 10));
    deliver(sim, encode_automix_settings(mine));
    deliver(sim, encode_automix_hidden(mine));
    deliver(sim, encode_input_source(mine, 41));
    deliver(sim, encode_input_gain(mine, 11));
    deliver(sim, encode_unit_settings(mine, 1));

    const DeviceState back = read_back();
    EXPECT_EQ(back.inputs[2].mute, 1);
    EXPECT_EQ(back.inputs[2].volume, 33);
    EXPECT_EQ(back.outputs[4].volume, 12);
    EXPECT_EQ(back.inputs[5].matrix_row, mine.inputs[5].matrix_row);
    EXPECT_EQ(back.inputs[6].comp_on, 1);
    EXPECT_EQ(back.inputs[6].comp_ratio, 40);
    EXPECT_EQ(back.inputs[6].comp_threshold, 22);
    EXPECT_EQ(back.outputs[1].lim_on, 1);
    EXPECT_EQ(back.outputs[1].lim_gain, 55);
    EXPECT_EQ(back.inputs[7].lpf_on, 1);
    EXPECT_EQ(back.inputs[7].lpf_freq, 8000);
    EXPECT_EQ(back.inputs[7].hpf_freq, 120);
    EXPECT_EQ(back.inputs[7].hpf_slope, 4);
    EXPECT_EQ(back.inputs[8].peq_band[1].freq, 1000);
    EXPECT_EQ(back.inputs[8].peq_band[1].gain, 180);
    EXPECT_EQ(back.inputs[8].peq_band[1].q, 40);
    EXPECT_EQ(back.inputs[8].peq_band[1].type, 2);
    EXPECT_EQ(back.outputs[3].geq_on, 1);
    EXPECT_EQ(back.outputs[3].geq_band[14].gain, 200);
    EXPECT_EQ(back.outputs[5].line_mode, 1);
    EXPECT_EQ(back.outputs[6].delay_step, 150);
    EXPECT_EQ(back.outputs[7].fbk, 1);
    EXPECT_EQ(back.inputs[9].automix_threshold, 44);
    EXPECT_EQ(back.inputs[9].priority, 1);
    EXPECT_EQ(back.system.automix_cfg, mine.system.automix_cfg);
    EXPECT_EQ(back.system.automix_hidden, mine.system.automix_hidden);
    EXPECT_EQ(back.inputs[40].source, 3);
    EXPECT_EQ(back.inputs[10].gain_step, 17);
    EXPECT_EQ(back.system.unit_table[5], 3);
    EXPECT_EQ(back.system.unit_table[6], 0);  // sent as FF, stored as 0
    EXPECT_EQ(back.system.unit_table[7], 9);
}

TEST_F(SimulatedProcessorTest, FaderReportsCarryTheReceivedVolumesOrMovedOnesWithinRange) {
    mine.inputs[2].volume = 12;
    mine.outputs[0].volume = 68;
    deliver(sim, encode_fader(mine, 3));
    deliver(sim, encode_fader(mine, 65));
    DeviceState mirror;
    mirror.system.connected = 1;
    ManualClock clock;
    testing::RecordingFrames sink;
    NameCodec codec;
    Publisher<StateChange> changes;
    ReplyDispatcher dispatcher(mirror, changes, clock, sink, codec);
    ASSERT_TRUE(dispatcher.decode_faders(sim.fader_report()));
    EXPECT_EQ(mirror.inputs[2].volume, 12);
    EXPECT_EQ(mirror.outputs[0].volume, 68);
    ASSERT_TRUE(dispatcher.decode_faders(sim.fader_report(5)));
    EXPECT_EQ(mirror.inputs[2].volume, 17);
    EXPECT_EQ(mirror.outputs[0].volume, 70);  // held at the top of the range
    ASSERT_TRUE(dispatcher.decode_faders(sim.fader_report(-20)));
    EXPECT_EQ(mirror.inputs[2].volume, 0);
    EXPECT_EQ(read_back().inputs[2].volume, 12);  // the processor's own state is unchanged
}

TEST_F(SimulatedProcessorTest, LevelReportsStartStopAndMove) {
    EXPECT_FALSE(sim.reports_on());
    sim.on_frame("%Q,01,01,B5E1#");
    EXPECT_TRUE(sim.reports_on());
    DeviceState mirror;
    ManualClock clock;
    testing::RecordingFrames sink;
    NameCodec codec;
    Publisher<StateChange> changes;
    ReplyDispatcher dispatcher(mirror, changes, clock, sink, codec);
    int speaking = 0;
    int active = 0;
    for (int k = 0; k < 200; ++k) {
        ASSERT_TRUE(dispatcher.decode_levels(sim.level_report(k * 0.05)));
        speaking += mirror.inputs[0].level > 30 ? 1 : 0;
        active += mirror.inputs[0].mix_flag;
        EXPECT_GE(mirror.inputs[0].level, 0);
        EXPECT_LE(mirror.inputs[0].level, 70);
    }
    EXPECT_GT(speaking, 10);   // input 1 talks some of the time
    EXPECT_LT(speaking, 200);  // and pauses
    EXPECT_EQ(active, speaking);
    sim.on_frame("%Q,01,00,25E0#");
    EXPECT_FALSE(sim.reports_on());
}

}  // namespace
}  // namespace kestra
