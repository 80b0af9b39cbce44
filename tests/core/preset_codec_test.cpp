#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "model/device_state.h"
#include "model/preset_codec.h"

namespace kestra {
namespace {

class PresetCodecTest : public ::testing::Test {
protected:
    PresetCodecTest() { state.reset_defaults(); }
    DeviceState state;
};

TEST(PresetCodecStartUp, EveryStartUpInputStoresTheFlatPeqText) {
    const DeviceState start_up{};
    for (int in = 0; in < kProcessedInputs; ++in) {
        EXPECT_EQ(PresetCodec::encode(PresetTable::Peq, start_up, in),
                  "000064009600C8000064009601F4000064009604E2000064009607D0,000200020014,"
                  "000200024E20")
            << "input " << in + 1;
    }
}

TEST_F(PresetCodecTest, EachLayoutKeepsItsFieldsInOrderAndWidth) {
    InputChannel& in = state.inputs[5];
    in.comp_on = 1, in.comp_threshold = 0x2A, in.comp_ratio = 0x3B, in.comp_attack = 0x4C;
    in.comp_release = 0x5D, in.comp_gain = 0xC8;
    EXPECT_EQ(PresetCodec::encode(PresetTable::Compressor, state, 5), "012A3B4C5DC8");

    in.gate_on = 1, in.gate_threshold = 2, in.gate_attack = 3, in.gate_release = 4;
    in.gate_hold = 99;  // not kept
    EXPECT_EQ(PresetCodec::encode(PresetTable::Noise, state, 5), "01020304");

    in.echo_pre_delay1 = 0x1234, in.echo_pre_delay2 = 0xABC, in.echo_feedback = 7;
    in.echo_lpf = 0x4E20;
    EXPECT_EQ(PresetCodec::encode(PresetTable::Delay, state, 5), "12340ABC074E20");

    in.reverb_delay = {1, 2, 3, 0xFF};
    in.reverb_time = 0x10, in.reverb_lpf = 0x100;
    EXPECT_EQ(PresetCodec::encode(PresetTable::Rev, state, 5), "010203FF100100");

    OutputChannel& out = state.outputs[15];
    out.lim_on = 1, out.lim_threshold = 0x1E, out.lim_ratio = 0x0A, out.lim_attack = 0x64;
    out.lim_release = 0x65, out.lim_gain = 0;
    EXPECT_EQ(PresetCodec::encode(PresetTable::Limit, state, 15), "011E0A646500");

    for (int b = 0; b < 31; ++b) {
        out.geq_band[b].gain = b < 15 ? b * 20 : 999;  // bands from 16 on are not kept
    }
    EXPECT_EQ(PresetCodec::encode(PresetTable::Geq, state, 15),
              "000000140028003C005000640078008C00A000B400C800DC00F001040118");
}

TEST_F(PresetCodecTest, EveryTableRoundTripsIntoAnotherChannel) {
    for (int b = 0; b < 5; ++b) {
        state.inputs[1].peq_band[b] = PeqBand{1000 + b, 10 * b, 7 + b, {3, 4}, b % 3};
    }
    state.inputs[1].hpf_on = 1, state.inputs[1].lpf_slope = 8;
    state.inputs[1].comp_ratio = 77, state.inputs[1].gate_release = 9;
    state.inputs[1].echo_lpf = 321, state.inputs[1].reverb_time = 5;
    state.outputs[1].geq_band[14].gain = 300, state.outputs[1].lim_gain = 200;
    for (PresetTable t : kPresetTables) {
        const auto text = PresetCodec::encode(t, state, 1);
        ASSERT_TRUE(text) << preset_table_info(t).table;
        EXPECT_EQ(text->size(), preset_table_info(t).length);
        ASSERT_EQ(PresetCodec::decode(t, *text, state, 3), PresetDecodeResult::Done);
        EXPECT_EQ(PresetCodec::encode(t, state, 3), text) << preset_table_info(t).table;
    }
    // The fifth band and the band words a preset does not hold stay the target's own.
    EXPECT_EQ(state.inputs[3].peq_band[4].freq, DeviceState().inputs[3].peq_band[4].freq);
    EXPECT_EQ(state.inputs[3].peq_band[0].reserved, (std::array<int32_t, 2>{}));
    EXPECT_EQ(state.inputs[3].peq_band[2].freq, 1002);
    EXPECT_EQ(state.inputs[3].peq_band[2].type, 2);
    EXPECT_EQ(state.outputs[3].geq_band[14].gain, 300);
}

TEST_F(PresetCodecTest, DamagedTextIsRefusedAndChangesNothing) {
    const std::string good = *PresetCodec::encode(PresetTable::Peq, state, 0);
    const std::string bad[] = {
        good.substr(0, 81),                          // short
        good + "0",                                  // long
        good.substr(0, 56) + ";" + good.substr(57),  // separator replaced
        "G" + good.substr(1),                        // not a hexadecimal digit
        good.substr(0, 70) + " " + good.substr(71),  // blank inside a field
        "",
    };
    state.inputs[4].peq_band[0].freq = 4321;
    const DeviceState before = state;
    for (const std::string& text : bad) {
        EXPECT_EQ(PresetCodec::decode(PresetTable::Peq, text, state, 4),
                  PresetDecodeResult::Damaged)
            << text;
    }
    EXPECT_EQ(PresetCodec::decode(PresetTable::Compressor, "01020304050G", state, 4),
              PresetDecodeResult::Damaged);
    EXPECT_EQ(PresetCodec::decode(PresetTable::Limit, "0102030405", state, 4),
              PresetDecodeResult::Damaged);
    EXPECT_EQ(state, before);
    // Lower-case digits are still hexadecimal.
    EXPECT_EQ(PresetCodec::decode(PresetTable::Compressor, "010b0c0d1e0f", state, 4),
              PresetDecodeResult::Done);
    EXPECT_EQ(state.inputs[4].comp_threshold, 11);
}

TEST_F(PresetCodecTest, AValueOutsideItsRangeRefusesTheWholeRow) {
    const std::string peq = *PresetCodec::encode(PresetTable::Peq, state, 0);
    const auto with = [](std::string text, std::size_t at, const char* digits) {
        return text.replace(at, std::char_traits<char>::length(digits), digits);
    };
    const std::pair<PresetTable, std::string> bad[] = {
        {PresetTable::Compressor, "0000FF011400"},          // ratio 25.5
        {PresetTable::Compressor, "000009011400"},          // ratio 0.9
        {PresetTable::Compressor, "00000A0114C9"},          // gain 20.1 dB
        {PresetTable::Compressor, "00000A010A00"},          // release 10 ms
        {PresetTable::Compressor, "02000A011400"},          // switch 2
        {PresetTable::Limit, "003D0A010100"},               // threshold 61
        {PresetTable::Limit, "00000A000100"},               // attack 0
        {PresetTable::Noise, "02000000"},                   // switch 2
        {PresetTable::Peq, with(peq, 0, "03")},             // band type 3
        {PresetTable::Peq, with(peq, 2, "0000")},           // q 0
        {PresetTable::Peq, with(peq, 20, "012D")},          // gain 301
        {PresetTable::Peq, with(peq, 52, "4E21")},          // freq 20001
        {PresetTable::Peq, with(peq, 61, "0009")},          // hpf slope 9
        {PresetTable::Peq, with(peq, 78, "0013")},          // lpf 19 Hz
        {PresetTable::Geq, std::string(56, '0') + "012D"},  // band 15 gain 301
    };
    const DeviceState before = state;
    for (const auto& [table, text] : bad) {
        const int channel = preset_table_info(table).output ? 2 : 4;
        EXPECT_EQ(PresetCodec::decode(table, text, state, channel), PresetDecodeResult::OutOfRange)
            << preset_table_info(table).table << " " << text;
    }
    EXPECT_EQ(state, before);
    // The edges themselves are values.
    EXPECT_EQ(PresetCodec::decode(PresetTable::Compressor, "013C64FAFAC8", state, 4),
              PresetDecodeResult::Done);
    EXPECT_EQ(state.inputs[4].comp_ratio, 100);
    EXPECT_EQ(PresetCodec::decode(PresetTable::Delay, "FFFFFFFFFFFFFF", state, 4),
              PresetDecodeResult::Done);
}

TEST_F(PresetCodecTest, AValueWiderThanItsFieldIsNotEncoded) {
    state.inputs[0].comp_gain = 256;
    EXPECT_FALSE(PresetCodec::encode(PresetTable::Compressor, state, 0));
    state.inputs[0].comp_gain = -1;
    EXPECT_FALSE(PresetCodec::encode(PresetTable::Compressor, state, 0));
    state.inputs[0].comp_gain = 255;
    EXPECT_TRUE(PresetCodec::encode(PresetTable::Compressor, state, 0));
    state.inputs[0].peq_band[1].freq = 0x10000;
    EXPECT_FALSE(PresetCodec::encode(PresetTable::Peq, state, 0));
    // Channels outside the table's kind and range.
    EXPECT_FALSE(PresetCodec::encode(PresetTable::Limit, state, 16));
    EXPECT_FALSE(PresetCodec::encode(PresetTable::Peq, state, 32));
    EXPECT_TRUE(PresetCodec::encode(PresetTable::Noise, state, 63));
}

TEST(PresetTables, NamesAndColumnsAreTheStoredOnes) {
    EXPECT_EQ(preset_table_named("DELAY"), PresetTable::Delay);
    EXPECT_STREQ(preset_table_info(PresetTable::Delay).data_column, "DELAYDTA");
    EXPECT_STREQ(preset_table_info(PresetTable::Compressor).data_column, "CompressorDATA");
    EXPECT_FALSE(preset_table_named("peq"));
}

// The recall publishes a block only when the codec's write changed it.
TEST(PresetCodec, DecodeTellsWhetherTheChannelHeldAnythingElse) {
    DeviceState state;
    state.outputs[1].lim_gain = 120;
    const auto text = PresetCodec::encode(PresetTable::Limit, state, 1);
    ASSERT_TRUE(text);
    bool changed = false;
    ASSERT_EQ(PresetCodec::decode(PresetTable::Limit, *text, state, 4, &changed),
              PresetDecodeResult::Done);
    EXPECT_TRUE(changed);
    ASSERT_EQ(PresetCodec::decode(PresetTable::Limit, *text, state, 4, &changed),
              PresetDecodeResult::Done);
    EXPECT_FALSE(changed);
    EXPECT_EQ(state.outputs[4].lim_gain, 120);
}

}  // namespace
}  // namespace kestra
