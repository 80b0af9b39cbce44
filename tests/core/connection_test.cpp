#include <gtest/gtest.h>

#include <vector>

#include "protocol/device_endpoint.h"
#include "protocol/discovery.h"
#include "session/connection_rules.h"
#include "session/connection_status.h"
#include "session/report_supervisor.h"
#include "support/recording_frames.h"
#include "support/recording_notices.h"

namespace kestra {
namespace {

using namespace std::chrono_literals;
using testing::RecordingFrames;
using testing::RecordingNotices;

class ConnectionTest : public ::testing::Test {
protected:
    void run_for(std::chrono::milliseconds total) {
        for (auto t = 0ms; t < total; t += 50ms) {
            clock.advance(50ms);
            controller.tick();
        }
    }
    DeviceState state;
    ManualClock clock;
    RecordingFrames sink;
    RecordingNotices notices;
    ConnectionRules controller{state, clock, sink, notices};
};

TEST_F(ConnectionTest, AttemptSendsReportsOffThenReadAll) {
    ASSERT_TRUE(controller.can_start_attempt());
    controller.begin_attempt();
    EXPECT_EQ(sink.frames, (std::vector<std::string>{"%Q,01,00,25E0#", "%Z,01,F143#"}));
    EXPECT_EQ(controller.phase(), ConnectionPhase::Connecting);
    EXPECT_FALSE(controller.can_start_attempt());  // a second press is ignored
}

TEST_F(ConnectionTest, SilentProcessorGetsThreeRequestsThenGiveUpAfter15Seconds) {
    std::vector<ConnectionEvent::Kind> kinds;
    auto sub =
        controller.events().subscribe([&](const ConnectionEvent& e) { kinds.push_back(e.kind); });
    controller.begin_attempt();
    run_for(14950ms);
    EXPECT_EQ(std::count(sink.frames.begin(), sink.frames.end(), "%Z,01,F143#"), 3);
    EXPECT_TRUE(notices.texts.empty());
    run_for(50ms);
    EXPECT_EQ(notices.texts, std::vector<std::string>{"CANNOT CONNECT."});
    EXPECT_EQ(controller.phase(), ConnectionPhase::Offline);
    EXPECT_EQ(kinds.back(), ConnectionEvent::Kind::GaveUp);
    run_for(20s);  // nothing more happens
    EXPECT_EQ(notices.texts.size(), 1u);
    EXPECT_EQ(std::count(sink.frames.begin(), sink.frames.end(), "%Z,01,F143#"), 3);
}

TEST_F(ConnectionTest, FullStateWithoutCompletionLeavesTheAwaitingState) {
    controller.begin_attempt();
    run_for(2s);
    state.system.connecting = 0;  // what the dispatcher does on "Z"
    run_for(60s);
    EXPECT_EQ(controller.phase(), ConnectionPhase::Awaiting);
    EXPECT_TRUE(notices.texts.empty());
    EXPECT_EQ(std::count(sink.frames.begin(), sink.frames.end(), "%Z,01,F143#"), 1);
    EXPECT_TRUE(controller.can_start_attempt());  // CONNECT again starts a new attempt
}

TEST_F(ConnectionTest, DisconnectSwitchesReportsOffAndGoesOffline) {
    controller.begin_attempt();
    state.system.connecting = 0;
    state.system.connected = 1;
    EXPECT_EQ(controller.phase(), ConnectionPhase::Connected);
    sink.clear();
    controller.disconnect();
    EXPECT_EQ(sink.frames, std::vector<std::string>{"%Q,01,00,25E0#"});
    EXPECT_EQ(controller.phase(), ConnectionPhase::Offline);
}

// The search takes the control port: from the connect press until offline again it would end
// what is under way, so it must ask.
TEST_F(ConnectionTest, ASearchEndsTheConnectionFromTheConnectPressOn) {
    EXPECT_FALSE(controller.search_ends_connection());
    controller.begin_attempt();
    EXPECT_TRUE(controller.search_ends_connection()) << "connecting";
    state.system.connecting = 0;  // "Z" came
    ASSERT_EQ(controller.phase(), ConnectionPhase::Awaiting);
    EXPECT_TRUE(controller.search_ends_connection()) << "awaiting";
    state.system.connected = 1;
    EXPECT_TRUE(controller.search_ends_connection()) << "connected";
    controller.disconnect();
    EXPECT_FALSE(controller.search_ends_connection());
}

TEST_F(ConnectionTest, DisconnectWhileConnectingEndsTheAttempt) {
    std::vector<ConnectionEvent::Kind> kinds;
    auto sub =
        controller.events().subscribe([&](const ConnectionEvent& e) { kinds.push_back(e.kind); });
    controller.begin_attempt();
    controller.disconnect();
    EXPECT_EQ(controller.phase(), ConnectionPhase::Offline);
    EXPECT_TRUE(controller.can_start_attempt());
    sink.clear();
    run_for(20s);
    EXPECT_TRUE(sink.frames.empty()) << "no request repeated after the attempt ended";
    EXPECT_TRUE(notices.texts.empty()) << "no CANNOT CONNECT for an attempt the operator ended";
    EXPECT_EQ(kinds, (std::vector<ConnectionEvent::Kind>{ConnectionEvent::Kind::AttemptStarted,
                                                         ConnectionEvent::Kind::Disconnected}));
}

// The lamp's one value through an attempt: lit only once connected and heard, overdue only
// while the completion is still awaited, and a silent processor dims it while the connection
// stays.
TEST_F(ConnectionTest, StatusFollowsTheAttemptTheCompletionAndTheReports) {
    ReportSupervisor supervisor(state, clock);
    const auto status = [&] { return ConnectionStatus::of(controller, supervisor); };
    EXPECT_EQ(status(), ConnectionStatus{});
    EXPECT_STREQ(status().text(), "OFFLINE");

    controller.begin_attempt();
    EXPECT_EQ(status().phase, ConnectionPhase::Connecting);
    state.system.connecting = 0;  // "Z": the state came
    supervisor.report_arrived();
    run_for(2950ms);
    EXPECT_EQ(status(), (ConnectionStatus{ConnectionPhase::Awaiting, true, false}));
    EXPECT_FALSE(status().online()) << "heard but not connected: the lamp stays dark";
    run_for(100ms);  // the limit counts from the first tick that saw the awaiting state
    EXPECT_EQ(status(), (ConnectionStatus{ConnectionPhase::Awaiting, true, true}));

    state.system.connected = 1;  // "Y", late
    EXPECT_EQ(status(), (ConnectionStatus{ConnectionPhase::Connected, true, false}))
        << "a completion that came is no longer overdue";
    EXPECT_TRUE(status().online());
    EXPECT_STREQ(status().text(), "ONLINE");

    clock.advance(ReportSupervisor::kSilence);
    supervisor.tick();
    EXPECT_TRUE(status().connected());
    EXPECT_FALSE(status().online());
    EXPECT_STREQ(status().text(), "OFFLINE");

    controller.disconnect();
    supervisor.went_offline();
    EXPECT_EQ(status(), ConnectionStatus{});
}

TEST(ReportSupervisor, OfflineOncePerTenSecondsAndOnlineOnTheNextReport) {
    DeviceState state;
    ManualClock clock;
    ReportSupervisor sup(state, clock);
    std::vector<bool> shown;
    auto sub = sup.status().subscribe(
        [&](const ReportSupervisor::Status& s) { shown.push_back(s.online); });
    state.system.connected = 1;
    sup.report_arrived();
    for (int i = 0; i < 600; ++i) {  // 30 s of 50 ms ticks
        clock.advance(50ms);
        sup.tick();
    }
    EXPECT_EQ(shown, (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(state.system.connected, 1);
    sup.report_arrived();
    EXPECT_EQ(shown.back(), true);
    EXPECT_STREQ(ReportSupervisor::Status{false}.text(), "OFFLINE");
}

TEST(ReportSupervisor, StaysQuietWhileNotConnected) {
    DeviceState state;
    ManualClock clock;
    ReportSupervisor sup(state, clock);
    int calls = 0;
    auto sub = sup.status().subscribe([&](const ReportSupervisor::Status&) { ++calls; });
    clock.advance(60s);
    sup.tick();
    EXPECT_EQ(calls, 0);
}

TEST(DeviceEndpoint, AcceptsDottedAddressesWithOptionalPortOnly) {
    const auto ep = DeviceEndpoint::parse("127.0.0.5:40001");
    ASSERT_TRUE(ep);
    EXPECT_EQ(ep->address(), "127.0.0.5");
    EXPECT_EQ(ep->port, 40001);
    EXPECT_TRUE(ep->is_loopback());
    EXPECT_EQ(DeviceEndpoint::parse("192.168.1.106")->port, 39040);
    EXPECT_EQ(DeviceEndpoint::parse("10.0.0.1")->text(), "10.0.0.1");
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4:", "1.2.3.4:0",
                            "1.2.3.4:70000", " 1.2.3.4", "1.2.3.4 ", "01.2.3.4", "a.b.c.d",
                            "1..3.4", "-1.2.3.4", "1.2.3.4:+5", "host.local"}) {
        EXPECT_FALSE(DeviceEndpoint::parse(bad)) << bad;
    }
}

TEST(Discovery, SweepsTheSubnetWithoutHostAndReservedAddresses) {
    const auto host = *DeviceEndpoint::parse("127.0.0.7");
    const auto targets = Discovery::sweep_targets(host, 40000);
    EXPECT_EQ(targets.size(), 252u);
    for (const auto& t : targets) {
        EXPECT_NE(t.octets[3], 0);
        EXPECT_NE(t.octets[3], 1);
        EXPECT_NE(t.octets[3], 255);
        EXPECT_NE(t.octets[3], 7);
        EXPECT_EQ(t.port, 40000);
        EXPECT_EQ(t.octets[0], 127);
    }
    EXPECT_EQ(targets.front().address(), "127.0.0.2");
    EXPECT_EQ(targets.back().address(), "127.0.0.254");
}

TEST(Discovery, AcceptsOnlyAnswersOfThisModelAndListsEachOnce) {
    EXPECT_TRUE(Discovery::is_processor_reply("%R,01,0004,ABCD#"));
    EXPECT_FALSE(Discovery::is_processor_reply("%R,01,04,F0A2#"));  // our own probe
    EXPECT_FALSE(Discovery::is_processor_reply("%R,01,0005,ABCD#"));
    EXPECT_FALSE(Discovery::is_processor_reply("%R,01,00004,ABCD#"));
    EXPECT_FALSE(Discovery::is_processor_reply("%S,01,0004,ABCD#"));
    EXPECT_FALSE(Discovery::is_processor_reply("%R,01,ABCD#"));  // item 2 is the checksum
    Discovery d;
    EXPECT_TRUE(d.add("127.0.0.5", 39040));
    EXPECT_FALSE(d.add("127.0.0.5", 39040));
    EXPECT_TRUE(d.add("127.0.0.9", 39040));
    EXPECT_EQ(d.rows().size(), 2u);
}

TEST_F(ConnectionTest, AwaitingTellsOnceWhenTheCompletionIsOverdueAndANewAttemptStartsAfresh) {
    std::vector<ConnectionEvent::Kind> kinds;
    auto sub =
        controller.events().subscribe([&](const ConnectionEvent& e) { kinds.push_back(e.kind); });
    controller.begin_attempt();
    run_for(1s);
    state.system.connecting = 0;  // "Z" came, "Y" does not
    run_for(ConnectionRules::kCompletionLimit - 100ms);
    EXPECT_FALSE(controller.completion_overdue());
    run_for(200ms);
    EXPECT_TRUE(controller.completion_overdue());
    run_for(30s);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), ConnectionEvent::Kind::Incomplete), 1);
    EXPECT_EQ(controller.phase(), ConnectionPhase::Awaiting);  // the state itself stays

    controller.begin_attempt();
    EXPECT_FALSE(controller.completion_overdue());
    run_for(1s);
    state.system.connecting = 0;
    state.system.connected = 1;  // this time "Y" came
    run_for(10s);
    EXPECT_FALSE(controller.completion_overdue());
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), ConnectionEvent::Kind::Incomplete), 1);
}

}  // namespace
}  // namespace kestra
