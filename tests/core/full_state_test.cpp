#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "history/change_journal.h"
#include "model/factory_values.h"
#include "operator/operator_actions.h"
#include "session/report_supervisor.h"
#include "support/blank_glyphs.h"
#include "support/recording_frames.h"
#include "support/recording_notices.h"
#include "support/scripted_answers.h"

namespace kestra {
namespace {

using namespace std::chrono_literals;
using testing::BlankGlyphs;
using RecordingSink = testing::RecordingFrames;
using testing::RecordingNotices;
using Answers = testing::ScriptedAnswers;

// Frames joined from their pieces, each with the gap after its last piece.
struct SentFrame {
    std::string text;
    std::chrono::milliseconds gap;
};

std::vector<SentFrame> frames_of(const DatagramList& list) {
    std::vector<SentFrame> out;
    std::string pending;
    for (const Datagram& d : list) {
        pending += d.payload;
        if (d.payload.find('#') != std::string::npos) {
            out.push_back({pending, d.gap});
            pending.clear();
        } else {
            EXPECT_EQ(d.gap, Datagram::kFrameGap) << "a piece waits only the frame gap";
        }
    }
    EXPECT_TRUE(pending.empty());
    return out;
}

// Letter and selector fields as the sequence addresses them ("V01" .. "G2004").
std::string address(const std::string& frame) {
    const char letter = frame[1];
    std::string a(1, letter);
    if (letter == 'Q' || letter == 'X' || letter == 'G') {
        a += frame.substr(6, 2);
        if (letter == 'G') {
            a += frame.substr(12, 2);
        }
    } else if (letter != 'M') {
        a += frame.substr(6, 2);
    }
    return a;
}

std::string hex2(int v) {
    char b[4];
    std::snprintf(b, sizeof b, "%02X", v);
    return b;
}

struct Expected {
    std::string address;
    std::chrono::milliseconds gap;
};

// The whole-state write order, written out independently of the writer's loops.
std::vector<Expected> write_order(std::chrono::milliseconds name_pause) {
    std::vector<Expected> e;
    const auto after = [](std::chrono::milliseconds pause) { return pause + 10ms; };
    e.push_back({"Q00", after(20ms)});
    for (int i = 0; i <= 10; ++i)
        e.push_back({"X" + hex2(i), after(100ms)});
    for (int n = 1; n <= 80; ++n) {
        e.push_back({"V" + hex2(n), after(name_pause)});
        e.push_back({"A" + hex2(n), after(20ms)});
    }
    for (int n = 33; n <= 64; ++n)
        e.push_back({"O" + hex2(n - 32), after(20ms)});
    for (int n = 1; n <= 64; ++n) {
        e.push_back({"B" + hex2(n), after(20ms)});
        e.push_back({"U" + hex2(n), after(20ms)});
        if (n <= 32) {
            for (const char* l : {"C", "E", "F", "L"})
                e.push_back({l + hex2(n), after(20ms)});
        }
    }
    for (int m = 1; m <= 16; ++m) {
        for (const char* l : {"D", "H", "I", "J"})
            e.push_back({l + hex2(m), after(20ms)});
        if (m <= 8)
            e.push_back({"K" + hex2(m), after(20ms)});
    }
    for (int n = 1; n <= 32; ++n) {
        for (int b = 1; b <= 4; ++b)
            e.push_back({"G" + hex2(n) + hex2(b), after(20ms)});
    }
    e.push_back({"M", after(20ms)});
    e.push_back({"Q01", after(20ms)});
    return e;
}

class FullStateTest : public ::testing::Test {
protected:
    FullStateTest()
        : surface(state, stream, sink, notices, answers, clock,
                  CommandContext{nullptr, &glyphs, {}, 1}) {
        state.reset_defaults();
        clock.set_wall(WallTime{2026, 12, 3, 9, 4, 5, 6, 0});
    }

    void connect() { state.system.connected = 1; }

    BlankGlyphs glyphs;
    DeviceState state;
    RecordingSink sink;
    RecordingNotices notices;
    Answers answers;
    ManualClock clock;
    Publisher<StateChange> stream;
    OperatorActions surface;
};

TEST_F(FullStateTest, SequenceHasTheWholeStateWriteOrderAndItsPauses) {
    const auto commands = FullStateWriter::commands(state, surface.context().names(), 150ms);
    ASSERT_EQ(commands.size(), 662u);
    DatagramList all;
    for (const auto& c : commands)
        all.insert(all.end(), c.begin(), c.end());
    const auto frames = frames_of(all);
    const auto expected = write_order(150ms);
    ASSERT_EQ(frames.size(), expected.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(address(frames[i].text), expected[i].address) << "command " << i;
        EXPECT_EQ(frames[i].gap, expected[i].gap) << "command " << i << " " << frames[i].text;
    }
    // The values come from the state through the shared encoders.
    EXPECT_EQ(frames[0].text, encode_level_reports(false)[0].payload);
    EXPECT_EQ(frames[12 + 2 * 6 + 1].text, encode_fader(state, 7)[0].payload);
    EXPECT_EQ(frames.back().text, encode_level_reports(true)[0].payload);
}

TEST_F(FullStateTest, WriterQueuesOnlyWhileConnectedAndFollowsTheSender) {
    EXPECT_FALSE(surface.full_state.start(150ms));
    EXPECT_TRUE(sink.sent.empty());

    connect();
    std::vector<FullStateProgress> seen;
    auto sub = surface.full_state.progress().subscribe(
        [&](const FullStateProgress& p) { seen.push_back(p); });
    int finished = 0;
    bool completed = false;
    ASSERT_TRUE(surface.full_state.start(150ms, [&](bool c) {
        ++finished;
        completed = c;
    }));
    const std::size_t total = sink.sent.size();
    ASSERT_EQ(total, 662u + 80u * 2u);  // each name goes in three pieces
    EXPECT_FALSE(surface.full_state.start(150ms)) << "one transfer at a time";
    EXPECT_EQ(sink.sent.size(), total);

    std::chrono::milliseconds planned{0};
    for (const Datagram& d : sink.sent)
        planned += d.gap;
    EXPECT_EQ(surface.full_state.planned_duration(), planned);

    // The supervision's time stamp moves with the transfer.
    clock.set_wall(WallTime{2026, 12, 3, 9, 4, 6, 0, 0});
    surface.full_state.advance(total - 12);  // "Q" and the eleven "X" went out
    EXPECT_EQ(state.system.last_report_at.minute, 6);
    EXPECT_EQ(seen.back(), (FullStateProgress{12, 662, true, false}));
    surface.full_state.advance(total - 13);  // first piece of the first name only
    EXPECT_EQ(seen.back().sent, 12);
    EXPECT_EQ(seen.size(), 2u) << "no notification without a change";
    surface.full_state.advance(total - 15);
    EXPECT_EQ(seen.back().sent, 13);
    EXPECT_EQ(finished, 0);
    surface.full_state.advance(0);
    EXPECT_EQ(seen.back(), (FullStateProgress{662, 662, false, true}));
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(completed);
    EXPECT_FALSE(surface.full_state.running());
}

TEST_F(FullStateTest, ADroppedConnectionEndsTheTransferAsCutShort) {
    connect();
    bool completed = true;
    ASSERT_TRUE(surface.full_state.start(150ms, [&](bool c) { completed = c; }));
    surface.full_state.advance(500);
    state.system.connected = 0;
    surface.full_state.advance(0);
    EXPECT_FALSE(completed);
    EXPECT_FALSE(surface.full_state.current().completed);
    EXPECT_FALSE(surface.full_state.running());
}

TEST(ReportSupervisorDefer, KeepsTheSilenceFromCountingWithoutClaimingOnline) {
    DeviceState state;
    state.system.connected = 1;
    ManualClock clock;
    ReportSupervisor supervisor(state, clock);
    std::vector<bool> published;
    auto sub = supervisor.status().subscribe(
        [&](const ReportSupervisor::Status& s) { published.push_back(s.online); });
    supervisor.report_arrived();
    for (int i = 0; i < 500; ++i) {  // 25 s of ticks with the transfer deferring
        clock.advance(50ms);
        supervisor.defer();
        supervisor.tick();
    }
    EXPECT_EQ(published, (std::vector<bool>{true}));
    clock.advance(10s);
    supervisor.tick();
    EXPECT_EQ(published, (std::vector<bool>{true, false})) << "silence counts again afterwards";
    supervisor.defer();
    EXPECT_FALSE(supervisor.online()) << "deferring is not a report";
}

TEST(MaintenanceLockTest, OneActivityAtATimeAndItsRefusal) {
    MaintenanceLock lock;
    EXPECT_FALSE(lock.busy());
    EXPECT_STREQ(lock.refusal(), "");
    ASSERT_TRUE(lock.begin(MaintenanceLock::Kind::Update));
    EXPECT_TRUE(lock.busy());
    EXPECT_STREQ(lock.refusal(), "Updateing.......");
    EXPECT_FALSE(lock.begin(MaintenanceLock::Kind::Recovery));
    EXPECT_STREQ(lock.refusal(), "Updateing.......");
    lock.end();
    ASSERT_TRUE(lock.begin(MaintenanceLock::Kind::Recovery));
    EXPECT_STREQ(lock.refusal(), "Reseting device.......");
    lock.end();
    EXPECT_FALSE(lock.busy());
}

class RecoveryTest : public FullStateTest {
protected:
    RecoveryTest() {
        state.inputs[0].volume = 3;
        state.outputs[9].lim_threshold = 55;
        state.groups.control[1].input_member[4] = 1;
        state.groups.control[1].input_member[5] = 1;
        state.groups.control[1].member_count = 2;
        state.groups.control[1].link[kLinkVol] = 1;
        state.groups.control_active[1] = 1;
        state.groups.mute[0].output_member[2] = 1;
        state.groups.active_mute_group = 1;
        surface.context().active_groups().activate(1, state.groups.control[1]);
    }

    // The processor's state and connect reply, as the dispatcher publishes them.
    void read_arrives() {
        state.sanitize_after_bulk();
        stream.publish({StateChange::Scope::Everything, StateChange::kEvery,
                        StateChange::Block::All, ChangeOrigin::FullStateRead});
        stream.publish({StateChange::Scope::System, StateChange::kEvery,
                        StateChange::Block::Connection, ChangeOrigin::ProcessorReport});
    }

    DeviceState factory_state() const {
        DeviceState f = state;
        apply_factory_values(f);
        f.system.last_report_at = clock.wall_now();
        return f;
    }
};

TEST_F(RecoveryTest, OfflineResetsStateAndGroupsAtOnce) {
    const DeviceState expected = factory_state();
    ASSERT_TRUE(surface.recovery.start_recovery());
    EXPECT_EQ(answers.asked, (std::vector<std::string>{"If do you recovery the device? "}));
    EXPECT_EQ(state, expected);
    EXPECT_EQ(state.inputs[0].volume, 60);
    EXPECT_EQ(state.groups, GroupTables{});
    EXPECT_TRUE(surface.context().active_groups().input_peers(4, kLinkVol).empty());
    EXPECT_TRUE(sink.sent.empty());
    EXPECT_EQ(notices.texts, (std::vector<std::string>{"Reset successfully."}));
    EXPECT_FALSE(surface.maintenance.busy());
}

TEST_F(RecoveryTest, ConnectedWritesTheFactoryStateAndReportsWhenDrained) {
    connect();
    DeviceState expected = factory_state();
    expected.system.connected = 1;
    ASSERT_TRUE(surface.recovery.start_recovery());
    EXPECT_EQ(state, expected);
    const auto frames = frames_of(sink.sent);
    const auto order = write_order(300ms);
    ASSERT_EQ(frames.size(), order.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].gap, order[i].gap) << frames[i].text;
    }
    EXPECT_EQ(frames[13].text, encode_fader(expected, 1)[0].payload);  // volume 60 goes out
    EXPECT_TRUE(notices.texts.empty()) << "not before the transfer has left";
    EXPECT_TRUE(surface.maintenance.busy());

    // While it runs both maintenance presses are refused and change nothing.
    state.inputs[0].volume = 9;
    EXPECT_FALSE(surface.recovery.start_recovery());
    EXPECT_EQ(notices.texts, (std::vector<std::string>{"Reseting device......."}));
    EXPECT_EQ(state.inputs[0].volume, 9);

    surface.full_state.advance(0);
    // Leaving the sender is not arriving: the processor is read back first.
    EXPECT_EQ(frames_of(sink.sent).back().text, encode_read_all()[0].payload);
    EXPECT_NE(notices.texts.back(), "Reset successfully.");
    EXPECT_TRUE(surface.maintenance.busy());
    state.inputs[0].volume = 60;  // the processor holds the factory values
    read_arrives();
    EXPECT_EQ(notices.texts.back(), "Reset successfully.");
    EXPECT_FALSE(surface.maintenance.busy());
}

TEST_F(RecoveryTest, AProcessorThatDoesNotAnswerTheReadBackIsNoSuccess) {
    ChangeJournal journal(surface.context());
    connect();
    ASSERT_TRUE(surface.recovery.start_recovery());
    surface.full_state.advance(0);
    clock.advance(RecallReadBack::kReadBackLimit + 1s);
    surface.recovery.tick();
    ASSERT_FALSE(notices.texts.empty());
    EXPECT_EQ(notices.texts.back(), RecallReadBack::no_answer_text("the factory values"));
    EXPECT_EQ(std::count(notices.texts.begin(), notices.texts.end(), "Reset successfully."), 0);
    EXPECT_FALSE(surface.maintenance.busy());
    ASSERT_FALSE(journal.lines().empty());
    EXPECT_EQ(journal.lines().back().text,
              "Recovery not verified: the processor did not answer the read-back");
    EXPECT_EQ(journal.lines().back().origin, "recall");
}

TEST_F(RecoveryTest, RefusedWhileAnUpdateRunsOrWhenDeclined) {
    const DeviceState before = state;
    ASSERT_TRUE(surface.maintenance.begin(MaintenanceLock::Kind::Update));
    EXPECT_FALSE(surface.recovery.start_recovery());
    EXPECT_EQ(notices.texts, (std::vector<std::string>{"Updateing......."}));
    EXPECT_TRUE(answers.asked.empty());
    surface.maintenance.end();

    answers.answer = false;
    EXPECT_FALSE(surface.recovery.start_recovery());
    EXPECT_EQ(state, before);
    EXPECT_FALSE(surface.maintenance.busy());
    EXPECT_FALSE(surface.context().active_groups().input_peers(4, kLinkVol).empty());
}

TEST_F(RecoveryTest, ACutShortTransferIsNotReportedAsSuccess) {
    ChangeJournal journal(surface.context());
    connect();
    ASSERT_TRUE(surface.recovery.start_recovery());
    state.system.connected = 0;
    surface.full_state.advance(0);
    EXPECT_EQ(notices.texts, (std::vector<std::string>{RecoveryActions::kCutShort}));
    EXPECT_FALSE(surface.maintenance.busy());
    ASSERT_FALSE(journal.lines().empty());
    EXPECT_EQ(journal.lines().back().text, "Recovery stopped: 0 of 662 commands written");
}

}  // namespace
}  // namespace kestra
