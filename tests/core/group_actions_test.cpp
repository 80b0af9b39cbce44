#include <gtest/gtest.h>

#include <algorithm>

#include "mix_fixture.h"

namespace kestra {
namespace {

using testing::framed_fields;
using Membership = GroupActions::Membership;

class GroupActionsTest : public testing::MixFixture {
protected:
    GroupActions& page = surface.groups;
};

TEST_F(GroupActionsTest, ShowSelectsControlOneAndASecondShowDeselectsIt) {
    page.set_mode(GroupActions::Mode::Mute);
    page.show();
    EXPECT_EQ(page.mode(), GroupActions::Mode::Control);
    EXPECT_EQ(page.selected_control_group(), 0);
    EXPECT_TRUE(page.shown_links().empty());  // no members yet
    page.show();
    EXPECT_EQ(page.selected_control_group(), -1);
    EXPECT_EQ(page.toggle_control_input(0), Membership::Refused);
}

TEST_F(GroupActionsTest, MembershipRefusalsAreSilentAndChangeNothing) {
    page.click_control_group(0);
    ASSERT_EQ(page.toggle_control_input(2), Membership::Changed);  // CH3
    const GroupTables before = state.groups;
    EXPECT_EQ(page.toggle_control_input(39), Membership::Refused);  // CH40: network input
    EXPECT_EQ(page.toggle_control_output(4), Membership::Refused);  // OUT 5
    page.click_control_group(1);
    EXPECT_EQ(page.toggle_control_input(2), Membership::Refused);  // held by group 1
    ASSERT_EQ(page.toggle_control_output(4), Membership::Changed);
    EXPECT_EQ(page.toggle_control_input(5), Membership::Refused);  // group has an output
    state.groups.control[1].output_member[4] = 0;
    state.groups.control[1].member_count = 0;
    EXPECT_EQ(state.groups, before);
    EXPECT_TRUE(notices.texts.empty());
}

TEST_F(GroupActionsTest, AMixedGroupFromASceneCanBeLeftButNotJoined) {
    ControlGroup& g = state.groups.control[0];
    g.input_member[2] = g.input_member[39] = g.output_member[0] = 1;
    g.member_count = 7;  // wrong in the file
    page.click_control_group(0);
    EXPECT_EQ(page.shown_links().size(), 9u);  // every kind's buttons, each once
    EXPECT_EQ(page.toggle_control_input(3), Membership::Refused);
    EXPECT_EQ(page.toggle_control_input(39), Membership::Changed);
    EXPECT_EQ(page.toggle_control_output(0), Membership::Changed);
    EXPECT_EQ(g.member_count, 1);
    EXPECT_EQ(page.toggle_control_input(3), Membership::Changed);
}

TEST_F(GroupActionsTest, NinthMemberIsRefusedWithTheMessageAndRemovalStillWorks) {
    page.click_control_group(2);
    for (int i = 32; i < 40; ++i) {
        ASSERT_EQ(page.toggle_control_input(i), Membership::Changed);
    }
    EXPECT_EQ(page.toggle_control_input(40), Membership::TooMany);
    EXPECT_EQ(notices.texts, (std::vector<std::string>{"同步通道不能超过8路"}));
    EXPECT_EQ(state.groups.control[2].input_member[40], 0);
    EXPECT_EQ(state.groups.control[2].member_count, 8);
    EXPECT_EQ(page.toggle_control_input(35), Membership::Changed);
    EXPECT_EQ(state.groups.control[2].member_count, 7);
    EXPECT_EQ(page.toggle_control_input(40), Membership::Changed);

    page.click_control_group(3);
    for (int o = 0; o < 8; ++o) {
        ASSERT_EQ(page.toggle_control_output(o), Membership::Changed);
    }
    EXPECT_EQ(page.toggle_control_output(8), Membership::TooMany);
}

TEST_F(GroupActionsTest, LinkButtonsFollowTheMemberKind) {
    page.click_control_group(0);
    page.toggle_control_input(2);
    EXPECT_EQ(page.shown_links(),
              (std::vector<GroupLink>{kLinkEq, kLinkComp, kLinkVol, kLinkMatrix, kLinkPriority}));
    EXPECT_FALSE(page.toggle_link(kLinkLimit));
    EXPECT_TRUE(page.toggle_link(kLinkMatrix));
    EXPECT_TRUE(page.link_lit(kLinkMatrix));

    page.click_control_group(1);
    page.toggle_control_input(40);
    EXPECT_EQ(page.shown_links(), (std::vector<GroupLink>{kLinkVol, kLinkMatrix}));

    page.click_control_group(2);
    page.toggle_control_output(12);
    EXPECT_EQ(page.shown_links(), (std::vector<GroupLink>{kLinkEq, kLinkLimit, kLinkVol, kLinkLine,
                                                          kLinkFbk, kLinkDelay}));
    EXPECT_TRUE(page.output_lit(12));
    EXPECT_FALSE(page.input_lit(2));

    // Reselecting shows the stored links lit, also after a mode switch hid them; a click on
    // the selected group deselects it and hides every link button.
    page.click_control_group(0);
    page.set_mode(GroupActions::Mode::Control);
    EXPECT_FALSE(page.link_lit(kLinkMatrix));
    page.select_control_group(0);
    EXPECT_EQ(page.selected_control_group(), 0);
    EXPECT_TRUE(page.link_lit(kLinkMatrix));
    EXPECT_FALSE(page.link_lit(kLinkVol));
    page.click_control_group(0);
    EXPECT_TRUE(page.shown_links().empty());
    EXPECT_FALSE(page.toggle_link(kLinkVol));
}

TEST_F(GroupActionsTest, ChangingAnActiveGroupsMembershipDeactivatesIt) {
    make_active_group(0, {1, 3}, false, {kLinkVol});
    EXPECT_TRUE(page.control_active(0));
    EXPECT_EQ(surface.context().active_groups().input_frame(3), (Rgb{173, 67, 67}));
    ASSERT_EQ(page.toggle_control_input(1), Membership::Changed);  // removed
    EXPECT_FALSE(page.control_active(0));
    EXPECT_EQ(state.groups.control_active[0], 0);
    for (int i : {1, 3}) {
        EXPECT_EQ(surface.context().active_groups().input_frame(i), ActiveGroups::kInputFrame);
        EXPECT_FALSE(surface.context().active_groups().input(i).enabled);
    }
}

TEST_F(GroupActionsTest, LinkChangesReachTheStripsOnlyAtTheNextActivation) {
    make_active_group(0, {1, 3}, false, {kLinkVol});
    ASSERT_TRUE(page.toggle_link(kLinkVol));  // off on the page
    go_online();
    forget();
    surface.strips.set_input_volume(1, 20);
    EXPECT_EQ(payloads().size(), 2u);  // still copied to CH4
    page.set_control_active(0, false);
    page.set_control_active(0, true);
    forget();
    surface.strips.set_input_volume(1, 21);
    EXPECT_EQ(payloads(), (std::vector<std::string>{framed_fields("A,01,02,00,15")}));
}

TEST_F(GroupActionsTest, MuteGroupActivationSendsEachMemberThirtyMillisecondsApart) {
    page.set_mode(GroupActions::Mode::Mute);
    page.click_mute_group(1);
    ASSERT_TRUE(page.toggle_mute_output(1));
    ASSERT_TRUE(page.toggle_mute_input(9));
    ASSERT_TRUE(page.toggle_mute_input(0));
    go_online();
    page.set_mute_active(1, true);
    EXPECT_EQ(payloads(), (std::vector<std::string>{framed_fields("A,01,01,01,46"),
                                                    framed_fields("A,01,0A,01,46"),
                                                    framed_fields("A,01,42,01,1E")}));
    for (const Datagram& d : sink.sent) {
        EXPECT_EQ(d.gap, std::chrono::milliseconds(30));
    }
    EXPECT_EQ(page.active_mute_group(), 2);
    EXPECT_EQ(state.output(1).mute, 1);

    sink.clear();
    page.set_mute_active(1, false);
    EXPECT_EQ(payloads().front(), framed_fields("A,01,01,00,46"));
    EXPECT_EQ(state.input(9).mute, 0);
    EXPECT_EQ(page.active_mute_group(), 0);
}

// Every member gets its "A", but only the strips whose mute the group changed are news.
TEST_F(GroupActionsTest, MuteGroupActivationPublishesOnlyTheStripsItMuted) {
    page.set_mode(GroupActions::Mode::Mute);
    page.click_mute_group(1);
    ASSERT_TRUE(page.toggle_mute_input(9));
    ASSERT_TRUE(page.toggle_mute_input(0));
    state.input(9).mute = 1;  // as the processor's state has it
    stream.publish(
        {Scope::Everything, StateChange::kEvery, Block::All, ChangeOrigin::FullStateRead});
    go_online();
    forget();
    page.set_mute_active(1, true);
    EXPECT_EQ(sink.sent.size(), 2u);
    EXPECT_EQ(changes, (std::vector<StateChange>{{Scope::Input, 0, Block::Strip},
                                                 {Scope::Groups, 1, Block::Activation}}));
}

TEST_F(GroupActionsTest, MuteMembershipHasNoRestrictionsAndOfflineActivationSendsNothing) {
    make_active_group(0, {4}, false, {});
    page.set_mode(GroupActions::Mode::Mute);
    for (int g : {0, 3}) {
        page.click_mute_group(g);
        ASSERT_TRUE(page.toggle_mute_input(4));
        EXPECT_TRUE(page.input_lit(4));
    }
    page.set_mute_active(3, true);
    EXPECT_EQ(state.input(4).mute, 1);
    EXPECT_TRUE(sink.sent.empty());
    // Releasing a group that is not the held one keeps the held number.
    page.set_mute_active(0, false);
    EXPECT_EQ(page.active_mute_group(), 4);
}

TEST_F(GroupActionsTest, MuteButtonsAreOneSetOverTheOneActiveGroup) {
    page.set_mode(GroupActions::Mode::Mute);
    page.click_mute_group(0);
    ASSERT_TRUE(page.toggle_mute_input(1));  // CH2
    ASSERT_TRUE(page.toggle_mute_input(2));  // CH3, in both groups
    page.click_mute_group(1);
    ASSERT_TRUE(page.toggle_mute_input(2));
    ASSERT_TRUE(page.toggle_mute_input(3));  // CH4
    go_online();
    page.press_mute_button(0);
    EXPECT_EQ(page.active_mute_group(), 1);
    forget();

    // Switching releases CH2 only: CH3 stays muted, with no frame that would open it.
    page.press_mute_button(1);
    EXPECT_EQ(payloads(), (std::vector<std::string>{framed_fields("A,01,02,00,46"),
                                                    framed_fields("A,01,03,01,46"),
                                                    framed_fields("A,01,04,01,46")}));
    EXPECT_EQ(page.active_mute_group(), 2);
    EXPECT_EQ(state.input(1).mute, 0);
    EXPECT_EQ(state.input(2).mute, 1);
    EXPECT_EQ(state.input(3).mute, 1);
    EXPECT_NE(
        std::find(changes.begin(), changes.end(), StateChange{Scope::Groups, 0, Block::Activation}),
        changes.end());

    // The active group's own button releases it.
    forget();
    page.press_mute_button(1);
    EXPECT_EQ(page.active_mute_group(), 0);
    EXPECT_EQ(state.input(2).mute, 0);
    EXPECT_EQ(state.input(3).mute, 0);
    EXPECT_EQ(payloads().size(), 2u);
}

TEST_F(GroupActionsTest, GroupNameIsStoredInTheCodePageUpToFifteenBytes) {
    EXPECT_TRUE(page.rename_control_group(1, "Podium"));
    EXPECT_EQ(state.groups.control[1].name.str(), "Podium");
    EXPECT_EQ(changes.back(), (StateChange{Scope::Groups, 1, Block::Name}));
    page.click_control_group(1);
    EXPECT_EQ(page.name_box(), "Podium");

    // Seven double-byte characters and one single byte fill the field; one byte more does not.
    const std::string seven = "主席台左右前后";
    ASSERT_TRUE(page.rename_control_group(1, seven + "A"));
    EXPECT_EQ(state.groups.control[1].name.str().size(), 15u);
    EXPECT_EQ(page.group_name(1), seven + "A");
    EXPECT_FALSE(page.rename_control_group(1, seven + "AB"));
    EXPECT_FALSE(page.rename_control_group(1, "ABCDEFGHIJKLMNOP"));
    EXPECT_FALSE(page.rename_control_group(1, "Mic \xF0\x9F\x8E\xA4"));  // no CP936 character
    EXPECT_EQ(notices.texts,
              (std::vector<std::string>{GroupActions::kNameTooWide, GroupActions::kNameTooWide,
                                        GroupActions::kNameNotEncodable}));
    EXPECT_EQ(page.group_name(1), seven + "A");
    EXPECT_TRUE(sink.sent.empty());
    // The refusal says the limit in characters, and fifteen letters do fit.
    EXPECT_EQ(std::string(GroupActions::kNameTooWide),
              "The group name is too long: it holds at most 15 letters, or 7 Chinese characters; "
              "a Chinese character takes the room of two letters.");
    EXPECT_TRUE(page.rename_control_group(1, "ABCDEFGHIJKLMNO"));

    EXPECT_TRUE(page.rename_control_group(1, ""));
    EXPECT_EQ(state.groups.control[1].name.str(), "");
    EXPECT_EQ(state.groups.control[0].name.str(), "");
}

TEST_F(GroupActionsTest, AReplacedStateStartsThePageOverOrRereadsTheSelectedGroup) {
    EXPECT_TRUE(
        GroupActions::replaces_groups({StateChange::Scope::Everything, StateChange::kEvery,
                                       StateChange::Block::All, ChangeOrigin::FullStateRead}));
    EXPECT_FALSE(GroupActions::replaces_groups(  // a fader report
        {StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::Strip,
         ChangeOrigin::ProcessorReport}));

    page.show();
    page.toggle_control_input(2);
    // The processor's records: group 1 holds outputs instead.
    state.groups.control[0] = ControlGroup{};
    state.groups.control[0].output_member[3] = 1;
    state.groups.control[0].member_count = 1;
    page.reread();
    EXPECT_EQ(page.selected_control_group(), 0);
    EXPECT_EQ(page.shown_links(), (std::vector<GroupLink>{kLinkEq, kLinkLimit, kLinkVol, kLinkLine,
                                                          kLinkFbk, kLinkDelay}));
    EXPECT_FALSE(page.input_lit(2));

    // Away from the page: the next page switch selects CONTROL 1 instead of deselecting it.
    page.set_mode(GroupActions::Mode::Mute);
    page.start_over();
    EXPECT_EQ(page.mode(), GroupActions::Mode::Control);
    EXPECT_EQ(page.selected_control_group(), -1);
    EXPECT_TRUE(page.shown_links().empty());
    page.show();
    EXPECT_EQ(page.selected_control_group(), 0);
    EXPECT_TRUE(page.output_lit(3));
}

}  // namespace
}  // namespace kestra
