// Stored settings read back: the range of every field of a scene or state file, the state
// file's forms, the scene and preset rows of a database edited elsewhere, the journal's
// lines, and the frame builder that refuses a value its field cannot hold.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "history/journal_line_codec.h"
#include "model/factory_values.h"
#include "model/state_file_decoder.h"
#include "model/state_image.h"
#include "model/state_json.h"
#include "model/state_ranges.h"
#include "operator/operator_attempt.h"
#include "protocol/command_encoder.h"
#include "protocol/frame_builder.h"
#include "protocol/reply_decoder.h"
#include "protocol/reply_encoder.h"
#include "recall/store_rows.h"
#include "support/recording_notices.h"

namespace kestra {
namespace {

std::string fault_text(const DeviceState& s) {
    const std::optional<RangeFault> f = StateRanges::first_fault(s);
    return f ? f->text() : "";
}

TEST(StateRanges, DefaultsFactoryValuesAndAProcessorsReadsPass) {
    DeviceState defaults;
    EXPECT_EQ(fault_text(defaults), "") << "a field without a range would fail here too";
    DeviceState factory;
    apply_factory_values(factory);
    EXPECT_EQ(fault_text(factory), "");

    // A full-state reply with every block of all 64 inputs zero (inputs 33-64 carry no
    // dynamics on the processor) and the values the pages use at their ends.
    DeviceState sent;
    for (InputChannel& in : sent.inputs) {
        in.comp_ratio = 0;
        in.comp_attack = 0;
        in.comp_release = 0;
        in.volume = 70;
        in.automix_threshold = 80;
    }
    sent.outputs[3].delay_step = 200;
    sent.system.automix_cfg = {0, 32, 100, 60, 30, 1};
    DeviceState read;
    ASSERT_TRUE(decode_full_state(encode_full_state(sent), read));
    EXPECT_EQ(fault_text(read), "");
}

TEST(StateRanges, NamesTheFirstFieldOutsideItsRange) {
    DeviceState s;
    s.inputs[0].volume = 168;  // one flipped bit of 40
    s.outputs[2].lim_gain = 900;
    EXPECT_EQ(fault_text(s), "input 1 volume 168 is outside 0-70");
    s.inputs[0].volume = 40;
    EXPECT_EQ(fault_text(s), "output 3 lim_gain 900 is outside 0-200");
    s.outputs[2].lim_gain = 0;

    s.inputs[4].peq_band[2].freq = 1097127993;
    EXPECT_EQ(fault_text(s), "input 5 peq_band[2].freq 1097127993 is outside 0-20000");
    s.inputs[4].peq_band[2].freq = 1000;
    s.inputs[63].matrix_row[15] = 16;
    EXPECT_EQ(fault_text(s), "input 64 matrix_row[15] 16 is outside 0-15");
    s.inputs[63].matrix_row[15] = 0;
    s.system.automix_cfg[1] = 33;
    EXPECT_EQ(fault_text(s), "system automix_cfg[1] 33 is outside 0-32");
    s.system.automix_cfg[1] = 4;
    s.groups.control[1].link[3] = 2;
    EXPECT_EQ(fault_text(s), "control group 2 link[3] 2 is outside 0-1");
    s.groups.control[1].link[3] = 1;
    s.groups.mute[3].output_member[0] = -1;
    EXPECT_EQ(fault_text(s), "mute group 4 output_member[0] -1 is outside 0-1");
}

TEST(StateRanges, LevelsAndConnectionBookkeepingHaveNoRange) {
    DeviceState s;
    s.inputs[1].level = 255;
    s.inputs[1].mix_flag = 9;
    s.inputs[1].mix_state = -4;
    s.system.connected = 7;
    s.system.last_report_at.year = 65535;
    EXPECT_EQ(fault_text(s), "");
}

TEST(StateRanges, ADamagedSceneFileIsFound) {
    DeviceState s;
    std::vector<uint8_t> scene = StateImage::encode_scene(s);
    scene[4 + 304] ^= 0x80;  // input 1 volume: 70 -> 198
    DeviceState decoded;
    ASSERT_TRUE(StateImage::decode_scene(scene, decoded)) << "the size is right";
    EXPECT_EQ(fault_text(decoded), "input 1 volume 198 is outside 0-70");

    // A blank image, every word zero, is a file the tools have always taken.
    DeviceState blank;
    ASSERT_TRUE(StateImage::decode_scene(std::vector<uint8_t>(StateImage::kSceneSize, 0), blank));
    EXPECT_EQ(fault_text(blank), "");

    // Random bytes of the right size, many times over: never a state that passes.
    std::mt19937 random(2026);
    for (int run = 0; run < 20; ++run) {
        for (uint8_t& b : scene) {
            b = static_cast<uint8_t>(random());
        }
        DeviceState r;
        ASSERT_TRUE(StateImage::decode_scene(scene, r));
        EXPECT_NE(fault_text(r), "") << run;
    }
}

TEST(StateFileDecoder, RefusesAValueOutOfRangeInEveryForm) {
    const NameCodec codec;
    DeviceState state;
    state.inputs[2].volume = 12;
    const DeviceState before = state;
    std::string error;
    const std::string json = R"({"inputs":[{},{"volume":9999}]})";
    EXPECT_FALSE(StateFileDecoder::decode(
        std::span(reinterpret_cast<const uint8_t*>(json.data()), json.size()), codec, state,
        error));
    EXPECT_EQ(error, "input 2 volume 9999 is outside 0-70");
    EXPECT_EQ(state, before);

    DeviceState bad;
    bad.outputs[0].geq_band[30].gain = 301;
    for (const std::vector<uint8_t>& bytes :
         {StateImage::encode(bad), StateImage::encode_scene(bad)}) {
        EXPECT_FALSE(StateFileDecoder::decode(bytes, codec, state, error));
        EXPECT_EQ(error, "output 1 geq_band[30].gain 301 is outside 0-300");
        EXPECT_EQ(state, before);
    }

    const std::string good = R"({"inputs":[{},{"volume":9}]})";
    ASSERT_TRUE(StateFileDecoder::decode(
        std::span(reinterpret_cast<const uint8_t*>(good.data()), good.size()), codec, state, error))
        << error;
    EXPECT_EQ(state.inputs[1].volume, 9);
    EXPECT_EQ(state.inputs[2].volume, 12);

    const std::vector<uint8_t> long_text(StateFileDecoder::kMaxBytes + 1, ' ');
    EXPECT_FALSE(StateFileDecoder::decode(long_text, codec, state, error));
}

TEST(StoreRows, IdsAreWholeNumbersFromOne) {
    EXPECT_EQ(StoreRows::id("7"), 7);
    EXPECT_EQ(StoreRows::id(" 12 "), 12);
    EXPECT_EQ(StoreRows::id("2147483647"), INT_MAX);
    for (const char* bad : {"", "abc", "7x", "0", "-1", "+3", "2147483648", "1.5", "０"}) {
        EXPECT_EQ(StoreRows::id(bad), std::nullopt) << bad;
    }
}

TEST(StoreRows, RowsWithAMissingColumnOrATextIdAreNoRows) {
    EXPECT_EQ(StoreRows::scene({"3", "Hall", "SAVE3.dat"}), (SceneEntry{3, "Hall", "SAVE3.dat"}));
    EXPECT_EQ(StoreRows::scene({"3", "Hall"}), std::nullopt);
    EXPECT_EQ(StoreRows::scene({"abc", "Hall", "SAVE3.dat"}), std::nullopt);
    EXPECT_EQ(StoreRows::preset({"4", "Al's EQ", "0000"}), (PresetItem{4, "Al's EQ"}));
    EXPECT_EQ(StoreRows::preset({"4"}), std::nullopt);
    EXPECT_EQ(StoreRows::preset({}), std::nullopt);
}

TEST(StoreRows, ASceneFileIsFoundByItsNameWhateverPathARowHolds) {
    EXPECT_EQ(StoreRows::scene_file_name("SAVE2.dat"), "SAVE2.dat");
    EXPECT_EQ(StoreRows::scene_file_name("/home/op/.local/share/kestra-v/SAVE2.dat"), "SAVE2.dat");
    EXPECT_EQ(StoreRows::scene_file_name("C:\\Program Files\\Velombrix\\SAVE3.dat"), "SAVE3.dat");
    for (const char* bad : {"", "/", "..", "/tmp/..", "C:\\"}) {
        EXPECT_EQ(StoreRows::scene_file_name(bad), "") << bad;
    }
}

TEST(FrameBuilder, ACheckedCommandRefusesAValueWiderThanItsField) {
    EXPECT_THROW(FrameBuilder::checked('A').hex2(256), std::invalid_argument);
    EXPECT_THROW(FrameBuilder::checked('A').hex2(-1), std::invalid_argument);
    EXPECT_THROW(FrameBuilder::checked('F').hex4(0x10000), std::invalid_argument);
    EXPECT_EQ(FrameBuilder::checked('A').hex2(255).hex4(0xFFFF).body(), "%A,FF,FFFF,");

    DeviceState s;
    s.inputs[0].volume = 0x3CBAC810;  // random bytes of a scene file
    EXPECT_THROW(encode_fader(s, 1), std::invalid_argument);
    s.inputs[0].volume = 70;
    s.inputs[0].matrix_row[3] = 16;
    EXPECT_THROW(encode_matrix_row(s, 1), std::invalid_argument);
    s.outputs[1].geq_band[0].gain = 600;
    EXPECT_THROW(encode_graphic_eq(s, 2), std::invalid_argument);
    EXPECT_EQ(encode_fader(s, 1).size(), 1u);
}

TEST(JournalLineCodec, RoundTripsAndRefusesWhatIsNoLine) {
    const JournalLine line{"2026-12-09 10:00:01",
                           "operator",
                           "CH 01 VOL 10dB \u2192 -20dB",
                           {{"CH 01", "VOL", "10dB", "-20dB"}}};
    const std::optional<JournalLine> back =
        JournalLineCodec::decode(JournalLineCodec::encode(line));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, line.text);
    EXPECT_EQ(back->fields, line.fields);
    for (const char* bad : {"", "[]", "{\"time\":1,\"origin\":\"a\",\"text\":\"b\"}",
                            "{\"time\":\"t\",\"origin\":\"o\"", "\xff\xfe"}) {
        EXPECT_EQ(JournalLineCodec::decode(bad), std::nullopt) << bad;
    }
    const auto partial = JournalLineCodec::decode(
        R"({"time":"t","origin":"o","text":"x","fields":[["a","b","c"],["a","b","c","d"],5]})");
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->fields.size(), 1u);
}

// A switch, a member and an activation keep their form through the file; a field of a line
// written before forms existed (four texts) reads as a plain change.
TEST(JournalLineCodec, KeepsHowAFieldReadsAndStillReadsOlderLines) {
    using Form = SceneDiffEntry::Form;
    JournalLine line{"2026-12-09 10:00:01", "operator", "C GROUP 1: CH 03 added", {}};
    line.fields.push_back({"C GROUP 1", "CH 03", "", "added", "", -1, Form::Member});
    line.fields.push_back({"CH 04", "COMP", "off", "on", "", -1, Form::Switch});
    line.fields.push_back({"C GROUP 2", "active", "on", "off", "", -1, Form::Activation});
    line.fields.push_back({"CH 01", "GAIN", "0dB", "3dB"});
    const std::optional<JournalLine> back =
        JournalLineCodec::decode(JournalLineCodec::encode(line));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->fields, line.fields);
    EXPECT_EQ(back->fields[0].text(), "C GROUP 1: CH 03 added");
    EXPECT_EQ(back->fields[1].text(), "CH 04 COMP on");
    EXPECT_EQ(back->fields[2].text(), "C GROUP 2 switched off");

    const auto older = JournalLineCodec::decode(
        R"({"time":"t","origin":"o","text":"x","fields":[["CH 04","COMP","off","on"],)"
        R"(["CH 05","MUTE","CLOSE","OPEN","later"]]})");
    ASSERT_TRUE(older);
    ASSERT_EQ(older->fields.size(), 2u);
    EXPECT_EQ(older->fields[0].text(), "CH 04 COMP off \u2192 on");
    EXPECT_EQ(older->fields[1].form, Form::Change) << "an unknown form reads as a change";
}

TEST(OperatorAttempt, WhatAnActionThrowsIsToldAndAnswersFalse) {
    testing::RecordingNotices told;
    EXPECT_TRUE(attempt(told, [] { return true; }));
    EXPECT_FALSE(attempt(told, []() -> bool { throw std::invalid_argument("no scene 2"); }));
    EXPECT_FALSE(attempt(told, []() -> std::optional<int> { throw std::out_of_range("row"); }));
    EXPECT_FALSE(attempt(told, [] { return std::optional<int>{}; }));
    EXPECT_EQ(told.texts, (std::vector<std::string>{"no scene 2", "row"}));
}

}  // namespace
}  // namespace kestra
