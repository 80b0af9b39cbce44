#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>

#include "controller/console.h"
#include "loopback_peer.h"
#include "protocol/command_encoder.h"
#include "protocol/frame_extractor.h"
#include "session/owner_loop.h"
#include "simulated_processor.h"
#include "support/locked_notices.h"

namespace kestra {
namespace {

using namespace std::chrono_literals;
using testing_net::LoopbackPeer;

constexpr const char* kReportsOff = "%Q,01,00,25E0#";

TEST(ConsoleSettingsTest, ADeviceOptionOutranksTheKeptAddress) {
    ConsoleOptions o;
    o.device = "127.0.0.7:6000";
    o.saved_device = "127.0.0.8";
    const ConsoleSettings s = ConsoleSettings::from(o);
    EXPECT_EQ(s.session.device.text(), "127.0.0.7:6000");
}

TEST(ConsoleSettingsTest, TheKeptAddressServesWithoutADeviceOptionAndIsPassedOverWhenBroken) {
    ConsoleOptions o;
    o.saved_device = "127.0.0.8";
    EXPECT_EQ(ConsoleSettings::from(o).session.device.text(), "127.0.0.8");
    o.saved_device = "not an address";
    EXPECT_EQ(ConsoleSettings::from(o).session.device.text(), SessionSettings{}.device.text());
}

TEST(ConsoleSettingsTest, PortFoldersAndStateFileAreTakenAsGiven) {
    ConsoleOptions o;
    o.local_port = 40123;
    o.data_dir = "/tmp/somewhere";
    o.state_file = "room.json";
    const ConsoleSettings s = ConsoleSettings::from(o);
    EXPECT_EQ(s.session.control_port, 40123);
    EXPECT_EQ(s.data_dir, "/tmp/somewhere");
    EXPECT_EQ(s.state_file, "room.json");
    EXPECT_EQ(ConsoleSettings::from({}).session.control_port, SessionSettings{}.control_port);
}

TEST(ConsoleSettingsTest, AnUnusableDeviceOrPortIsRefusedWithItsText) {
    ConsoleOptions o;
    o.device = "127.0.0";
    try {
        ConsoleSettings::from(o);
        FAIL() << "a broken --device was taken";
    } catch (const ConsoleOptionError& e) {
        EXPECT_STREQ(e.what(), "--device takes A.B.C.D or A.B.C.D:PORT, not '127.0.0'");
    }
    ConsoleOptions p;
    p.local_port = 70000;
    EXPECT_THROW(ConsoleSettings::from(p), ConsoleOptionError);
}

using testing::LockedNotices;

uint16_t free_local_port() {
    LoopbackPeer probe;
    return probe.port();  // closed again when the probe goes
}

// A Console aimed at a loopback peer that records what leaves, on a data folder of its own.
class ConsoleLifeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.ok());
        char folder[] = "/tmp/kestra-console-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        data_dir = folder;
        ConsoleOptions o;
        o.device = peer.endpoint().text();
        o.local_port = free_local_port();
        o.data_dir = data_dir;
        console = std::make_unique<Console>(
            ConsoleSettings::from(o), [this](std::function<void()> f) { loop.post(std::move(f)); },
            notices, ok);
    }
    void TearDown() override {
        console.reset();
        std::error_code ec;
        std::filesystem::remove_all(data_dir, ec);
    }
    bool run_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        return loop.run_until(done, limit, [this] { console->tick(); });
    }
    // Everything the peer received, read once the socket has closed.
    std::vector<std::string> wire() {
        std::vector<std::string> out;
        while (out.size() < 256) {
            auto a = peer.receive(200ms);
            if (!a) {
                break;
            }
            out.push_back(a->payload);
        }
        return out;
    }

    LoopbackPeer peer;
    std::string data_dir;
    OwnerLoop loop;
    LockedNotices notices;
    AlwaysOk ok;
    std::unique_ptr<Console> console;
};

DatagramList paced_burst(int count) {
    const DeviceState state;
    DatagramList list;
    for (int n = 1; n <= count; ++n) {
        for (Datagram d : encode_automix_channel(state, n)) {
            d.gap = 30ms;
            list.push_back(d);
        }
    }
    return list;
}

std::size_t count_starting(const std::vector<std::string>& wire, const std::string& prefix) {
    std::size_t n = 0;
    for (const auto& f : wire) {
        n += f.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return n;
}

TEST_F(ConsoleLifeTest, OfflineADisconnectDoesNothingAndSendsNothing) {
    EXPECT_FALSE(console->disconnect());
    EXPECT_EQ(console->disconnect_and_wait(
                  [this](const std::function<bool()>& d, std::chrono::milliseconds l) {
                      return run_until(d, l);
                  }),
              0u);
    EXPECT_FALSE(peer.receive(100ms).has_value());
}

TEST_F(ConsoleLifeTest, AShutdownWhileListeningSendsReportsOffLastAndReleasesThePort) {
    ASSERT_TRUE(console->connect());  // the peer never answers: the attempt is listening
    ASSERT_TRUE(console->session().sink().send(paced_burst(8)));
    console->shutdown();
    ASSERT_TRUE(run_until([this] { return console->shutdown_done(); }, 4s));
    const auto sent = wire();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), kReportsOff);
    EXPECT_EQ(count_starting(sent, "%L,"), paced_burst(8).size());
}

// The window closed right after a DISCONNECT press: the close under way finishes, so the
// frames still waiting and "Q" 00 behind them are not cut off by the shutdown.
TEST_F(ConsoleLifeTest, AShutdownDuringADisconnectLetsTheWaitingFramesAndReportsOffLeave) {
    ASSERT_TRUE(console->connect());
    ASSERT_TRUE(console->session().sink().send(paced_burst(16)));
    ASSERT_TRUE(console->disconnect());
    ASSERT_TRUE(console->session().closing());
    console->shutdown();
    ASSERT_TRUE(run_until([this] { return console->shutdown_done(); }, 4s));
    const auto sent = wire();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), kReportsOff);
    EXPECT_EQ(count_starting(sent, "%L,"), paced_burst(16).size());
    EXPECT_EQ(console->session().dropped_at_close(), 0u);
}

// A Console on a manual clock, aimed at a virtual processor that the loop's tick serves: each
// tick answers what arrived and moves the clock on by `step`.
class ConsoleConnectTest : public ::testing::Test {
protected:
    void start(sim::SimMode mode, std::chrono::milliseconds step) {
        ASSERT_TRUE(peer.ok());
        char folder[] = "/tmp/kestra-console-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        data_dir = folder;
        processor = std::make_unique<sim::SimulatedProcessor>(mode);
        step_ = step;
        ConsoleOptions o;
        o.device = peer.endpoint().text();
        o.local_port = free_local_port();
        o.data_dir = data_dir;
        console = std::make_unique<Console>(
            ConsoleSettings::from(o), [this](std::function<void()> f) { loop.post(std::move(f)); },
            notices, ok, &clock);
    }
    void TearDown() override {
        console.reset();
        std::error_code ec;
        std::filesystem::remove_all(data_dir, ec);
    }
    void serve() {
        while (auto a = peer.receive(1ms)) {
            extractor.feed(a->payload, [&](std::string_view frame) {
                received.emplace_back(frame);
                for (const std::string& reply : processor->on_frame(frame)) {
                    for (std::size_t off = 0; off < reply.size(); off += 2048) {
                        peer.send_to(a->from_port, std::string_view(reply).substr(off, 2048));
                    }
                }
            });
        }
        clock.advance(step_);
    }
    Console::RunUntil runner() {
        return [this](const std::function<bool()>& done, std::chrono::milliseconds limit) {
            return loop.run_until(done, limit, [this] {
                serve();
                console->tick();
            });
        };
    }
    std::size_t count_of(const std::string& prefix) const {
        return count_starting(received, prefix);
    }

    LoopbackPeer peer;
    std::string data_dir;
    OwnerLoop loop;
    ManualClock clock;
    LockedNotices notices;
    AlwaysOk ok;
    std::unique_ptr<sim::SimulatedProcessor> processor;
    FrameExtractor extractor;
    std::vector<std::string> received;
    std::chrono::milliseconds step_{0};
    std::unique_ptr<Console> console;
};

TEST_F(ConsoleConnectTest, AProcessorThatAnswersIsConnectedAndADisconnectEndsWithReportsOff) {
    start(sim::SimMode::normal, 100ms);
    EXPECT_EQ(console->connect_and_wait(runner()), Console::ConnectOutcome::Connected);
    EXPECT_EQ(console->state().system.connected, 1);
    // A second connect while connected sends nothing new.
    const std::size_t before = received.size();
    EXPECT_EQ(console->connect_and_wait(runner()), Console::ConnectOutcome::Connected);
    EXPECT_EQ(received.size(), before);
    EXPECT_EQ(console->disconnect_and_wait(runner()), 0u);
    EXPECT_FALSE(console->session().closing());
    loop.run_for(100ms, [this] { serve(); });
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back(), kReportsOff);
}

TEST_F(ConsoleConnectTest, AStateWithoutItsCompletionIsIncompleteAtTheAwaitingLimit) {
    start(sim::SimMode::z_only, 100ms);
    EXPECT_EQ(console->connect_and_wait(runner()), Console::ConnectOutcome::Incomplete);
    EXPECT_EQ(console->session().connection().phase(), ConnectionPhase::Awaiting);
    EXPECT_EQ(console->state().system.connected, 0);
}

// A search that took the port from an attempt still awaiting its completion leaves the rules
// counting that attempt; the window's Search and DISCONNECT must still be able to end it.
TEST_F(ConsoleConnectTest, AnAwaitingAttemptWhoseSocketASearchTookStillEndsAtADisconnect) {
    start(sim::SimMode::z_only, 100ms);
    ASSERT_EQ(console->connect_and_wait(runner()), Console::ConnectOutcome::Incomplete);
    ASSERT_TRUE(console->session().start_search(*DeviceEndpoint::parse("127.0.0.1")));
    ASSERT_FALSE(console->session().listening());
    ASSERT_EQ(console->session().connection().phase(), ConnectionPhase::Awaiting);

    EXPECT_TRUE(console->disconnect());
    EXPECT_EQ(console->session().connection().phase(), ConnectionPhase::Offline);
    EXPECT_FALSE(console->session().connection().search_ends_connection());
    EXPECT_TRUE(loop.run_until([this] { return !console->session().closing(); }, 2s,
                               [this] { console->tick(); }));
    EXPECT_TRUE(console->session().discovery().running()) << "the search goes on";
    console->session().discovery().stop();
    EXPECT_FALSE(console->disconnect()) << "nothing is left to end";
    EXPECT_TRUE(notices.all().empty()) << "nothing was waiting, so nothing was dropped";
}

TEST_F(ConsoleConnectTest, ASilentProcessorCannotBeConnectedAfterThreeRequests) {
    start(sim::SimMode::silent, 1000ms);
    EXPECT_EQ(console->connect_and_wait(runner()), Console::ConnectOutcome::CannotConnect);
    EXPECT_EQ(console->session().connection().phase(), ConnectionPhase::Offline);
    loop.run_for(100ms, [this] { serve(); });
    EXPECT_EQ(count_of("%Z,"), 3u);  // the request and its two repeats
}

}  // namespace
}  // namespace kestra
