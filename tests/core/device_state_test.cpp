#include <gtest/gtest.h>

#include "model/device_state.h"
#include "model/factory_values.h"

namespace kestra {
namespace {

TEST(DeviceStateDefaults, ChannelsCarryTheirNamesAndListedDefaults) {
    DeviceState s;
    const InputChannel& in7 = s.inputs[6];
    EXPECT_EQ(in7.name.str(), "CH 7");
    EXPECT_EQ(in7.short_name.str(), "CH 07");
    EXPECT_EQ(in7.index, 6);
    EXPECT_EQ(in7.volume, 70);
    const int freqs[] = {200, 500, 1250, 2000, 5000};
    for (int b = 0; b < 5; ++b) {
        EXPECT_EQ(in7.peq_band[static_cast<std::size_t>(b)].freq, freqs[b]);
        EXPECT_EQ(in7.peq_band[static_cast<std::size_t>(b)].q, 100);
    }
    EXPECT_EQ(in7.hpf_freq, 20);
    EXPECT_EQ(in7.lpf_freq, 20000);
    EXPECT_EQ(in7.reverb_delay, (std::array<int32_t, 4>{30, 30, 30, 30}));
    EXPECT_EQ(s.outputs[8].name.str(), "DANTE 1");
    EXPECT_EQ(s.outputs[8].short_name.str(), "D 1");
    EXPECT_EQ(s.outputs[0].name.str(), "MASTER 1");
    EXPECT_EQ(s.outputs[0].short_name.str(), "M 1");
    EXPECT_EQ(s.outputs[15].name.str(), "DANTE 8");
    EXPECT_EQ(s.outputs[3].volume, 30);
    EXPECT_EQ(s.outputs[3].geq_band[30].freq, 20000);
    EXPECT_EQ(s.outputs[3].geq_band[30].q, 25);
    EXPECT_EQ(s.inputs[63].name.str(), "CH 64");
}

TEST(DeviceStateDefaults, ResetUndoesChangesAndClearsTheUnitTable) {
    DeviceState s;
    s.inputs[3].volume = 1;
    s.system.unit_table[7] = 9;
    s.groups.control[2].input_member[0] = 1;
    s.groups.control[2].input_member[1] = 1;
    s.reset_defaults();
    EXPECT_EQ(s.inputs[3].volume, 70);
    EXPECT_EQ(s.system.unit_table[7], 0);
    EXPECT_EQ(s.groups.control[2].input_member[0], 0);
    EXPECT_EQ(s.groups.control[2].input_member[1], 1);  // only the leading word is cleared
}

TEST(SanitizeAfterBulk, ClampsAndForcesTheBulkFields) {
    DeviceState s;
    InputChannel& in = s.inputs[0];
    in.hpf_freq = 5;
    in.hpf_slope = 9;
    in.lpf_slope = 1;
    in.peq_on = 0;
    in.hpf_mode = 0;
    in.automix_threshold = 99;
    in.source = 7;
    in.peq_band[1].gain = 400;
    in.peq_band[1].type = 3;
    in.peq_band[4].gain = 400;  // band 5 is not carried by the bulk reply
    s.outputs[2].geq_band[14].gain = -5;
    s.outputs[2].geq_band[15].gain = -5;
    s.system.automix_cfg[4] = 31;
    s.sanitize_after_bulk();
    EXPECT_EQ(in.hpf_freq, 20);
    EXPECT_EQ(in.hpf_slope, 8);
    EXPECT_EQ(in.lpf_slope, 2);
    EXPECT_EQ(in.peq_on, 1);
    EXPECT_EQ(in.hpf_mode, 2);
    EXPECT_EQ(in.automix_threshold, 80);
    EXPECT_EQ(in.source, 4);
    EXPECT_EQ(in.peq_band[1].gain, 300);
    EXPECT_EQ(in.peq_band[1].type, 2);
    EXPECT_EQ(in.peq_band[4].gain, 400);
    EXPECT_EQ(s.outputs[2].geq_band[14].gain, 0);
    EXPECT_EQ(s.outputs[2].geq_band[15].gain, -5);
    EXPECT_EQ(s.system.automix_cfg[4], 30);
}

TEST(FactoryValues, SetTheRecoveryValuesAndKeepTheRest) {
    DeviceState s;
    s.inputs[40].phase = 123;  // not a factory field
    s.outputs[2].geq_band[5].freq = 77;
    s.groups.control[0].member_count = 3;
    apply_factory_values(s);
    EXPECT_EQ(s.inputs[0].volume, 60);
    EXPECT_EQ(s.inputs[40].volume, 0);
    EXPECT_EQ(s.inputs[40].phase, 123);
    EXPECT_EQ(s.inputs[0].peq_band[2].freq, 1000);
    EXPECT_EQ(s.inputs[0].peq_band[4].freq, 5000);  // band 5 keeps its frequency
    EXPECT_EQ(s.inputs[0].peq_band[4].q, 20);
    EXPECT_EQ(s.inputs[0].short_name.str(), "CH 1");
    EXPECT_EQ(s.inputs[63].short_name.str(), "CH 64");
    EXPECT_EQ(s.inputs[5].automix_threshold, 35);
    EXPECT_EQ(s.inputs[5].phantom, 1);
    EXPECT_EQ(s.inputs[5].matrix_row,
              (std::array<int32_t, 16>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(s.outputs[2].geq_band[5].freq, 77);
    EXPECT_EQ(s.outputs[2].geq_band[5].gain, 150);
    EXPECT_EQ(s.outputs[2].phase, 100);
    EXPECT_EQ(s.outputs[2].line_mode, 1);
    EXPECT_EQ(s.outputs[12].short_name.str(), "D 5");
    EXPECT_EQ(s.system.automix_cfg, (std::array<int32_t, 6>{0, 1, 1, 0, 27, 1}));
    EXPECT_EQ(s.system.automix_sync, 1);
    EXPECT_EQ(s.groups.control[0].member_count, 0);
}

}  // namespace
}  // namespace kestra
