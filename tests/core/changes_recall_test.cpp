#include "control/changes_recall.h"

#include "control/change_journal.h"

#include <gtest/gtest.h>

#include <optional>

#include "action_fixture.h"

namespace kestra {
namespace {

using namespace kestra::testing;
using Scope = StateChange::Scope;
using Block = StateChange::Block;

class ChangesRecallTest : public ActionFixture {
protected:
    ChangesRecallTest() {
        scene = state;
        scene.input(4).volume = 20;
        scene.output(1).lim_ratio = 25;
        scene.input(9).gate_hold = 99;  // no command carries it
    }

    void read_arrives() {
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

TEST_F(ChangesRecallTest, ADifferenceFoundInTheReadIsWrittenAgainAndReported) {
    read_arrives();
    ASSERT_TRUE(recall.start(scene));
    sink.clear();
    // The processor missed the limiter; the uncarried field reads as it had it.
    state.output(1).lim_ratio = 10;
    state.input(9).gate_hold = 20;
    read_arrives();
    EXPECT_EQ(sink.frames, framed_all({"%D,01,02,00,19,00,01,14,00,"}));
    EXPECT_EQ(state.output(1).lim_ratio, 25);
    EXPECT_EQ(state.input(9).gate_hold, 99) << "the state holds the scene";
    connect_reply_arrives();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->read_back);
    ASSERT_EQ(result->differed.size(), 1u);
    EXPECT_EQ(result->differed[0].parameter, "Ratio");
    EXPECT_EQ(notices.seen.back(),
              "1" + std::string(ChangesRecall::kDiffered) + "\nM 2 Ratio 1:1.0 \u2192 1:2.5");
    EXPECT_EQ(result->differed[0].before, "1:1.0");
    EXPECT_EQ(result->differed[0].after, "1:2.5");
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
    EXPECT_EQ(notices.seen.back(), ChangesRecall::kNoReadBack);
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

}  // namespace
}  // namespace kestra
