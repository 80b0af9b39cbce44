#include "protocol/reply_dispatcher.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "operator/operator_actions.h"
#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"
#include "protocol/frame_extractor.h"
#include "protocol/reply_encoder.h"
#include "state_change_printer.h"
#include "support/recording_frames.h"
#include "support/recording_notices.h"

namespace kestra {
namespace {

std::string rep(std::string_view unit, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += unit;
    }
    return out;
}

// A reply of `letter` with field 1 "01" and data fields 2..last; missing ones are empty.
std::string reply(char letter, const std::map<int, std::string>& fields, int last) {
    FrameBuilder b(letter);
    b.hex2(1);
    for (int k = 2; k <= last; ++k) {
        const auto it = fields.find(k);
        b.field(it == fields.end() ? std::string_view{} : std::string_view(it->second));
    }
    return b.finish();
}

std::string z_frame(const std::map<int, std::string>& fields) {
    return reply('Z', fields, 25);
}
std::string y_frame(const std::map<int, std::string>& fields) {
    return reply('Y', fields, 6);
}

// 85 level bytes; `bytes` overrides positions.
std::string q_frame(const std::map<std::size_t, int>& bytes) {
    std::string data;
    for (std::size_t k = 0; k < kLevelBytes; ++k) {
        const auto it = bytes.find(k);
        FrameBuilder::append_hex(data, it == bytes.end() ? 0 : it->second, 2);
    }
    return FrameBuilder('Q').hex2(1).field(data).finish();
}

std::string with_checksum(std::string body) {
    FrameBuilder::append_hex(body, frame_crc16(body), 4);
    return body + '#';
}

std::string corrupt_checksum(std::string frame) {
    char& digit = frame[frame.size() - 2];
    digit = digit == '0' ? '1' : '0';
    return frame;
}

class ReplyDispatcherTest : public ::testing::Test {
protected:
    ReplyDispatcherTest() {
        clock.set_wall(WallTime{2024, 5, 3, 17, 10, 20, 30, 400});
        subscription = changes.subscribe([this](const StateChange& c) { events.push_back(c); });
        level_subscription =
            dispatcher.levels().subscribe([this](const LevelReport& r) { events.push_back(r); });
    }

    // Both streams in the order they were published.
    using Event = std::variant<StateChange, LevelReport>;

    DeviceState state;
    ManualClock clock;
    testing::RecordingFrames sink;
    NameCodec codec;
    Publisher<StateChange> changes;
    ReplyDispatcher dispatcher{state, changes, clock, sink, codec};
    std::vector<Event> events;
    Publisher<StateChange>::Subscription subscription;
    Publisher<LevelReport>::Subscription level_subscription;
};

using Scope = StateChange::Scope;
using Block = StateChange::Block;

// What the processor's frames publish: "Z" rewrites everything, "Y" and reports arriving
// again are the connection, "Q" the levels and "P" every strip's volume.
const StateChange kFullState{Scope::Everything, -1, Block::All, ChangeOrigin::FullStateRead};
const StateChange kConnection{Scope::System, -1, Block::Connection, ChangeOrigin::ProcessorReport};
const LevelReport kLevels;
const StateChange kFaders{Scope::Everything, -1, Block::Strip, ChangeOrigin::ProcessorReport};

TEST_F(ReplyDispatcherTest, ValidGFrameChangesNothing) {
    const std::string g = FrameBuilder('G').hex2(1).hex2(3).hex4(1000).finish();
    ASSERT_TRUE(frame_is_valid(g));
    const DeviceState before = state;
    dispatcher.route_frame(g);
    dispatcher.route_frame(FrameBuilder('K').hex2(1).finish());  // unknown letter
    EXPECT_EQ(state, before);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(sink.batches.empty());
    EXPECT_EQ(dispatcher.report_count(), 0u);
}

TEST_F(ReplyDispatcherTest, FullStateVolumesReachEveryChannel) {
    for (auto& ch : state.inputs) {
        ch.volume = 3;
    }
    state.system.connecting = 1;
    dispatcher.route_frame(z_frame({{2, rep("46", kAllChannels)}}));
    for (const auto& ch : state.inputs) {
        EXPECT_EQ(ch.volume, 70);
    }
    for (const auto& ch : state.outputs) {
        EXPECT_EQ(ch.volume, 70);
    }
    EXPECT_EQ(state.system.connecting, 0);
    EXPECT_EQ(state.system.last_report_at, clock.wall_now());
    EXPECT_EQ(events, std::vector<Event>{kFullState});
}

TEST_F(ReplyDispatcherTest, PeqBandsLandInTheirOwnRecords) {
    // type, freq, gain (halved), q for bands 1-4 of input 1; input 2 gets other values.
    const std::string in1 =
        "0100C84B64"
        "0203E85A0A"
        "030FA01E14"
        "0113880032";
    const std::string in2 = "0200640102" + rep("0100C84B64", 3);
    dispatcher.route_frame(z_frame({{13, in1 + in2}}));
    const auto& b = state.inputs[0].peq_band;
    EXPECT_EQ(b[0].freq, 200);
    EXPECT_EQ(b[1].freq, 1000);
    EXPECT_EQ(b[1].type, 1);
    EXPECT_EQ(b[1].gain, 180);
    EXPECT_EQ(b[1].q, 10);
    EXPECT_EQ(b[2].freq, 4000);
    EXPECT_EQ(b[2].type, 2);
    EXPECT_EQ(b[2].gain, 60);
    EXPECT_EQ(b[3].freq, 5000);
    EXPECT_EQ(b[3].q, 50);
    EXPECT_EQ(b[3].gain, 0);
    EXPECT_EQ(b[4].freq, 5000);  // band 5 is not carried and keeps its default
    EXPECT_EQ(state.inputs[1].peq_band[0].freq, 100);
    EXPECT_EQ(state.inputs[1].peq_band[0].gain, 2);
    EXPECT_EQ(state.inputs[1].peq_band[0].q, 2);
    EXPECT_EQ(state.inputs[2].peq_band[1].freq, 500);  // input 3 not reached
}

TEST_F(ReplyDispatcherTest, FullStateIsSanitized) {
    // hpf: mode 01, freq 0005, slope 09; lpf: mode 05, freq 9C40 (40000), slope 01.
    dispatcher.route_frame(z_frame({{9, "059C400100"},
                                    {11, "0100050900"},
                                    {12, "0"},
                                    {13, "00000AFF00" + rep("0203E84B64", 3)},
                                    {18, "9"},
                                    {22, "6401"},
                                    {23, "0102030405FF"}}));
    const InputChannel& ch = state.inputs[0];
    EXPECT_EQ(ch.hpf_freq, 20);
    EXPECT_EQ(ch.hpf_slope, 8);
    EXPECT_EQ(ch.hpf_mode, 2);
    EXPECT_EQ(ch.lpf_freq, 20000);
    EXPECT_EQ(ch.lpf_slope, 2);
    EXPECT_EQ(ch.lpf_mode, 2);
    EXPECT_EQ(ch.peq_on, 1);
    EXPECT_EQ(ch.peq_band[0].type, 0);    // wire 00 would be -1
    EXPECT_EQ(ch.peq_band[0].freq, 20);   // 000A
    EXPECT_EQ(ch.peq_band[0].gain, 300);  // FF x 2 = 510
    EXPECT_EQ(ch.peq_band[0].q, 1);
    EXPECT_EQ(state.inputs[32].source, 4);
    EXPECT_EQ(ch.automix_threshold, 80);
    EXPECT_EQ(ch.priority, 1);
    EXPECT_EQ(state.system.automix_cfg[4], 30);  // 0xFF clamped
}

TEST_F(ReplyDispatcherTest, FullStateFieldsByPosition) {
    std::map<int, std::string> f;
    f[3] = "1" + rep("0", 63) + "1";      // mute of input 1 and output 1
    f[4] = "01";                          // comp_on inputs 1-2
    f[5] = "0A14010203";                  // comp of input 1
    f[6] = "0000001";                     // lim_on output 7
    f[7] = rep("0", 10) + "1E28050607";   // lim of output 2
    f[8] = "001";                         // lpf_on input 3
    f[10] = "1";                          // hpf_on input 1
    f[14] = rep("0", 15) + "1";           // geq_on output 16
    f[15] = "4B" + rep("00", 13) + "96";  // output 1 bands 1 and 15
    f[16] = "0123456789ABCDEF";           // matrix row of input 1
    f[17] = "01";                         // line_mode output 2
    f[19] = "7";                          // discarded
    f[20] = "0310";                       // delay_step outputs 1, 2
    f[21] = "1";                          // fbk output 1
    f[23] = "0A0B01141E19";               // cfg 0,1,5,2,3,4
    f[24] = "01020304";
    f[25] = "KESTRA-V PROCESSOR 1";
    const DeviceState before = state;
    ASSERT_TRUE(dispatcher.decode_full_state(z_frame(f)));
    EXPECT_EQ(state.inputs[0].mute, 1);
    EXPECT_EQ(state.inputs[1].mute, 0);
    EXPECT_EQ(state.outputs[0].mute, 1);
    EXPECT_EQ(state.inputs[0].comp_on, 0);
    EXPECT_EQ(state.inputs[1].comp_on, 1);
    const InputChannel& in = state.inputs[0];
    EXPECT_EQ(in.comp_ratio, 10);
    EXPECT_EQ(in.comp_threshold, 20);
    EXPECT_EQ(in.comp_attack, 1);
    EXPECT_EQ(in.comp_release, 2);
    EXPECT_EQ(in.comp_gain, 3);
    EXPECT_EQ(state.outputs[6].lim_on, 1);
    const OutputChannel& out = state.outputs[1];
    EXPECT_EQ(out.lim_ratio, 30);
    EXPECT_EQ(out.lim_threshold, 40);
    EXPECT_EQ(out.lim_attack, 5);
    EXPECT_EQ(out.lim_release, 6);
    EXPECT_EQ(out.lim_gain, 7);
    EXPECT_EQ(state.outputs[0].lim_ratio, 0);
    EXPECT_EQ(state.inputs[2].lpf_on, 1);
    EXPECT_EQ(state.inputs[0].hpf_on, 1);
    EXPECT_EQ(state.outputs[15].geq_on, 1);
    EXPECT_EQ(state.outputs[0].geq_band[0].gain, 150);
    EXPECT_EQ(state.outputs[0].geq_band[14].gain, 300);
    EXPECT_EQ(state.outputs[0].geq_band[1].gain, 0);
    EXPECT_EQ(state.outputs[0].geq_band[15], before.outputs[0].geq_band[15]);  // not carried
    for (int o = 0; o < kOutputCount; ++o) {
        EXPECT_EQ(in.matrix_row[static_cast<std::size_t>(o)], o);
    }
    EXPECT_EQ(state.outputs[1].line_mode, 1);
    EXPECT_EQ(state.outputs[0].delay_step, 3);
    EXPECT_EQ(state.outputs[1].delay_step, 16);
    EXPECT_EQ(state.outputs[0].fbk, 1);
    EXPECT_EQ(state.system.automix_cfg, (std::array<int32_t, 6>{10, 11, 20, 30, 25, 1}));
    EXPECT_EQ(state.system.automix_hidden, (std::array<int32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(state.system.device_text.str(), "KESTRA-V PROCES");
    // The decoder alone does not touch the connection bookkeeping.
    EXPECT_EQ(state.system.last_report_at, before.system.last_report_at);
    EXPECT_TRUE(events.empty());
}

TEST_F(ReplyDispatcherTest, GroupsBeyondTheListedChannelsAreIgnored) {
    const DeviceState before = state;
    dispatcher.route_frame(z_frame({{2, rep("10", 90)},
                                    {4, rep("1", 40)},
                                    {6, rep("1", 20)},
                                    {18, rep("3", 40)},
                                    {24, "0102030405060708"}}));
    for (std::size_t k = 0; k < kInputCount; ++k) {
        EXPECT_EQ(state.inputs[k].comp_on, k < 32 ? 1 : 0) << k;
        EXPECT_EQ(state.inputs[k].source, k < 32 ? 0 : 3) << k;
        EXPECT_EQ(state.inputs[k].volume, 16);
    }
    for (const auto& out : state.outputs) {
        EXPECT_EQ(out.volume, 16);
        EXPECT_EQ(out.lim_on, 1);
    }
    EXPECT_EQ(state.system.automix_hidden, (std::array<int32_t, 4>{1, 2, 3, 4}));
    // Nothing spills past the last channel into other records.
    EXPECT_EQ(state.system.unit_table, before.system.unit_table);
    EXPECT_EQ(state.groups, before.groups);
}

TEST_F(ReplyDispatcherTest, FewerGroupsUpdateOnlyTheChannelsReached) {
    // Three whole groups and a half one.
    dispatcher.route_frame(z_frame({{2, "0102034"}, {5, "0A0B0C0D0E0F"}}));
    EXPECT_EQ(state.inputs[0].volume, 1);
    EXPECT_EQ(state.inputs[2].volume, 3);
    EXPECT_EQ(state.inputs[3].volume, 70);
    EXPECT_EQ(state.outputs[0].volume, 30);
    EXPECT_EQ(state.inputs[0].comp_gain, 14);
    EXPECT_EQ(state.inputs[1].comp_ratio, 10);  // partial group: default kept
}

TEST_F(ReplyDispatcherTest, FullStateWithoutTrailingFieldsKeepsTheirValues) {
    state.system.device_text.assign("KEEP");
    state.system.automix_hidden = {5, 6, 7, 8};
    dispatcher.route_frame(reply('Z', {{2, "11"}}, 3));
    EXPECT_EQ(state.inputs[0].volume, 17);
    EXPECT_EQ(state.system.device_text.str(), "KEEP");
    EXPECT_EQ(state.system.automix_hidden, (std::array<int32_t, 4>{5, 6, 7, 8}));
    EXPECT_EQ(events, std::vector<Event>{kFullState});
}

TEST_F(ReplyDispatcherTest, ConnectReplyNamesThroughTheCodePage) {
    std::string names = "00430048002000310000000000000000";  // "CH 1"
    names += "4E2D6587000000000000000000000000";             // two CJK characters
    names += rep(rep("0041", 8), 62);                        // "AAAAAAAA" inputs 3-64
    names += "004F0055005400000000000000000000";             // output 1 "OUT"
    ASSERT_TRUE(dispatcher.decode_connect_reply(y_frame({{4, names}})));
    EXPECT_EQ(state.inputs[0].short_name.str(), "CH 1");
    EXPECT_EQ(state.inputs[1].short_name.str(), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(state.inputs[63].short_name.str(), "AAAAAAAA");
    EXPECT_EQ(state.outputs[0].short_name.str(), "OUT");
    EXPECT_EQ(state.outputs[1].short_name.str(), "M 2");  // beyond the field
    EXPECT_EQ(state.inputs[0].name.str(), "CH 1");        // the long name is not carried
    EXPECT_TRUE(events.empty());                          // decoding alone publishes nothing
}

TEST_F(ReplyDispatcherTest, ConnectReplyUnitDataAndGainSteps) {
    state.system.unit_table[4] = 9;
    ASSERT_TRUE(dispatcher.decode_connect_reply(y_frame({{2,
                                                          "01FF0203"
                                                          "0AFF0B0C"},
                                                         {3,
                                                          "FF05FFFF07"
                                                          "0102030405"},
                                                         {5, "03"},
                                                         {6, "0102" + rep("05", 70)}})));
    const auto& t = state.system.unit_table;
    EXPECT_EQ(t[0], 0x0A);
    EXPECT_EQ(t[1], 0);
    EXPECT_EQ(t[2], 0x0B);
    EXPECT_EQ(t[3], 0x0C);
    EXPECT_EQ(t[4], 9);  // not carried
    EXPECT_EQ((std::vector<int>{t[5], t[6], t[7], t[8], t[9]}), (std::vector<int>{0, 5, 0, 0, 7}));
    EXPECT_EQ((std::vector<int>{t[10], t[11], t[14], t[15]}), (std::vector<int>{1, 2, 5, 0}));
    EXPECT_EQ(state.system.unit_extra, 3);
    EXPECT_EQ(state.inputs[0].gain_step, 1);
    EXPECT_EQ(state.inputs[1].gain_step, 2);
    EXPECT_EQ(state.inputs[63].gain_step, 5);
}

TEST_F(ReplyDispatcherTest, ConnectReplyCompletesTheConnection) {
    state.system.connecting = 1;
    dispatcher.route_frame(y_frame({{5, "01"}}));
    EXPECT_EQ(state.system.connected, 1);
    EXPECT_EQ(state.system.connecting, 0);
    EXPECT_TRUE(dispatcher.first_report_shown());
    EXPECT_EQ(state.system.last_report_at, clock.wall_now());
    ASSERT_EQ(sink.batches.size(), 1u);
    ASSERT_EQ(sink.batches[0].size(), 1u);
    EXPECT_EQ(sink.batches[0][0].payload, "%Q,01,01,B5E1#");
    EXPECT_EQ(sink.batches[0][0].gap, std::chrono::milliseconds(10));
    EXPECT_TRUE(sink.batches[0][0].coalesce_key.empty());  // never merged with a later "off"
    EXPECT_EQ(events, std::vector<Event>{kConnection});
}

TEST_F(ReplyDispatcherTest, LevelsByPosition) {
    std::map<std::size_t, int> bytes;
    for (std::size_t k = 0; k < kAllChannels; ++k) {
        bytes[k] = static_cast<int>(k) + 1;
    }
    bytes[83] = 0x05;
    bytes[80] = 0x80;  // input 32
    for (auto& ch : state.inputs) {
        ch.mix_flag = 1;
    }
    ASSERT_TRUE(dispatcher.decode_levels(q_frame(bytes)));
    EXPECT_EQ(state.inputs[0].level, 1);
    EXPECT_EQ(state.inputs[63].level, 64);
    EXPECT_EQ(state.outputs[0].level, 65);
    EXPECT_EQ(state.outputs[15].level, 80);
    const std::vector<int> expected{1, 0, 1, 0, 0, 0, 0, 0};
    for (std::size_t k = 0; k < 8; ++k) {
        EXPECT_EQ(state.inputs[k].mix_flag, expected[k]) << k;
    }
    for (std::size_t k = 8; k < 31; ++k) {
        EXPECT_EQ(state.inputs[k].mix_flag, 0) << k;
    }
    EXPECT_EQ(state.inputs[31].mix_flag, 1);
    EXPECT_EQ(state.inputs[32].mix_flag, 1);  // inputs 33-64 are not carried
}

TEST_F(ReplyDispatcherTest, TalkerNeedsLastHold) {
    state.inputs[4].mix_state = 1;
    state.system.automix_cfg[5] = 1;
    ASSERT_TRUE(dispatcher.decode_levels(q_frame({{84, 3}})));
    for (std::size_t k = 0; k < 32; ++k) {
        EXPECT_EQ(state.inputs[k].mix_state, k == 2 ? 1 : 0) << k;
    }
    state.system.automix_cfg[5] = 0;
    ASSERT_TRUE(dispatcher.decode_levels(q_frame({{84, 3}})));
    EXPECT_EQ(state.inputs[2].mix_state, 0);
    state.system.automix_cfg[5] = 1;
    ASSERT_TRUE(dispatcher.decode_levels(q_frame({{84, 33}})));  // out of range: none
    for (std::size_t k = 0; k < 32; ++k) {
        EXPECT_EQ(state.inputs[k].mix_state, 0) << k;
    }
}

TEST_F(ReplyDispatcherTest, ShortLevelReportIsIgnored) {
    std::string data;
    for (std::size_t k = 0; k + 1 < kLevelBytes; ++k) {
        data += "22";
    }
    const std::string shorter = FrameBuilder('Q').hex2(1).field(data).finish();
    ASSERT_TRUE(frame_is_valid(shorter));
    const DeviceState before = state;
    EXPECT_FALSE(dispatcher.decode_levels(shorter));
    dispatcher.route_frame(shorter);
    EXPECT_EQ(state, before);
    EXPECT_EQ(dispatcher.report_count(), 0u);
    EXPECT_FALSE(dispatcher.first_report_shown());
    EXPECT_TRUE(events.empty());
}

TEST_F(ReplyDispatcherTest, LevelReportsCountAndComeOnline) {
    const std::string q = q_frame({});
    dispatcher.route_frame(q);
    dispatcher.route_frame(q);
    EXPECT_EQ(dispatcher.report_count(), 2u);
    EXPECT_TRUE(dispatcher.first_report_shown());
    EXPECT_EQ(state.system.last_report_at, clock.wall_now());
    EXPECT_EQ(events, (std::vector<Event>{kConnection, kLevels, kLevels}));
    events.clear();
    dispatcher.reset_report_count();
    dispatcher.clear_first_report_shown();
    dispatcher.route_frame(q);
    EXPECT_EQ(dispatcher.report_count(), 1u);
    EXPECT_EQ(events, (std::vector<Event>{kConnection, kLevels}));
}

TEST_F(ReplyDispatcherTest, FadersMoveOnlyWhileConnected) {
    const std::string p = reply('P', {{2, rep("20", kAllChannels)}, {3, "04"}}, 3);
    dispatcher.route_frame(p);
    EXPECT_EQ(state.inputs[10].volume, 32);
    EXPECT_EQ(state.outputs[15].volume, 32);
    EXPECT_EQ(state.system.unit_extra, 4);
    EXPECT_TRUE(events.empty());
    state.system.connected = 1;
    dispatcher.route_frame(p);
    EXPECT_EQ(events, std::vector<Event>{kFaders});
}

// The operator's surface on the same state and stream as the processor's frames.
class SharedStreamTest : public ReplyDispatcherTest {
protected:
    SharedStreamTest() { state.system.connected = 1; }

    StateChange input_strip(int input, ChangeOrigin origin) const {
        return {Scope::Input, input, Block::Strip, origin};
    }

    testing::RecordingNotices notices;
    AlwaysOk questions;
    OperatorActions surface{state, changes, sink, notices, questions, clock};
};

TEST_F(SharedStreamTest, EachChangeSaysWhoWroteIt) {
    dispatcher.route_frame(z_frame({{2, rep("46", kAllChannels)}}));
    surface.readout.show_parameter(3, StripActions::kReadoutVolume);
    surface.readout.apply_typed_value(Readout::Box::Value, "-10");
    surface.strips.set_input_volume(3, 20);
    dispatcher.route_frame(reply('P', {{2, rep("20", kAllChannels)}}, 3));
    state.system.connected = 0;  // the recovery then needs no transfer
    ASSERT_TRUE(surface.recovery.start_recovery());
    EXPECT_EQ(events, (std::vector<Event>{
                          kFullState, input_strip(3, ChangeOrigin::TypedEntry),
                          input_strip(3, ChangeOrigin::Operator), kFaders,
                          StateChange{Scope::Everything, -1, Block::All, ChangeOrigin::Recall}}));
}

TEST_F(SharedStreamTest, AReportMakesTheOperatorsLastValueNewAgainButLevelsDoNot) {
    dispatcher.route_frame(q_frame({}));
    surface.strips.set_input_volume(3, 20);
    dispatcher.route_frame(reply('P', {{2, rep("20", kAllChannels)}}, 3));
    ASSERT_EQ(state.input(3).volume, 32);
    // Back to what the operator published before: the views show the report's value.
    surface.strips.set_input_volume(3, 20);
    dispatcher.route_frame(q_frame({{3, 9}}));
    surface.strips.set_input_volume(3, 20);
    EXPECT_EQ(events,
              (std::vector<Event>{kConnection, kLevels, input_strip(3, ChangeOrigin::Operator),
                                  kFaders, input_strip(3, ChangeOrigin::Operator), kLevels}));
}

TEST_F(ReplyDispatcherTest, RejectedFramesWriteNothing) {
    DeviceState scrambled;
    for (std::size_t k = 0; k < kInputCount; ++k) {
        scrambled.inputs[k].level = 3;
        scrambled.inputs[k].volume = 1;
    }
    scrambled.system.automix_cfg[5] = 1;
    const std::string z = z_frame({{2, rep("05", kAllChannels)}, {11, rep("0100050900", 64)}});
    const std::string y = y_frame({{2, "01020304"}, {4, rep("0041", 8 * 80)}, {6, rep("07", 64)}});
    const std::string q = q_frame({{0, 9}, {83, 0xFF}, {84, 1}});
    const std::string p = reply('P', {{2, rep("11", kAllChannels)}, {3, "02"}}, 3);
    const std::vector<std::string> bad{
        corrupt_checksum(z),   corrupt_checksum(y),       corrupt_checksum(q),
        corrupt_checksum(p),   z.substr(0, z.size() - 1),  // no "#"
        "x" + q.substr(1),                                 // no "%"
        with_checksum("%ZZ,"),                             // no field 1
        with_checksum("%YY,"), with_checksum("%PP,"),
        "%Z,01,0005#",  // checksum cut short
    };
    state = scrambled;
    for (const std::string& frame : bad) {
        dispatcher.route_frame(frame);
        EXPECT_FALSE(dispatcher.decode_full_state(frame)) << frame.substr(0, 20);
        EXPECT_FALSE(dispatcher.decode_connect_reply(frame));
        EXPECT_FALSE(dispatcher.decode_levels(frame));
        EXPECT_FALSE(dispatcher.decode_faders(frame));
    }
    // A valid frame given to the wrong decoder is rejected too.
    EXPECT_FALSE(dispatcher.decode_full_state(y));
    EXPECT_FALSE(dispatcher.decode_levels(p));
    EXPECT_FALSE(dispatcher.decode_faders(q));
    EXPECT_FALSE(dispatcher.decode_connect_reply(z));
    EXPECT_EQ(state, scrambled);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(sink.batches.empty());
    // The good ones do change it, so the comparison above can fail.
    EXPECT_TRUE(dispatcher.decode_full_state(z));
    EXPECT_NE(state, scrambled);
}

TEST(ReplyFieldsTest, SplitsAtCommasAndKeepsTheChecksumOut) {
    ReplyFields f;
    const std::string frame = encode_frame('P', {"01", "AB", "", "CD"});  // views into it
    ASSERT_TRUE(f.split(frame, 'P'));
    EXPECT_EQ(f.count(), 6u);
    EXPECT_EQ(f.data(2), "AB");
    EXPECT_TRUE(f.has(3));
    EXPECT_EQ(f.data(3), "");
    EXPECT_EQ(f.data(4), "CD");
    EXPECT_FALSE(f.has(5));  // the checksum
    EXPECT_EQ(f.data(5), "");
    EXPECT_FALSE(f.split(encode_frame('P', {"01"}), 'Z'));
}

TEST(ReplyFieldsTest, FieldsBeyondTheSixtyFourthAreDropped) {
    std::vector<std::string> many;
    for (int k = 1; k <= 70; ++k) {
        many.push_back(std::to_string(k));
    }
    FrameBuilder b('Z');
    for (const auto& field : many) {
        b.field(field);
    }
    ReplyFields f;
    const std::string frame = b.finish();
    ASSERT_TRUE(f.split(frame, 'Z'));
    EXPECT_EQ(f.count(), ReplyFields::kMaxFields);
    EXPECT_EQ(f.data(63), "63");
    EXPECT_FALSE(f.has(64));
}

// Values inside the ranges the decoder keeps, different per channel, so that a field read
// from the wrong place or into the wrong channel shows.
DeviceState varied_state() {
    DeviceState s;
    int n = 7;
    auto next = [&n](int lo, int hi) {
        n = (n * 37 + 11) % 997;
        return lo + n % (hi - lo + 1);
    };
    for (std::size_t k = 0; k < kInputCount; ++k) {
        InputChannel& ch = s.inputs[k];
        ch.volume = next(0, 70);
        ch.mute = next(0, 1);
        ch.comp_ratio = next(10, 100);
        ch.comp_threshold = next(0, 60);
        ch.comp_attack = next(1, 200);
        ch.comp_release = next(1, 250);
        ch.comp_gain = next(0, 200);
        ch.lpf_freq = next(20, 20000);
        ch.lpf_slope = next(2, 8);
        ch.hpf_freq = next(20, 20000);
        ch.hpf_slope = next(2, 8);
        for (std::size_t b = 0; b < 4; ++b) {
            ch.peq_band[b] = {next(20, 20000), 2 * next(0, 150), next(1, 200), {}, next(0, 2)};
        }
        for (auto& m : ch.matrix_row) {
            m = next(0, 15);
        }
        ch.automix_threshold = next(0, 80);
        ch.priority = next(0, 1);
        ch.gain_step = next(0, 20);
        if (k < kProcessedInputs) {
            ch.comp_on = next(0, 1);
            ch.lpf_on = next(0, 1);
            ch.hpf_on = next(0, 1);
        } else {
            ch.source = next(0, 4);
        }
        ch.short_name.assign("IN" + std::to_string(next(0, 999)));
    }
    for (OutputChannel& ch : s.outputs) {
        ch.volume = next(0, 70);
        ch.mute = next(0, 1);
        ch.lim_on = next(0, 1);
        ch.lim_ratio = next(10, 100);
        ch.lim_threshold = next(0, 60);
        ch.lim_attack = next(1, 200);
        ch.lim_release = next(1, 250);
        ch.lim_gain = next(0, 200);
        ch.geq_on = next(0, 1);
        for (std::size_t b = 0; b < 15; ++b) {
            ch.geq_band[b].gain = 2 * next(0, 150);
        }
        ch.line_mode = next(0, 1);
        ch.delay_step = next(0, 255);
        ch.fbk = next(0, 1);
        ch.short_name.assign("OUT" + std::to_string(next(0, 99)));
    }
    s.system.automix_cfg = {next(0, 5), next(1, 32), next(1, 100), next(0, 60), next(0, 30), 1};
    s.system.automix_hidden = {next(0, 9), next(0, 9), next(0, 9), next(0, 9)};
    s.system.device_text.assign("KESTRA-V 7");
    for (std::size_t b = 0; b < 55; ++b) {
        s.system.unit_table[b] = b == 4 ? 0 : static_cast<uint8_t>(next(0, 80));
    }
    s.system.unit_extra = 6;
    return s;
}

TEST_F(ReplyDispatcherTest, EncodedRepliesDecodeToTheSameState) {
    DeviceState source = varied_state();
    source.sanitize_after_bulk();  // forces peq_on and the filter modes as the decoder does
    ASSERT_TRUE(dispatcher.decode_full_state(encode_full_state(source)));
    ASSERT_TRUE(dispatcher.decode_connect_reply(encode_connect_reply(source, codec)));
    EXPECT_EQ(state.inputs, source.inputs);
    EXPECT_EQ(state.outputs, source.outputs);
    EXPECT_EQ(state.system, source.system);

    for (std::size_t k = 0; k < kInputCount; ++k) {
        source.inputs[k].level = static_cast<int32_t>(k) * 3;
        source.inputs[k].mix_flag = k < kProcessedInputs ? static_cast<int32_t>(k % 3 == 0) : 0;
        source.inputs[k].mix_state = k == 6 ? 1 : 0;
    }
    for (std::size_t k = 0; k < kOutputCount; ++k) {
        source.outputs[k].level = 70 - static_cast<int32_t>(k);
        source.outputs[k].volume = static_cast<int32_t>(k);
    }
    source.system.unit_extra = 2;
    ASSERT_TRUE(dispatcher.decode_levels(encode_levels(source, 7)));
    ASSERT_TRUE(dispatcher.decode_faders(encode_faders(source)));
    EXPECT_EQ(state.inputs, source.inputs);
    EXPECT_EQ(state.outputs, source.outputs);
    EXPECT_EQ(state.system, source.system);
}

TEST_F(ReplyDispatcherTest, FullStateHasTheWireLayout) {
    const std::string z = encode_full_state(state);
    // Digits per field 2..25 for the default state (device text empty).
    const std::vector<std::size_t> widths{160, 80,  32,   640, 16, 160, 32, 640, 32,  640, 32, 2560,
                                          16,  480, 1024, 16,  32, 1,   32, 16,  256, 12,  8,  0};
    ReplyFields f;
    ASSERT_TRUE(f.split(z, 'Z'));
    ASSERT_EQ(f.count(), 27u);
    for (std::size_t k = 0; k < widths.size(); ++k) {
        EXPECT_EQ(f.data(k + 2).size(), widths[k]) << "field " << k + 2;
    }
    EXPECT_EQ(z.substr(0, 10), "%Z,01,4646");  // volumes 70 of inputs 1-2
}

TEST_F(ReplyDispatcherTest, FramesSplitAcrossDatagramsRouteLikeWholeOnes) {
    const DeviceState source = varied_state();
    std::string stream = "noise#" + encode_full_state(source) + encode_levels(source, 0) +
                         encode_connect_reply(source, codec) + encode_faders(source);
    FrameExtractor extractor;
    int frames = 0;
    for (std::size_t pos = 0; pos < stream.size(); pos += 2048) {
        frames += extractor.feed(std::string_view(stream).substr(pos, 2048),
                                 [&](std::string_view f) { dispatcher.route_extracted_frame(f); });
    }
    EXPECT_EQ(frames, 4);

    DeviceState direct;
    ManualClock other_clock;
    other_clock.set_wall(clock.wall_now());
    testing::RecordingFrames other_sink;
    Publisher<StateChange> other_changes;
    ReplyDispatcher reference(direct, other_changes, other_clock, other_sink, codec);
    reference.route_frame(encode_full_state(source));
    reference.route_frame(encode_levels(source, 0));
    reference.route_frame(encode_connect_reply(source, codec));
    reference.route_frame(encode_faders(source));
    EXPECT_EQ(state, direct);
    EXPECT_EQ(state.inputs[5].hpf_freq, source.inputs[5].hpf_freq);
    EXPECT_EQ(events, (std::vector<Event>{kFullState, kConnection, kLevels, kConnection, kFaders}));
    EXPECT_EQ(sink.batches, other_sink.batches);
}

TEST(ReceivePathTest, PendingTextIsScannedInPlaceAcrossManyDatagrams) {
    const std::string probe = "%R,01,04,F0A2#";
    FrameExtractor extractor;
    std::vector<std::string> frames;
    auto feed = [&](std::string_view d) {
        return extractor.feed(d, [&](std::string_view f) { frames.emplace_back(f); });
    };
    EXPECT_EQ(feed("%R,01,0"), 0);
    EXPECT_EQ(feed("4,F0A2#" + probe + "%R,0"), 2);
    EXPECT_EQ(extractor.pending(), "%R,0");
    // A frame that lost its tail inside the pending text is skipped for the one after it.
    EXPECT_EQ(feed("1,%Q" + probe + "#"), 1);
    EXPECT_EQ(extractor.pending(), "#");  // a stray end, dropped in front of the next "%"
    const std::string z = encode_full_state(DeviceState{});
    for (std::size_t pos = 0; pos < z.size(); pos += 100) {
        feed(std::string_view(z).substr(pos, 100));
    }
    EXPECT_EQ(frames, (std::vector<std::string>{probe, probe, probe, z}));
    EXPECT_TRUE(extractor.pending().empty());
}

}  // namespace
}  // namespace kestra
