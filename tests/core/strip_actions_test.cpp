#include <gtest/gtest.h>

#include "mix_fixture.h"
#include "text/channel_name_rule.h"

namespace kestra {
namespace {

using testing::framed_fields;

class StripActionsTest : public testing::MixFixture {};

TEST_F(StripActionsTest, OfflineFaderStoresPublishesAndReportsButSendsNothing) {
    surface.strips.set_input_volume(2, 12);
    EXPECT_EQ(state.input(2).volume, 12);
    EXPECT_TRUE(sink.sent.empty());
    EXPECT_EQ(changes, (std::vector<StateChange>{{Scope::Input, 2, Block::Strip}}));
    EXPECT_EQ(reports, (std::vector<ReadoutRequest>{{2, StripActions::kReadoutVolume}}));
}

TEST_F(StripActionsTest, FaderExtremesAndOutputWireNumbers) {
    go_online();
    surface.strips.set_input_volume(2, 12);
    surface.strips.set_input_volume(2, 70);
    surface.strips.set_input_volume(2, 0);
    surface.strips.set_output_volume(0, 30);
    surface.strips.set_output_mute(15, 1);
    EXPECT_EQ(payloads(), (std::vector<std::string>{
                              "%A,01,03,00,0C,E477#", framed_fields("A,01,03,00,46"),
                              framed_fields("A,01,03,00,00"), framed_fields("A,01,41,00,1E"),
                              framed_fields("A,01,50,01,1E")}));
    EXPECT_EQ(sink.sent[0].gap, Datagram::kFrameGap);
    EXPECT_EQ(reports.back(), (ReadoutRequest{95, StripActions::kReadoutMute}));
}

TEST_F(StripActionsTest, OutOfRangeValuesChangeNothing) {
    go_online();
    EXPECT_THROW(surface.strips.set_input_volume(2, 71), std::invalid_argument);
    EXPECT_THROW(surface.strips.set_input_volume(64, 10), std::invalid_argument);
    EXPECT_THROW(surface.strips.set_input_gain_step(0, 41), std::invalid_argument);
    EXPECT_THROW(surface.strips.set_output_delay_step(0, 201), std::invalid_argument);
    EXPECT_THROW(surface.strips.set_output_mute(0, 2), std::invalid_argument);
    EXPECT_THROW(surface.strips.set_input_priority(32, 1), std::invalid_argument);
    EXPECT_THROW(surface.strips.set_output_fbk(8, 1), std::invalid_argument);
    EXPECT_EQ(state.input(2).volume, 70);
    EXPECT_EQ(state.output(8).fbk, 0);
    EXPECT_TRUE(sink.sent.empty());
    EXPECT_TRUE(changes.empty());
}

TEST_F(StripActionsTest, VolumeLinkCopiesVolumeAndGainToMembersInStoredOrder) {
    make_active_group(1, {7, 2, 0}, false, {kLinkVol});
    go_online();
    forget();
    surface.strips.set_input_volume(2, 50);
    surface.strips.set_input_gain_step(2, 5);
    EXPECT_EQ(payloads(), (std::vector<std::string>{
                              framed_fields("A,01,03,00,32"), framed_fields("A,01,01,00,32"),
                              framed_fields("A,01,08,00,32"), framed_fields("U,01,03,05"),
                              framed_fields("U,01,01,05"), framed_fields("U,01,08,05")}));
    EXPECT_EQ(state.input(0).volume, 50);
    EXPECT_EQ(state.input(7).gain_step, 5);
    EXPECT_EQ(state.input(1).volume, 70);  // not a member
    // Every member's strip and bank overview refresh; the read-out shows the touched channel.
    EXPECT_EQ(changes.size(), 6u);
    EXPECT_EQ(changes[1], (StateChange{Scope::Input, 0, Block::Strip}));
    EXPECT_EQ(reports, (std::vector<ReadoutRequest>{{2, StripActions::kReadoutVolume}}));
}

TEST_F(StripActionsTest, AValueAlreadyShownIsSentAndReportedButNotPublished) {
    go_online();
    surface.strips.set_input_volume(2, 12);
    forget();
    surface.strips.set_input_volume(2, 12);
    EXPECT_EQ(payloads(), std::vector<std::string>{framed_fields("A,01,03,00,0C")});
    EXPECT_EQ(reports, (std::vector<ReadoutRequest>{{2, StripActions::kReadoutVolume}}));
    EXPECT_TRUE(changes.empty());
    surface.strips.set_input_mute(2, 1);  // another field of the block
    EXPECT_EQ(changes, (std::vector<StateChange>{{Scope::Input, 2, Block::Strip}}));
}

TEST_F(StripActionsTest, GroupCopiesKeepTheOperatorsOriginAndPublishOnlyNews) {
    make_active_group(1, {7, 2, 0}, false, {kLinkVol});
    go_online();
    forget();
    surface.strips.set_input_volume(2, 50);
    ASSERT_EQ(changes.size(), 3u);
    for (const StateChange& c : changes) {
        EXPECT_EQ(c.origin, ChangeOrigin::Operator);
    }
    forget();
    surface.strips.set_input_volume(7, 50);  // every member holds it already
    EXPECT_EQ(sink.sent.size(), 3u);
    EXPECT_TRUE(changes.empty());
}

// The processor's whole state leaves no block "unseen": a fader moved onto what a channel
// already holds is news only for the channels whose value it changed.
TEST_F(StripActionsTest, AfterTheWholeStateIsReadOnlyTheChannelsAMoveChangedArePublished) {
    make_active_group(1, {7, 2, 0}, false, {kLinkVol});
    go_online();
    state.input(0).volume = 50;  // as the processor's state has them
    state.input(2).volume = 50;
    stream.publish(
        {Scope::Everything, StateChange::kEvery, Block::All, ChangeOrigin::FullStateRead});
    forget();
    surface.strips.set_input_volume(2, 50);
    EXPECT_TRUE(surface.strips.set_input_source(34, 0));  // CH35 has no source already
    EXPECT_EQ(sink.sent.size(), 4u) << "sent all the same";
    EXPECT_EQ(changes, (std::vector<StateChange>{{Scope::Input, 7, Block::Strip}}));
}

TEST_F(StripActionsTest, MuteAndUnlinkedParametersStayOnTheirChannel) {
    make_active_group(0, {4, 5}, false, {kLinkVol});
    go_online();
    forget();
    surface.strips.set_input_mute(4, 1);
    surface.strips.set_input_priority(4, 1);
    EXPECT_EQ(payloads(), (std::vector<std::string>{framed_fields("A,01,05,01,46"),
                                                    framed_fields("L,01,05,00,01")}));
    EXPECT_EQ(state.input(5).mute, 0);
    EXPECT_EQ(state.input(5).priority, 0);
}

TEST_F(StripActionsTest, PriorityIsSentOnlyForLocalMembers) {
    // A scene may hold a group mixing CH31 and CH34; the page itself never builds one.
    ControlGroup mixed;
    mixed.input_member[30] = mixed.input_member[33] = 1;
    mixed.link[kLinkPriority] = 1;
    surface.context().active_groups().activate(2, mixed);
    go_online();
    surface.strips.set_input_priority(30, 1);
    EXPECT_EQ(payloads(), (std::vector<std::string>{framed_fields("L,01,1F,00,01")}));
    EXPECT_EQ(state.input(33).priority, 1);
}

TEST_F(StripActionsTest, OutputLinksCarryLineDelayAndFbkButFbkGoesOutForMasterOnly) {
    make_active_group(0, {0, 9}, true, {kLinkLine, kLinkFbk, kLinkDelay});
    go_online();
    forget();
    surface.strips.set_output_line_mode(0, 1);
    surface.strips.set_output_delay_step(9, 200);
    surface.strips.set_output_fbk(0, 1);
    surface.strips.set_output_volume(0, 40);  // VOL not linked
    EXPECT_EQ(payloads(), (std::vector<std::string>{
                              framed_fields("I,01,01,01"), framed_fields("I,01,0A,01"),
                              framed_fields("J,01,0A,01,C8"), framed_fields("J,01,01,01,C8"),
                              framed_fields("K,01,01,01"), framed_fields("A,01,41,00,28")}));
    EXPECT_EQ(state.output(9).fbk, 1);
    EXPECT_EQ(state.output(9).volume, 30);
}

TEST_F(StripActionsTest, AuxSourceFeedsOneChannelDanteAny) {
    go_online();
    EXPECT_TRUE(surface.strips.set_input_source(34, 2));   // CH35 AUX2
    EXPECT_FALSE(surface.strips.set_input_source(39, 2));  // CH40 AUX2
    EXPECT_EQ(notices.texts, (std::vector<std::string>{"已经设了输入源 (CH 35)"}));
    EXPECT_EQ(notices.captions, (std::vector<std::string>{"Warming"}));
    EXPECT_EQ(state.input(39).source, 0);
    // A renamed holder is named as its strip shows it.
    state.input(34).short_name.assign(codec.from_utf8("讲台"));
    EXPECT_FALSE(surface.strips.set_input_source(63, 2));
    EXPECT_EQ(notices.texts.back(), "已经设了输入源 (CH 35 讲台)");
    EXPECT_EQ(state.input(63).source, 0);
    EXPECT_TRUE(surface.strips.set_input_source(34, 2));  // its own source again
    EXPECT_TRUE(surface.strips.set_input_source(39, 0));
    EXPECT_TRUE(surface.strips.set_input_source(40, 0));
    EXPECT_EQ(payloads(),
              (std::vector<std::string>{framed_fields("O,01,03,02"), framed_fields("O,01,03,02"),
                                        framed_fields("O,01,08,00"), framed_fields("O,01,09,00")}));
    EXPECT_THROW(surface.strips.set_input_source(4, 1), std::invalid_argument);
    EXPECT_THROW(surface.strips.set_input_source(40, 5), std::invalid_argument);
}

TEST_F(StripActionsTest, RenameFillsTheFieldAndSendsTheName) {
    go_online();
    ASSERT_TRUE(surface.strips.rename_input(2, "ABCDEFGH"));
    std::array<unsigned char, 16> expected{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
    EXPECT_EQ(state.input(2).short_name.bytes(), expected);
    ASSERT_FALSE(sink.sent.empty());
    EXPECT_EQ(sink.sent.front().payload.rfind("%V,01,03,00410042004300440045004600470048,", 0), 0u);
    EXPECT_EQ(changes.back(), (StateChange{Scope::Input, 2, Block::Name}));

    forget();
    ASSERT_TRUE(surface.strips.rename_output(9, "讲台"));
    EXPECT_EQ(codec.to_utf8(state.output(9).short_name.str()), "讲台");
    EXPECT_EQ(sink.sent.front().payload.rfind("%V,01,4A,8BB253F0000000000000000000000000,", 0), 0u);

    forget();
    ASSERT_TRUE(surface.strips.rename_output(9, ""));
    EXPECT_EQ(state.output(9).short_name, FixedText());
}

TEST_F(StripActionsTest, RefusedNamesLeaveTheFieldAndSendNothing) {
    go_online();
    const FixedText before = state.input(0).short_name;
    for (const char* bad : {"ABCDEFGHI", "主席台麦克风一二", "A😀"}) {
        EXPECT_FALSE(surface.strips.rename_input(0, bad)) << bad;
    }
    EXPECT_EQ(notices.texts,
              (std::vector<std::string>{kChannelNameTooLong, StripActions::kNameTooWide,
                                        StripActions::kNameNotEncodable}));
    EXPECT_EQ(state.input(0).short_name, before);
    EXPECT_TRUE(sink.sent.empty());
    EXPECT_TRUE(changes.empty());
}

TEST_F(StripActionsTest, TheNameLimitIsToldInCharactersAndHoldsAsTold) {
    go_online();
    EXPECT_TRUE(surface.strips.rename_input(0, "主席台麦克风一A"));  // 8 characters, 7 Chinese
    EXPECT_TRUE(surface.strips.rename_input(1, "ABCDEFGH"));
    EXPECT_FALSE(surface.strips.rename_input(2, "主席台麦克风一二"));
    EXPECT_EQ(notices.texts,
              (std::vector<std::string>{"The name is too long: a channel name holds at most 8 "
                                        "characters, and at most 7 of them Chinese."}));
}

TEST_F(StripActionsTest, ScriptedSetGoesThroughTheStripAndRefusesUnknownFields) {
    go_online();
    surface.commit_field(FieldTarget::Input, 2, *FieldPath::parse("volume"), 12);
    surface.commit_field(FieldTarget::Output, 3, *FieldPath::parse("line_mode"), 1);
    surface.commit_field(FieldTarget::Input, 34, *FieldPath::parse("source"), 1);
    // A refused source is the operator's notice, not a failed line.
    surface.commit_field(FieldTarget::Input, 35, *FieldPath::parse("source"), 1);
    EXPECT_EQ(payloads(),
              (std::vector<std::string>{"%A,01,03,00,0C,E477#", framed_fields("I,01,04,01"),
                                        framed_fields("O,01,03,01")}));
    EXPECT_EQ(notices.texts.size(), 1u);
    EXPECT_THROW(surface.commit_field(FieldTarget::Input, 2, *FieldPath::parse("fbk"), 1),
                 std::invalid_argument);
    EXPECT_THROW(surface.commit_field(FieldTarget::Output, 2, *FieldPath::parse("priority"), 1),
                 std::invalid_argument);
    EXPECT_THROW(surface.commit_field(FieldTarget::Input, 2, *FieldPath::parse("volume"), -1),
                 std::invalid_argument);
    EXPECT_EQ(state.input(2).volume, 12);
}

// The refusal a scripted set meets, or "" where it went through.
std::string refusal(OperatorActions& surface, FieldTarget target, int index, const char* field,
                    int value) {
    try {
        surface.commit_field(target, index, *FieldPath::parse(field), value);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "";
}

TEST_F(StripActionsTest, ScriptedSetOnAChannelWithoutTheParameterIsRefusedInTheStripsWords) {
    go_online();
    const DeviceState before = state;
    EXPECT_EQ(refusal(surface, FieldTarget::Input, 2, "source", 1),
              "source is selectable on CH33-CH64 only");
    EXPECT_EQ(refusal(surface, FieldTarget::Input, 40, "priority", 1),
              "priority exists on CH1-CH32 only");
    EXPECT_EQ(refusal(surface, FieldTarget::Output, 10, "fbk", 1),
              "FBK exists on MASTER outputs only");
    EXPECT_EQ(refusal(surface, FieldTarget::Input, 64, "volume", 1), "input 64 is outside 0..63");
    EXPECT_EQ(refusal(surface, FieldTarget::Input, 34, "source", 5), "source 5 is outside 0..4");
    EXPECT_EQ(refusal(surface, FieldTarget::Output, 3, "delay_step", 201),
              "delay_step 201 is outside 0..200");
    EXPECT_EQ(refusal(surface, FieldTarget::Input, 3, "short_name", 1),
              "unknown field 'short_name'");
    EXPECT_EQ(state, before);
    EXPECT_TRUE(sink.sent.empty());
}

TEST_F(StripActionsTest, ScriptedSetReachesEveryStripFieldOnTheLastChannels) {
    surface.commit_field(FieldTarget::Input, 31, *FieldPath::parse("priority"), 1);
    surface.commit_field(FieldTarget::Input, 63, *FieldPath::parse("gain_step"), 40);
    surface.commit_field(FieldTarget::Output, 7, *FieldPath::parse("fbk"), 1);
    surface.commit_field(FieldTarget::Output, 15, *FieldPath::parse("delay_step"), 200);
    surface.commit_field(FieldTarget::Output, 15, *FieldPath::parse("mute"), 1);
    EXPECT_EQ(state.input(31).priority, 1);
    EXPECT_EQ(state.input(63).gain_step, 40);
    EXPECT_EQ(state.output(7).fbk, 1);
    EXPECT_EQ(state.output(15).delay_step, 200);
    EXPECT_EQ(state.output(15).mute, 1);
}

}  // namespace
}  // namespace kestra
