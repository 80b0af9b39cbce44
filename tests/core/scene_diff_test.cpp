#include <gtest/gtest.h>

#include <ostream>

#include "history/scene_diff.h"

namespace kestra {

void PrintTo(const SceneDiffEntry& e, std::ostream* os) {
    *os << e.channel << " | " << e.parameter << " | " << e.before << " | " << e.after << " | "
        << static_cast<int>(e.form);
}

namespace {

using Entries = std::vector<SceneDiffEntry>;
using Form = SceneDiffEntry::Form;

SceneDiffEntry switched(std::string channel, std::string parameter, std::string before,
                        std::string after) {
    return {std::move(channel), std::move(parameter), std::move(before), std::move(after), "", -1,
            Form::Switch};
}

SceneDiffEntry member(std::string group, std::string channel, std::string what) {
    return {std::move(group), std::move(channel), "", std::move(what), "", -1, Form::Member};
}

class SceneDiffTest : public ::testing::Test {
protected:
    SceneDiffTest() {
        before.reset_defaults();
        after = before;
    }
    SceneDiff diff() const { return SceneDiff::between(before, after, codec); }

    NameCodec codec;
    DeviceState before;
    DeviceState after;
};

TEST_F(SceneDiffTest, FieldsWithAReadoutKindUseItsNameAndTexts) {
    after.input(2).volume = 50;
    after.input(2).peq_band[1].gain = 160;
    after.input(2).peq_band[1].freq = 1000;
    after.output(1).mute = 1;
    after.output(1).lim_ratio = 25;
    EXPECT_EQ(diff().entries(),
              (Entries{
                  {"CH 03", "BAND2 FRE", std::to_string(before.inputs[2].peq_band[1].freq) + "Hz",
                   "1000Hz"},
                  {"CH 03", "BAND2 GAIN", "0.0dB", "1.0dB"},
                  {"CH 03", "VOL", "10dB", "-10dB"},
                  switched("M 2", "MUTE", "CLOSE", "OPEN"),
                  {"M 2", "LIMIT RATIO", "1:1.0", "1:2.5"},
              }));
}

TEST_F(SceneDiffTest, OtherFieldsUseTheirStatePathsAndPlainValues) {
    before.input(0).short_name.assign("MIC");  // channels go by their names before
    before.output(15).short_name.assign("");   // no name: the read-out's own label
    after.input(0).matrix_row[5] = 1;
    after.input(0).peq_band[4].gain = 140;  // the fifth band has no read-out kind
    after.input(0).name.assign("LECTERN");
    after.output(15).geq_band[20].gain = 151;
    after.output(15).delay_step = 7;
    EXPECT_EQ(diff().entries(), (Entries{
                                    {"MIC", "BAND5 GAIN", "0.0dB", "-1.0dB"},
                                    switched("MIC", "ROUTE 6", "off", "on"),
                                    {"MIC", "NAME", "\"MIC\"", "\"CH 01\""},
                                    {"MIC", "name", "\"CH 1\"", "\"LECTERN\""},
                                    {"D 8", "geq_band[20].gain", "150", "151"},
                                    {"D 8", "DELAY", "0.0ms", "3.5ms"},
                                    {"D 8", "NAME", "\"\"", "\"D 8\""},
                                }));
}

TEST_F(SceneDiffTest, SystemAndGroupTablesComeLastUnderTheirOwnLabels) {
    after.groups.control[1].input_member[3] = 1;
    after.groups.control[1].member_count = 1;
    after.groups.mute[0].output_member[2] = 1;
    after.groups.control[1].name.assign("PANEL");
    after.system.unit_table[9] = 4;
    after.system.automix_cfg[4] = 12;
    after.input(63).mute = 1;
    EXPECT_EQ(
        diff().entries(),
        (Entries{
            switched("CH 64", "MUTE", "CLOSE", "OPEN"),
            {"SYSTEM", "NOM ATTEN", std::to_string(before.system.automix_cfg[4] - 30) + "dB",
             "-18dB"},
            {"UNIT 2", "SLOT 5", "NULL", "CH04"},
            member("M GROUP 1", "M 3", "added"),
            member("C GROUP 2", "CH 04", "added"),
            {"C GROUP 2", "NAME", "\"" + before.groups.control[1].name.str() + "\"", "\"PANEL\""},
        }));
    EXPECT_EQ(diff().summary(), (SceneDiffSummary{6, 3}));
}

// Groups read by what happened to them; the member count the flags tell is left out.
TEST_F(SceneDiffTest, GroupMembersAndActivationsReadAsSentences) {
    before.groups.control_active[0] = 1;
    before.input(2).short_name.assign("PODIUM");
    after.input(2).short_name.assign("PODIUM");
    after.groups.control[0].input_member[2] = 1;
    after.groups.control[0].member_count = 1;
    after.groups.active_mute_group = 3;
    std::vector<std::string> texts;
    std::vector<std::string> lines;
    const SceneDiff found = diff();
    for (const SceneDiffEntry& e : found.entries()) {
        texts.push_back(e.text());
        lines.push_back(e.tab_line());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"C GROUP 1: PODIUM added", "C GROUP 1 switched off",
                                               "M GROUP 3 switched on"}));
    EXPECT_EQ(lines.front(), "C GROUP 1\tPODIUM\tadded");
    EXPECT_EQ(diff().summary(), (SceneDiffSummary{3, 1}));
}

TEST_F(SceneDiffTest, LiveDataAndConnectionBookkeepingAreIgnored) {
    after.input(0).level = 90;
    after.input(1).mix_flag = 1;
    after.input(2).mix_state = 3;
    after.output(3).level = 40;
    after.system.connected = 1;
    after.system.connecting = 1;
    after.system.last_report_at = WallTime{2026, 1, 2, 3, 4, 5, 6, 7};
    after.system.automix_hidden[0] = 5;  // the whole-state write never sends it
    after.input(0).peq_band[0].reserved[1] = 9;
    after.unnamed[0] = 0x55;
    EXPECT_TRUE(diff().empty()) << diff().entries().front().parameter;
}

TEST_F(SceneDiffTest, SummaryCountsValuesAndTheChannelsHoldingThem) {
    EXPECT_TRUE(diff().empty());
    EXPECT_EQ(diff().summary(), (SceneDiffSummary{0, 0}));
    EXPECT_EQ(diff().summary_text(), "no differences");
    after.input(0).volume = 1;
    EXPECT_EQ(diff().summary_text(), "1 value on 1 channel differs");
    after.input(0).solo = 1;
    EXPECT_EQ(diff().summary_text(), "2 values on 1 channel differ");
    after.input(40).phantom = 1;
    after.output(7).fbk = 1;
    after.groups.active_mute_group = 2;
    EXPECT_EQ(diff().summary(), (SceneDiffSummary{5, 4}));
    EXPECT_EQ(diff().summary_text(), "5 values on 4 channels differ");
}

}  // namespace
}  // namespace kestra
