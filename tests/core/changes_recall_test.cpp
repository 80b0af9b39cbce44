#include "recall/changes_recall.h"

#include "history/change_journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "action_fixture.h"
#include "recall/scene_actions.h"
#include "scene_shelf.h"
#include "session/field_write_back.h"
#include "support/blank_glyphs.h"
#include "support/scripted_answers.h"

namespace kestra {
namespace {

using namespace kestra::testing;
using Scope = StateChange::Scope;
using Block = StateChange::Block;

class ChangesRecallTest : public ActionFixture {
protected:
    ChangesRecallTest() {
        state.sanitize_after_bulk();  // as the connect's read left it
        scene = state;
        scene.input(4).volume = 20;
        scene.output(1).lim_ratio = 25;
        scene.input(9).gate_hold = 99;  // no command carries it
    }

    // The decoder leaves the read's forced fields as it always does.
    void read_arrives() {
        state.sanitize_after_bulk();
        stream.publish(
            {Scope::Everything, StateChange::kEvery, Block::All, ChangeOrigin::FullStateRead});
    }
    void connect_reply_arrives() {
        stream.publish(
            {Scope::System, StateChange::kEvery, Block::Connection, ChangeOrigin::ProcessorReport});
    }

    DeviceState scene;
    ChangesRecall recall{surface.context()};
    std::optional<ChangesRecallResult> result;
    Publisher<ChangesRecallResult>::Subscription sub =
        recall.finished().subscribe([this](const ChangesRecallResult& r) { result = r; });
};

TEST_F(ChangesRecallTest, OnlyAfterAReadInThisConnection) {
    EXPECT_FALSE(recall.start(scene));
    read_arrives();
    state.system.connected = 0;
    connect_reply_arrives();  // the connection ended
    state.system.connected = 1;
    EXPECT_FALSE(recall.start(scene));
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(state.input(4).volume, 70);
}

TEST_F(ChangesRecallTest, SendsTheChangedCommandsThenReadsBackAndFindsItEqual) {
    read_arrives();
    ASSERT_TRUE(recall.start(scene));
    std::vector<std::string> expected =
        framed_all({"%A,01,05,00,14,", "%D,01,02,00,19,00,01,14,00,"});
    expected.push_back(encode_read_all().front().payload);
    EXPECT_EQ(sink.frames, expected);
    EXPECT_EQ(sink.gaps[0], std::chrono::milliseconds(30));
    EXPECT_EQ(state.input(9).gate_hold, 99);
    EXPECT_TRUE(surface.context().read_back_expected());

    read_arrives();  // the processor holds the scene (the state is unchanged)
    connect_reply_arrives();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->verified());
    EXPECT_EQ(result->sent, 2);
    EXPECT_EQ(result->total, 662);
    EXPECT_FALSE(recall.running());
    EXPECT_FALSE(surface.context().read_back_expected());
}

TEST_F(ChangesRecallTest, ADifferenceFoundInTheReadIsWrittenAgainReadAgainAndReported) {
    read_arrives();
    ASSERT_TRUE(recall.start(scene));
    sink.clear();
    // The processor missed the limiter; the uncarried field reads as it had it.
    state.output(1).lim_ratio = 10;
    state.input(9).gate_hold = 20;
    read_arrives();
    std::vector<std::string> again = framed_all({"%D,01,02,00,19,00,01,14,00,"});
    again.push_back(encode_read_all().front().payload);
    EXPECT_EQ(sink.frames, again) << "written again, then read once more";
    EXPECT_EQ(state.output(1).lim_ratio, 25);
    EXPECT_EQ(state.input(9).gate_hold, 99) << "the state holds the scene";
    connect_reply_arrives();  // the first read's reply
    EXPECT_FALSE(result) << "not before the second read";
    read_arrives();  // now it holds the scene
    connect_reply_arrives();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->verified());
    EXPECT_EQ(result->rounds, 2);
    ASSERT_EQ(result->differed.size(), 1u);
    EXPECT_EQ(result->differed[0].parameter, "LIMIT RATIO");
    EXPECT_EQ(result->differed[0].before, "1:1.0");
    EXPECT_EQ(result->differed[0].after, "1:2.5");
    EXPECT_EQ(notices.texts.back(), "1" + RecallReadBack::differed_text("the scene") +
                                        "\nM 2 LIMIT RATIO 1:1.0 \u2192 1:2.5");
}

// With a lossy link the rewrite may be lost too: what the last read still finds is reported,
// not taken for done.
TEST_F(ChangesRecallTest, WhatStillDiffersAfterTheLastReadIsNotVerified) {
    ChangeJournal journal(surface.context());
    read_arrives();
    ASSERT_TRUE(recall.start(scene));
    sink.clear();
    for (int round = 1; round <= RecallReadBack::kRounds; ++round) {
        state.output(1).lim_ratio = 10;  // lost again
        read_arrives();
        connect_reply_arrives();
    }
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->read_back);
    EXPECT_FALSE(result->verified());
    EXPECT_EQ(result->rounds, RecallReadBack::kRounds);
    ASSERT_EQ(result->remaining.size(), 1u);
    EXPECT_EQ(result->remaining[0].text(), "M 2 LIMIT RATIO 1:1.0 \u2192 1:2.5");
    const std::string read = encode_read_all().front().payload;
    const std::string limiter = framed("%D,01,02,00,19,00,01,14,00,");
    EXPECT_EQ(sink.frames, (std::vector<std::string>{limiter, read, limiter, read}))
        << "two rewrites between three reads, none after the last";
    EXPECT_EQ(notices.texts.back(), "1" + RecallReadBack::remaining_text("the scene", 3) +
                                        "\nM 2 LIMIT RATIO 1:1.0 \u2192 1:2.5");
    EXPECT_EQ(state.output(1).lim_ratio, 25) << "the state holds the scene";
    ASSERT_FALSE(journal.lines().empty());
    EXPECT_EQ(journal.lines().back().text, "Scene recall not verified: 1 field still differs");
}

// The bulk read reports the PEQ switched on whatever it holds: a scene with it off would never
// compare equal, and rewriting it would not help.
TEST_F(ChangesRecallTest, AFieldTheReadForcesIsLeftOutOfTheComparisonAndNamed) {
    scene.input(2).peq_on = 0;
    read_arrives();
    ASSERT_TRUE(recall.start(scene));
    sink.clear();
    read_arrives();  // which leaves the switch on
    connect_reply_arrives();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->verified());
    EXPECT_EQ(result->rounds, 1);
    EXPECT_TRUE(result->differed.empty());
    EXPECT_TRUE(sink.frames.empty()) << "nothing written again";
    ASSERT_EQ(result->unverifiable.size(), 1u);
    EXPECT_EQ(result->unverifiable[0].path, "peq_on");
    EXPECT_EQ(result->unverifiable[0].channel, "CH 03");
    EXPECT_EQ(state.input(2).peq_on, 0) << "the state holds the scene";
    EXPECT_NE(notices.texts.back().find(RecallReadBack::kUnverifiable), std::string::npos);
}

TEST_F(ChangesRecallTest, NoUndoWhileTheReadBackIsAwaited) {
    ChangeJournal journal(surface.context());
    read_arrives();
    ASSERT_TRUE(recall.start(scene));
    EXPECT_FALSE(journal.undo());
    EXPECT_EQ(state.input(4).volume, 20);
    read_arrives();
    connect_reply_arrives();
    ASSERT_TRUE(journal.undo());
    EXPECT_EQ(state.input(4).volume, 70);
}

TEST_F(ChangesRecallTest, NoReadBackInTimeEndsUnverified) {
    read_arrives();
    ASSERT_TRUE(recall.start(scene));
    clock.advance(ChangesRecall::kReadBackLimit);
    recall.tick();
    EXPECT_FALSE(result);
    clock.advance(std::chrono::seconds(1));
    recall.tick();
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->read_back);
    EXPECT_FALSE(result->verified());
    EXPECT_EQ(notices.texts.back(), RecallReadBack::no_answer_text("the scene"));
}

TEST_F(ChangesRecallTest, ASecondReadThatDoesNotComeEndsUnverified) {
    read_arrives();
    ASSERT_TRUE(recall.start(scene));
    state.output(1).lim_ratio = 10;
    read_arrives();
    connect_reply_arrives();
    clock.advance(ChangesRecall::kReadBackLimit + std::chrono::seconds(1));
    recall.tick();
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->read_back);
    EXPECT_EQ(result->rounds, 1);
    EXPECT_FALSE(surface.context().read_back_expected());
}

// A whole recall against a connected processor, on a surface that can draw the names.
class WholeRecallTest : public ::testing::Test {
protected:
    WholeRecallTest() {
        state.system.connected = 1;
        state.sanitize_after_bulk();
        state.input(4).volume = 20;
        EXPECT_TRUE(scenes.save(std::string("Board")));
        state.input(4).volume = 70;
        result_sub = scenes.changes_recall().finished().subscribe(
            [this](const ReadBackResult& r) { result = r; });
    }

    void read_arrives() {
        state.sanitize_after_bulk();
        stream.publish(
            {Scope::Everything, StateChange::kEvery, Block::All, ChangeOrigin::FullStateRead});
    }
    void connect_reply_arrives() {
        stream.publish(
            {Scope::System, StateChange::kEvery, Block::Connection, ChangeOrigin::ProcessorReport});
    }
    bool read_requested() const {
        return !sink.frames.empty() && sink.frames.back() == encode_read_all().front().payload;
    }

    BlankGlyphs glyphs;
    DeviceState state;
    ManualClock clock;
    RecordingFrames sink;
    RecordingNotices notices;
    AlwaysOk questions;
    Publisher<StateChange> stream;
    OperatorActions surface{
        state, stream, sink, notices, questions, clock, CommandContext{nullptr, &glyphs, {}, 1}};
    SceneShelf shelf;
    SceneActions scenes{surface.context(), shelf, surface.full_state};
    ChangeJournal journal{surface.context()};
    std::optional<ReadBackResult> result;
    Publisher<ReadBackResult>::Subscription result_sub;
};

TEST_F(WholeRecallTest, TheProcessorIsReadBackOnceTheWholeWriteHasLeft) {
    std::vector<std::string> started;
    const auto started_sub = scenes.changes_recall().started().subscribe(
        [&started](const std::string& title) { started.push_back(title); });
    ASSERT_TRUE(scenes.recall(1));
    ASSERT_TRUE(surface.full_state.running());
    EXPECT_FALSE(read_requested()) << "not while the commands still wait";
    EXPECT_TRUE(started.empty());
    surface.full_state.advance(0);
    EXPECT_TRUE(read_requested());
    EXPECT_EQ(started, std::vector<std::string>{"Scene 1:Board recall"});
    EXPECT_TRUE(surface.context().read_back_expected());
    EXPECT_FALSE(result) << "leaving the sender is not arriving";
    read_arrives();
    connect_reply_arrives();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->verified());
    EXPECT_EQ(result->sent, 662);
    EXPECT_EQ(state.input(4).volume, 20);
}

TEST_F(WholeRecallTest, AProcessorGoneDuringTheWriteIsNotTakenForVerified) {
    ASSERT_TRUE(scenes.recall(1));
    surface.full_state.advance(0);  // every command left, into nowhere
    clock.advance(RecallReadBack::kReadBackLimit + std::chrono::seconds(1));
    scenes.changes_recall().tick();
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->read_back);
    EXPECT_FALSE(result->verified());
    EXPECT_EQ(notices.texts.back(), RecallReadBack::no_answer_text("the scene"));
    EXPECT_FALSE(surface.context().read_back_expected());
    ASSERT_FALSE(journal.lines().empty());
    EXPECT_EQ(journal.lines().back().text,
              "Scene 1:Board recall not verified: the processor did not answer the read-back");
    EXPECT_EQ(journal.lines().back().origin, "recall");
}

TEST_F(WholeRecallTest, AVerifiedReadBackAddsNoJournalLine) {
    ASSERT_TRUE(scenes.recall(1));
    surface.full_state.advance(0);
    read_arrives();
    connect_reply_arrives();
    ASSERT_TRUE(result);
    ASSERT_TRUE(result->verified());
    for (const JournalLine& line : journal.lines()) {
        EXPECT_EQ(line.text.find("not verified"), std::string::npos) << line.text;
    }
}

// A recall of only the changes names its scene in the line as the whole recall does.
TEST_F(WholeRecallTest, FieldsStillDifferingAfterAChangesRecallAreAJournalLine) {
    read_arrives();  // a fresh read in this connection
    connect_reply_arrives();
    ASSERT_TRUE(scenes.recall_changes(1));
    for (int round = 1; round <= RecallReadBack::kRounds; ++round) {
        state.input(4).volume = 70;  // lost every time
        read_arrives();
        connect_reply_arrives();
    }
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->verified());
    ASSERT_FALSE(journal.lines().empty());
    EXPECT_EQ(journal.lines().back().text,
              "Scene 1:Board recall not verified: 1 field still differs");
}

TEST_F(WholeRecallTest, AWriteCutShortIsAJournalLineAndNotReadBack) {
    ASSERT_TRUE(scenes.recall(1));
    const std::size_t queued = sink.frames.size();
    // The first twelve commands ("Q" and the eleven "X") left; the rest is dropped.
    EXPECT_EQ(surface.full_state.cancel(queued - 12), 662 - 12);
    EXPECT_FALSE(read_requested());
    EXPECT_FALSE(result);
    ASSERT_FALSE(journal.lines().empty());
    EXPECT_EQ(journal.lines().back().text,
              "Scene 1:Board recall stopped: 12 of 662 commands written");
    EXPECT_EQ(journal.lines().back().origin, "recall");
    // The recall's own entry comes first.
    ASSERT_GE(journal.lines().size(), 2u);
    EXPECT_EQ(journal.lines()[journal.lines().size() - 2].text.rfind("Scene 1:Board recalled", 0),
              0u);
}

// The question counts values under the question and in the offer of only the changes, though
// one command carries a band's three values and no command carries the gate's hold.
TEST(RecallQuestion, CountsTheSameValuesItListsAndOffers) {
    DeviceState state;
    state.system.connected = 1;
    state.sanitize_after_bulk();
    ManualClock clock;
    RecordingFrames sink;
    RecordingNotices notices;
    ScriptedAnswers questions;
    questions.answer = false;  // the RECALL question is cancelled
    Publisher<StateChange> stream;
    OperatorActions surface{state, stream, sink, notices, questions, clock};
    SceneShelf shelf;
    SceneActions scenes{surface.context(), shelf, surface.full_state};
    InputChannel& in = state.input(2);
    const InputChannel was = in;
    const int32_t hold = state.input(9).gate_hold;
    in.peq_band[1].gain = 170;
    in.peq_band[1].freq = 1000;
    in.peq_band[1].q = 50;
    state.input(9).gate_hold = hold + 1;
    ASSERT_TRUE(scenes.save(std::string("Board")));
    in = was;
    state.input(9).gate_hold = hold;
    state.sanitize_after_bulk();
    stream.publish(
        {Scope::Everything, StateChange::kEvery, Block::All, ChangeOrigin::FullStateRead});

    EXPECT_FALSE(scenes.recall_asking(1));
    ASSERT_EQ(questions.choices.size(), 1u);
    EXPECT_EQ(questions.asked.size(), 1u) << "the choice is the only question";
    const OperatorChoice& asked = questions.choices[0];
    EXPECT_EQ(asked.text,
              std::string(SceneActions::kRecallQuestion) + "\n4 values on 2 channels will change.");
    ASSERT_EQ(asked.options.size(), 2u);
    EXPECT_EQ(asked.options[0].rfind("Only the 4 changes (about ", 0), 0u) << asked.options[0];
    EXPECT_EQ(std::count(asked.details.begin(), asked.details.end(), '\n'), 4);
    EXPECT_EQ(state.input(2).peq_band[1].q, was.peq_band[1].q) << "cancelled: nothing changed";
}

// What undo and the recall of the changes write back: the commands of the fields that changed,
// in the given order, and no name while nothing can draw its glyphs.
TEST_F(ChangesRecallTest, TheWriteBackSendsTheChangedFieldsCommandsButNoUndrawableName) {
    const DeviceState before = state;
    state.input(2).volume = 20;
    state.input(2).short_name.assign("PODIUM");
    const std::vector<WriteStep> sent = FieldWriteBack::write(
        surface.context(), WriteSteps::every_field(FullStateWriter::kRecallNamePause), before);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].letter, 'A');
    EXPECT_EQ(sink.frames, framed_all({"%A,01,03,00,14,"}));
    sink.clear();
    EXPECT_TRUE(FieldWriteBack::write(surface.context(),
                                      WriteSteps::every_field(FullStateWriter::kRecallNamePause),
                                      state)
                    .empty());
    EXPECT_TRUE(sink.frames.empty()) << "nothing changed, nothing sent";
}

TEST(WriteSteps, TheWholeOrderAndItsDifferences) {
    const auto whole = WriteSteps::whole(std::chrono::milliseconds(150));
    EXPECT_EQ(whole.size(), 662u);
    DeviceState a;
    DeviceState b = a;
    b.input(0).peq_band[1].gain = 200;
    b.input(0).peq_band[4].gain = 200;  // band 5: sent by its own action only
    b.output(15).short_name.assign("X");
    b.system.unit_table[12] = 3;
    const auto differ = WriteSteps::differing(whole, a, b);
    EXPECT_EQ(differ, (std::vector<WriteStep>{{'X', 2, 0, std::chrono::milliseconds(100)},
                                              {'V', 80, 0, std::chrono::milliseconds(150)},
                                              {'G', 1, 2, std::chrono::milliseconds(20)}}));
    const auto every =
        WriteSteps::differing(WriteSteps::every_field(std::chrono::milliseconds(150)), a, b);
    EXPECT_EQ(every.back(), (WriteStep{'G', 1, 5, std::chrono::milliseconds(20)}));
    EXPECT_TRUE(WriteSteps::carries(differ[2], 0, "peq_band[1].gain"));
    EXPECT_FALSE(WriteSteps::carries(differ[2], 0, "peq_band[4].gain"));
    EXPECT_TRUE(WriteSteps::carries(differ[0], StateFields::kSystemUnit, "unit_table[12]"));
    EXPECT_FALSE(WriteSteps::carries(differ[0], StateFields::kSystemUnit, "unit_table[15]"));
}

// A step's command and its wire numbers are those of the parameters it sends: a letter that
// sends no parameter (the read-all, a unit's call) is no write step, and a PEQ step sends the
// band it names.
TEST(WriteSteps, AStepSendsTheCommandOfItsParametersOnly) {
    DeviceState state;
    state.input(0).peq_band[4].gain = 200;
    const CommandContext none;
    for (const char letter : {'Z', 'W', 'R', 'S', '?'}) {
        EXPECT_THROW(WriteSteps::encode(state, {letter, 1, 0}, none), std::invalid_argument)
            << letter;
    }
    EXPECT_THROW(WriteSteps::encode(state, {'V', 1, 0}, none), std::invalid_argument);
    const DatagramList fifth = WriteSteps::encode(state, {'G', 1, 5}, none);
    ASSERT_EQ(fifth.size(), 1u);
    EXPECT_EQ(fifth[0].payload, encode_peq_band(state, 1, 5).at(0).payload);
    EXPECT_NE(fifth[0].payload, WriteSteps::encode(state, {'G', 1, 4}, none).at(0).payload);
    EXPECT_EQ(WriteSteps::encode(state, {'M', 0, 0}, none).at(0).payload,
              encode_automix_settings(state).at(0).payload);
}

}  // namespace
}  // namespace kestra
