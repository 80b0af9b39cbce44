#include "history/change_journal.h"

#include <gtest/gtest.h>

#include <map>

#include "action_fixture.h"
#include "model/state_image.h"
#include "recall/scene_actions.h"
#include "scene_shelf.h"

namespace kestra {
namespace {

using namespace kestra::testing;
using Scope = StateChange::Scope;
using Block = StateChange::Block;

class ChangeJournalTest : public ActionFixture {
protected:
    // The processor's fader report: the dispatcher stores, then publishes.
    void processor_reports_volume(int input, int volume) {
        state.input(input).volume = volume;
        stream.publish(
            {Scope::Everything, StateChange::kEvery, Block::Strip, ChangeOrigin::ProcessorReport});
    }

    ChangeJournal journal{surface.context()};
};

TEST_F(ChangeJournalTest, AGroupCopyIsOneEntryAndItsUndoSendsEveryMembersBeforeValue) {
    group_inputs({2, 4, 6}, kLinkVol);
    surface.strips.set_input_volume(2, 40);
    journal.settle();
    ASSERT_EQ(journal.undo_depth(), 1u);
    EXPECT_EQ(journal.undo_text(), "VOL 10dB \u2192 -20dB on 3 channels");
    sink.clear();

    const auto undone = journal.undo();
    ASSERT_TRUE(undone);
    EXPECT_TRUE(undone->kept.empty());
    for (int m : {2, 4, 6}) {
        EXPECT_EQ(state.input(m).volume, 70) << m;
    }
    // The whole-state write's fader commands for the three inputs, in its order and pause.
    EXPECT_EQ(sink.frames, framed_all({"%A,01,03,00,46,", "%A,01,05,00,46,", "%A,01,07,00,46,"}));
    EXPECT_EQ(sink.gaps, gaps_of({30, 30, 30}));
    EXPECT_EQ(changes.back(), (StateChange{Scope::Everything, StateChange::kEvery, Block::All,
                                           ChangeOrigin::Undo}));

    sink.clear();
    ASSERT_TRUE(journal.redo());
    EXPECT_EQ(changes.back(), (StateChange{Scope::Everything, StateChange::kEvery, Block::All,
                                           ChangeOrigin::Undo}));
    EXPECT_EQ(state.input(6).volume, 40);
    EXPECT_EQ(sink.frames.size(), 3u);
    EXPECT_EQ(journal.lines().back().text, "Redone: " + journal.undo_text());
    EXPECT_EQ(journal.lines().back().origin, "redo");
}

TEST_F(ChangeJournalTest, AReportAfterTheEntryIsKeptAndRecordedButNeverUndone) {
    surface.strips.set_input_volume(3, 40);
    surface.strips.set_input_mute(3, 1);
    journal.settle();
    processor_reports_volume(3, 55);
    journal.settle();
    EXPECT_EQ(journal.undo_depth(), 1u) << "a report is no undo entry";
    sink.clear();

    const auto undone = journal.undo();
    ASSERT_TRUE(undone);
    EXPECT_EQ(undone->kept, (std::vector<std::string>{"CH 04 VOL"}));
    EXPECT_EQ(notices.texts.back(),
              "The processor changed these values after the entry; they were kept:\nCH 04 VOL");
    EXPECT_EQ(state.input(3).volume, 55);
    EXPECT_EQ(state.input(3).mute, 0);
    EXPECT_EQ(sink.frames, framed_all({"%A,01,04,00,37,"}));

    std::vector<std::string> origins;
    for (const JournalLine& l : journal.lines()) {
        origins.push_back(l.origin);
    }
    EXPECT_EQ(origins, (std::vector<std::string>{"operator", "processor", "undo"}));
    EXPECT_EQ(journal.lines()[1].text, "CH 04 VOL -20dB \u2192 -5dB");
}

TEST_F(ChangeJournalTest, ADragIsOneEntryAtItsSettleAndANewStepClearsRedo) {
    for (int v = 69; v >= 50; --v) {
        surface.strips.set_input_volume(0, v);  // every move sends; the owner settles once
    }
    journal.settle();
    surface.strips.set_input_volume(1, 20);
    journal.settle();
    ASSERT_EQ(journal.undo_depth(), 2u);
    EXPECT_EQ(journal.undo_text(), "CH 02 VOL 10dB \u2192 -40dB");
    journal.undo();
    journal.undo();
    EXPECT_EQ(state.input(0).volume, 70);
    EXPECT_EQ(journal.redo_depth(), 2u);
    surface.strips.set_input_volume(5, 20);
    journal.settle();
    EXPECT_EQ(journal.redo_depth(), 0u);
    EXPECT_FALSE(journal.redo());
    EXPECT_EQ(journal.stored_fields(), 1u);
}

TEST_F(ChangeJournalTest, LabelledStepsAndTheSyncedThresholdNameWhatHappened) {
    surface.limiter.set(1, DynamicsField::Ratio, 25, SliderCommit::Released);
    journal.settle();
    surface.limiter.reset(1);
    journal.settle();
    EXPECT_EQ(journal.undo_text(), "M 2 LIMIT reset");
    surface.automix.toggle_sync();
    journal.settle();
    surface.automix.choose_threshold(0, 5);
    journal.settle();
    const std::string text = journal.undo_text();
    EXPECT_NE(text.find("on 32 channels"), std::string::npos) << text;
    // A step that changed nothing makes no entry and leaves no label for the next.
    const std::size_t depth = journal.undo_depth();
    surface.limiter.reset(1);
    journal.settle();
    surface.strips.set_input_volume(0, 10);
    journal.settle();
    EXPECT_EQ(journal.undo_depth(), depth + 1);
    EXPECT_EQ(journal.undo_text().find("reset"), std::string::npos);
}

// The lines speak the catalogue's words: the parameter's label and display texts, a switch by
// where it went, a member by the group it joined, and the same change on many channels once,
// without one channel's name.
TEST_F(ChangeJournalTest, LinesReadInTheOperatorsWords) {
    surface.strips.set_input_gain_step(0, 3);
    journal.settle();
    EXPECT_EQ(journal.undo_text(), "CH 01 GAIN 0dB \u2192 3dB");
    surface.compressor.toggle_on(3);
    journal.settle();
    EXPECT_EQ(journal.undo_text(), "CH 04 COMP on");
    surface.groups.click_control_group(0);
    ASSERT_EQ(surface.groups.toggle_control_input(2), GroupActions::Membership::Changed);
    journal.settle();
    EXPECT_EQ(journal.undo_text(), "C GROUP 1: CH 03 added") << "the member count goes unsaid";
    ASSERT_EQ(journal.lines().back().fields.size(), 1u);
    surface.automix.toggle_sync();
    journal.settle();
    surface.automix.choose_threshold(0, 40);
    journal.settle();
    EXPECT_EQ(journal.undo_text(), "AUTOMIX THRESHOLD -80dB \u2192 -40dB on 32 channels");
    ASSERT_TRUE(journal.undo());
    EXPECT_EQ(journal.lines().back().text,
              "Undone: AUTOMIX THRESHOLD -80dB \u2192 -40dB on 32 channels");
}

// A group switched on or off is a line of the journal but no undo entry; a mute group leads
// the line of the mutes it switched with it, and undo takes back the mutes alone.
TEST_F(ChangeJournalTest, AGroupSwitchedIsJournaledButNeverUndone) {
    GroupActions& groups = surface.groups;
    groups.click_control_group(0);
    ASSERT_EQ(groups.toggle_control_input(2), GroupActions::Membership::Changed);
    groups.set_mode(GroupActions::Mode::Mute);
    groups.click_mute_group(1);
    ASSERT_TRUE(groups.toggle_mute_input(4));
    ASSERT_TRUE(groups.toggle_mute_input(5));
    journal.settle();
    const std::size_t depth = journal.undo_depth();

    groups.set_control_active(0, true);
    journal.settle();
    EXPECT_EQ(journal.lines().back().text, "C GROUP 1 switched on");
    groups.set_control_active(0, false);
    journal.settle();
    EXPECT_EQ(journal.lines().back().text, "C GROUP 1 switched off");
    EXPECT_EQ(journal.undo_depth(), depth);

    groups.set_mute_active(1, true);
    journal.settle();
    EXPECT_EQ(journal.lines().back().text, "M GROUP 2 switched on, MUTE OPEN on 2 channels");
    EXPECT_EQ(journal.undo_text(), "MUTE OPEN on 2 channels");
    ASSERT_TRUE(journal.undo());
    EXPECT_EQ(state.input(4).mute, 0);
    EXPECT_EQ(state.groups.active_mute_group, 2) << "the group stays switched on";
}

TEST_F(ChangeJournalTest, AnUndoneBypassLeavesTheBlockNotBypassed) {
    surface.peq.set_band_gain(2, 1, 200, SliderCommit::Released);
    journal.settle();
    surface.peq.toggle_bypass(2);
    journal.settle();
    EXPECT_EQ(journal.undo_text(), "CH 03 PEQ BYPASS on");
    ASSERT_TRUE(journal.undo());
    EXPECT_EQ(state.input(2).peq_band[1].gain, 200);
    EXPECT_FALSE(surface.peq.bypassed(2));
    ASSERT_TRUE(journal.redo());
    EXPECT_EQ(state.input(2).peq_band[1].gain, 150);
    // Flat again, but the saved block went with the undo: BYPASS now saves the flat block,
    // and the bands come back through undo.
    EXPECT_FALSE(surface.peq.bypassed(2));
}

TEST_F(ChangeJournalTest, DepthAndMemoryStayBounded) {
    for (std::size_t i = 0; i < ChangeJournal::kDepth + 25; ++i) {
        surface.strips.set_input_volume(0, 10 + static_cast<int>(i % 50));
        journal.settle();
    }
    EXPECT_EQ(journal.undo_depth(), ChangeJournal::kDepth);
    EXPECT_EQ(journal.stored_fields(), ChangeJournal::kDepth);
    EXPECT_LE(journal.lines().size(), ChangeJournal::kMaxLines);
}

TEST_F(ChangeJournalTest, OfflineUndoStoresWithoutSendingAndNothingLeftIsNothing) {
    state.system.connected = 0;
    EXPECT_FALSE(journal.undo());
    surface.strips.set_output_volume(3, 10);
    journal.settle();
    ASSERT_TRUE(journal.undo());
    EXPECT_EQ(state.output(3).volume, 30);
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_FALSE(journal.undo());
}

TEST_F(ChangeJournalTest, AnOfflineSceneRecallIsOneEntryAndItsUndoBringsTheRoomBack) {
    state.system.connected = 0;
    SceneShelf shelf;
    SceneActions scenes(surface.context(), shelf, surface.full_state);
    state.input(0).volume = 10;
    state.output(3).short_name.assign("HALL");
    state.groups.control[1].input_member[5] = 1;
    ASSERT_TRUE(scenes.save(std::string("Board")));
    state.input(0).volume = 60;
    state.output(3).short_name.assign("FOYER");
    state.groups.control[1].input_member[5] = 0;
    surface.strips.set_input_mute(7, 1);  // a step of its own; the writes above published nothing
    journal.settle();
    const DeviceState before_recall = state;

    ASSERT_TRUE(scenes.recall_asking(1));  // offline: the question offers only OK
    journal.settle();
    EXPECT_EQ(journal.undo_text(), "Scene 1:Board recalled, 4 values changed");
    EXPECT_EQ(state.output(3).short_name.str(), "HALL");
    ASSERT_TRUE(journal.undo());
    EXPECT_EQ(state.input(0).volume, 60);
    EXPECT_EQ(state.output(3).short_name.str(), "FOYER");
    EXPECT_EQ(state.groups.control[1].input_member[5], 0);
    EXPECT_EQ(StateImage::encode_scene(state), StateImage::encode_scene(before_recall));
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_FALSE(scenes.recall_changes(1)) << "only the changes needs a fresh read";
}

TEST(StateFields, ValuesAssignAndCopyAgreeOnEverySlot) {
    DeviceState a;
    DeviceState b;
    b.input(7).peq_band[2].q = 33;
    b.output(1).short_name.assign("LOBBY");
    b.groups.control[3].link[5] = 1;
    b.input(7).level = 99;  // live: not a field
    for (int u = 0; u < StateFields::kUnitCount; ++u) {
        ASSERT_EQ(StateFields::values(a, u).size(), StateFields::paths(u).size()) << u;
    }
    EXPECT_FALSE(StateFields::same(a, b, StateFields::input_unit(7)));
    for (int u = 0; u < StateFields::kUnitCount; ++u) {
        StateFields::copy_unit(a, b, u);
    }
    EXPECT_EQ(a.input(7).peq_band[2].q, 33);
    EXPECT_EQ(a.output(1).short_name.str(), "LOBBY");
    EXPECT_EQ(a.groups.control[3].link[5], 1);
    EXPECT_EQ(a.input(7).level, 0);
    const auto& paths = StateFields::paths(StateFields::input_unit(0));
    const auto q = std::find(paths.begin(), paths.end(), "peq_band[2].q");
    ASSERT_NE(q, paths.end());
    EXPECT_FALSE(StateFields::assign(a, 7, static_cast<int>(q - paths.begin()),
                                     FieldValue{0, "text", true}));
    EXPECT_EQ(a.input(7).peq_band[2].q, 33);
}

}  // namespace
}  // namespace kestra
