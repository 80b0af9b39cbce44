#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <mutex>
#include <thread>

#include "net/net_sandbox.h"
#include "net/udp_socket.h"
#include "protocol/command_encoder.h"
#include "protocol/frame_builder.h"
#include "protocol/frame_extractor.h"
#include "session/discovery_service.h"
#include "session/full_state_writer.h"
#include "session/owner_loop.h"
#include "session/processor_session.h"
#include "simulated_processor.h"
#include "support/blank_glyphs.h"
#include "support/locked_notices.h"

namespace kestra {
namespace {

using namespace std::chrono_literals;

using testing::BlankGlyphs;
using testing::LockedNotices;
using testing::Notice;

// A virtual processor on its own thread and loopback socket, for a bounded time.
class ProcessorThread {
public:
    explicit ProcessorThread(const char* address, uint16_t port = 0,
                             sim::SimMode mode = sim::SimMode::normal)
        : sim_(mode) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        ::inet_pton(AF_INET, address, &a.sin_addr);
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    ~ProcessorThread() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    bool bound() const { return bound_; }
    uint16_t port() const { return port_; }
    int probes() const { return probes_; }
    std::vector<std::string> received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    void run() {
        FrameExtractor extractor;
        std::optional<DeviceEndpoint> peer;
        const auto start = std::chrono::steady_clock::now();
        auto next_report = start;
        char buf[4096];
        while (!stop_ && std::chrono::steady_clock::now() - start < 20s) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5) > 0) {
                sockaddr_in from{};
                socklen_t len = sizeof from;
                const ssize_t n =
                    ::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
                if (n <= 0) {
                    continue;
                }
                const DeviceEndpoint ep = endpoint_from(from);
                peer = ep;
                extractor.feed(std::string_view(buf, static_cast<std::size_t>(n)),
                               [&](std::string_view frame) {
                                   {
                                       std::lock_guard lock(mutex_);
                                       received_.emplace_back(frame);
                                   }
                                   probes_ += frame[1] == 'R' ? 1 : 0;
                                   for (const auto& reply : sim_.on_frame(frame)) {
                                       for (std::size_t off = 0; off < reply.size(); off += 2048) {
                                           send_datagram(
                                               fd_, std::string_view(reply).substr(off, 2048), ep);
                                       }
                                   }
                               });
            }
            if (peer && sim_.reports_on() && std::chrono::steady_clock::now() >= next_report) {
                next_report += 50ms;
                send_datagram(fd_, sim_.level_report(0.1), *peer);
            }
        }
    }

    sim::SimulatedProcessor sim_;
    int fd_ = -1;
    bool bound_ = false;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> probes_{0};
    std::mutex mutex_;
    std::vector<std::string> received_;
};

uint16_t free_port() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

class SessionTest : public ::testing::Test {
protected:
    std::unique_ptr<ProcessorSession> make_session(uint16_t device_port, uint16_t local_port,
                                                   const Clock* clock = nullptr,
                                                   const std::string& address = "127.0.0.1") {
        SessionSettings s;
        s.control_port = local_port;
        s.device = *DeviceEndpoint::parse(address + ":" + std::to_string(device_port));
        return std::make_unique<ProcessorSession>(
            s,
            [this](std::function<void()> f) {
                ++posts;
                loop.post(std::move(f));
            },
            notices, clock);
    }
    OwnerLoop loop;
    LockedNotices notices;
    std::atomic<int> posts{0};  // calls handed to the owner thread
};

TEST_F(SessionTest, ConnectsReadsTheStateFollowsLevelsAndDisconnects) {
    ProcessorThread processor("127.0.0.1");
    ASSERT_TRUE(processor.bound());
    auto session = make_session(processor.port(), free_port());
    int level_views = 0;
    auto sub = session->level_views().subscribe([&](const LevelView&) { ++level_views; });
    ASSERT_TRUE(session->connect());
    EXPECT_FALSE(session->connect());  // the second press while connecting
    const bool connected =
        loop.run_until([&] { return session->state().system.connected == 1 && level_views >= 3; },
                       5s, [&] { session->tick(); });
    ASSERT_TRUE(connected);
    EXPECT_EQ(session->state().system.device_text.str(), "23");
    EXPECT_EQ(session->state().inputs[4].gain_step, 4);
    EXPECT_TRUE(session->supervisor().online());
    session->disconnect();
    loop.run_for(200ms, [&] { session->tick(); });
    const int views_after = level_views;
    loop.run_for(200ms, [&] { session->tick(); });
    EXPECT_EQ(level_views, views_after);  // no report is taken after the disconnect
    EXPECT_FALSE(session->transport().receive_running());
    const auto wire = processor.received();
    ASSERT_GE(wire.size(), 4u);
    EXPECT_EQ(wire[0], "%Q,01,00,25E0#");
    EXPECT_EQ(wire[1], "%Z,01,F143#");
    EXPECT_EQ(wire[2], "%Q,01,01,B5E1#");
    EXPECT_EQ(wire.back(), "%Q,01,00,25E0#");
    EXPECT_TRUE(notices.all().empty());
}

// The window's lamp hangs on this one stream, so each step of a connect and a disconnect must
// come out once, already agreeing with the rules, the supervisor and the state.
TEST_F(SessionTest, ConnectionStatusIsPublishedOncePerRealChange) {
    ProcessorThread processor("127.0.0.1");
    ASSERT_TRUE(processor.bound());
    auto session = make_session(processor.port(), free_port());
    std::vector<ConnectionStatus> seen;
    auto sub = session->connection_statuses().subscribe([&](const ConnectionStatus& s) {
        EXPECT_EQ(s, ConnectionStatus::of(session->connection(), session->supervisor()));
        EXPECT_EQ(s.connected(), session->state().system.connected != 0);
        seen.push_back(s);
    });
    ASSERT_TRUE(session->connect());
    EXPECT_FALSE(session->connect());  // ignored: nothing new to publish
    ASSERT_TRUE(loop.run_until([&] { return session->state().system.connected == 1; }, 5s,
                               [&] { session->tick(); }));
    loop.run_for(200ms, [&] { session->tick(); });  // level reports: heard already
    EXPECT_TRUE(session->connection_status().online());
    session->disconnect();
    loop.run_for(200ms, [&] { session->tick(); });
    using P = ConnectionPhase;
    EXPECT_EQ(seen, (std::vector<ConnectionStatus>{{P::Connecting, false, false},
                                                   {P::Awaiting, true, false},
                                                   {P::Connected, true, false},
                                                   {P::Offline, false, false}}));
    EXPECT_EQ(session->connection_status(), ConnectionStatus{});
}

// The "L" frames of the first `count` inputs, `gap` apart, as an auto-mixer SYNC change
// queues them.
DatagramList burst(int count, std::chrono::milliseconds gap) {
    const DeviceState state;
    DatagramList list;
    for (int n = 1; n <= count; ++n) {
        for (Datagram d : encode_automix_channel(state, n)) {
            d.gap = gap;
            list.push_back(d);
        }
    }
    return list;
}

bool connect_and_wait(ProcessorSession& session, OwnerLoop& loop) {
    session.connect();
    return loop.run_until([&] { return session.state().system.connected == 1; }, 5s,
                          [&] { session.tick(); });
}

std::vector<std::string> bursts_of(const std::vector<std::string>& wire) {
    std::vector<std::string> out;
    std::copy_if(wire.begin(), wire.end(), std::back_inserter(out),
                 [](const std::string& f) { return f.rfind("%L,", 0) == 0; });
    return out;
}

TEST_F(SessionTest, ADisconnectSendsEveryWaitingFrameInOrderThenReportsOff) {
    ProcessorThread processor("127.0.0.1");
    ASSERT_TRUE(processor.bound());
    auto session = make_session(processor.port(), free_port());
    ASSERT_TRUE(connect_and_wait(*session, loop));
    ASSERT_TRUE(session->sink().send(burst(32, 30ms)));
    session->disconnect();
    EXPECT_TRUE(session->closing());
    ASSERT_TRUE(loop.run_until([&] { return !session->closing(); }, 4s, [&] { session->tick(); }));
    EXPECT_FALSE(session->transport().receive_running());
    loop.run_for(100ms, [&] { session->tick(); });  // the last datagrams reach the peer
    const auto wire = processor.received();
    const auto sent = bursts_of(wire);
    const DatagramList queued = burst(32, 30ms);
    ASSERT_EQ(sent.size(), queued.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i], queued[i].payload);
    }
    EXPECT_EQ(wire.back(), "%Q,01,00,25E0#");
    EXPECT_EQ(session->dropped_at_close(), 0u);
    EXPECT_TRUE(notices.all().empty());
}

TEST_F(SessionTest, AQueueThatCannotDrainInTimeIsDroppedWithANoticeAndReportsStillGoOff) {
    ProcessorThread processor("127.0.0.1");
    ASSERT_TRUE(processor.bound());
    ManualClock clock;
    auto session = make_session(processor.port(), free_port(), &clock);
    ASSERT_TRUE(connect_and_wait(*session, loop));
    ASSERT_TRUE(session->sink().send(burst(32, 100ms)));
    session->disconnect();
    loop.run_for(120ms, [&] { session->tick(); });
    clock.advance(5s);  // past the queue's own pacing plus the grace
    ASSERT_TRUE(loop.run_until([&] { return !session->closing(); }, 2s, [&] { session->tick(); }));
    loop.run_for(100ms, [&] { session->tick(); });
    const auto wire = processor.received();
    const std::size_t left = bursts_of(wire).size();
    EXPECT_GE(left, 1u);
    EXPECT_LT(left, 32u);
    EXPECT_EQ(session->dropped_at_close(), 32u - left);
    EXPECT_EQ(wire.back(), "%Q,01,00,25E0#");
    const auto told = notices.all();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0],
              (Notice{std::to_string(32u - left) +
                          " frames could not be sent before the disconnect and were dropped.",
                      "Warming"}));
}

TEST_F(SessionTest, ADisconnectDuringAWholeStateTransferCountsWhatWasNotSent) {
    ProcessorThread processor("127.0.0.1");
    ASSERT_TRUE(processor.bound());
    auto session = make_session(processor.port(), free_port());
    BlankGlyphs glyphs;
    CommandContext names;
    names.codec = &session->codec();
    names.glyphs = &glyphs;
    AlwaysOk ok;
    ActionContext context(session->state(), session->changes(), session->sink(), notices, ok,
                          session->clock(), names);
    FullStateWriter writer(context);
    session->track_transfers(&writer);
    ASSERT_TRUE(connect_and_wait(*session, loop));
    bool completed = true;
    ASSERT_TRUE(writer.start(FullStateWriter::kRecallNamePause, [&](bool c) { completed = c; }));
    loop.run_for(300ms, [&] { session->tick(); });
    session->disconnect();
    EXPECT_FALSE(writer.running());
    EXPECT_FALSE(completed);
    ASSERT_TRUE(loop.run_until([&] { return !session->closing(); }, 2s, [&] { session->tick(); }));
    loop.run_for(100ms, [&] { session->tick(); });
    const int unsent = FullStateWriter::kCommandCount - writer.current().sent;
    EXPECT_GT(unsent, 600);
    const auto told = notices.all();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], (Notice{"The whole-state transfer was stopped: " + std::to_string(unsent) +
                                   " commands were not sent.",
                               "Warming"}));
    EXPECT_EQ(processor.received().back(), "%Q,01,00,25E0#");
}

TEST_F(SessionTest, PortHeldElsewhereWarnsOnceThenTheAttemptGivesUp) {
    ProcessorThread holder("127.0.0.1");  // its port is our local port: the bind must fail
    ManualClock clock;
    auto session = make_session(free_port(), holder.port(), &clock);
    session->connect();
    EXPECT_FALSE(session->transport().receive_running());
    for (int i = 0; i < 400; ++i) {  // 20 s of 50 ms ticks on the manual clock
        clock.advance(50ms);
        session->tick();
    }
    EXPECT_EQ(notices.all(), (std::vector<Notice>{{"Winsock error! Address already in use, port " +
                                                       std::to_string(holder.port()),
                                                   "Warming"},
                                                  {"CANNOT CONNECT.", ""}}));
    EXPECT_EQ(session->connection().phase(), ConnectionPhase::Offline);
}

TEST_F(SessionTest, SearchAndConnectNeverHoldThePortTogether) {
    ProcessorThread processor("127.0.0.5");
    ASSERT_TRUE(processor.bound());
    const uint16_t local = free_port();
    auto session = make_session(processor.port(), local, nullptr, "127.0.0.5");
    session->connect();
    ASSERT_TRUE(loop.run_until([&] { return session->state().system.connected == 1; }, 5s,
                               [&] { session->tick(); }));
    ASSERT_TRUE(session->transport().receive_running());
    // The search takes the local port at once: the control socket has let it go.
    ASSERT_TRUE(session->start_search(*DeviceEndpoint::parse("127.0.0.1")));
    EXPECT_FALSE(session->transport().receive_running());
    loop.run_until([&] { return session->discovery().sweep_done(); }, 10s, nullptr);
    loop.run_for(200ms, nullptr);
    ASSERT_EQ(session->discovery().list().rows().size(), 1u);
    EXPECT_EQ(session->discovery().list().rows()[0].address, "127.0.0.5");
    // And connecting ends the search before binding again.
    session->connect();
    EXPECT_FALSE(session->discovery().running());
    EXPECT_TRUE(session->transport().receive_running());
    EXPECT_TRUE(notices.all().empty());
}

TEST_F(SessionTest, RefusesAnAddressTextThatIsNotAnAddress) {
    auto session = make_session(free_port(), free_port());
    const DeviceEndpoint before = session->device();
    EXPECT_FALSE(session->take_device_address("192.168.1.255.7"));
    EXPECT_FALSE(session->take_device_address(""));
    EXPECT_EQ(session->device(), before);
    EXPECT_EQ(notices.all().size(), 2u);
    EXPECT_TRUE(session->take_device_address("127.0.0.3:4000"));
    EXPECT_EQ(session->device().text(), "127.0.0.3:4000");
}

// --- who may speak ------------------------------------------------------------------------

// A socket of the test's own on a loopback address: a scripted processor or a stranger.
class Speaker {
public:
    explicit Speaker(const char* address)
        : socket_(UdpSocket::bind(0, DeviceEndpoint::parse(address))) {}
    bool ok() const { return socket_.valid(); }
    uint16_t port() const { return socket_.port(); }
    // Sends `text` to 127.0.0.1:`port` in datagrams of at most 2048 bytes, as the processor
    // splits its long replies; returns the number of datagrams.
    int send(uint16_t port, const std::string& text) const {
        DeviceEndpoint to = *DeviceEndpoint::parse("127.0.0.1");
        to.port = port;
        int count = 0;
        for (std::size_t off = 0; off < text.size(); off += 2048, ++count) {
            send_datagram(socket_.fd(), std::string_view(text).substr(off, 2048), to);
        }
        return count;
    }
    // The frames that arrive within `timeout`.
    std::vector<std::string> receive(std::chrono::milliseconds timeout) {
        std::vector<std::string> frames;
        const auto end = std::chrono::steady_clock::now() + timeout;
        char buf[4096];
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{socket_.fd(), POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0) {
                continue;
            }
            const ssize_t n = ::recv(socket_.fd(), buf, sizeof buf, 0);
            if (n > 0) {
                extractor_.feed(std::string_view(buf, static_cast<std::size_t>(n)),
                                [&](std::string_view f) { frames.emplace_back(f); });
            }
        }
        return frames;
    }

private:
    UdpSocket socket_;
    FrameExtractor extractor_;
};

// A virtual processor whose channels all differ from the real one's: volume 3, gain step 37.
sim::SimulatedProcessor impostor() {
    sim::SimulatedProcessor s;
    for (InputChannel& in : s.state().inputs) {
        in.volume = 3;
        in.gain_step = 37;
    }
    for (OutputChannel& out : s.state().outputs) {
        out.volume = 3;
    }
    return s;
}

class WhoMaySpeakTest : public SessionTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(processor.ok());
        ASSERT_TRUE(stranger.ok());
        ASSERT_TRUE(neighbour.ok());
        local = free_port();
    }

    // Connects to the scripted processor, which answers the read with the simulator's "Z"
    // and "Y" and then stays quiet unless the test makes it speak.
    void connect() {
        session = make_session(processor.port(), local, clock, "127.0.0.5");
        changes = session->changes().subscribe([this](const StateChange& c) {
            if (c.from_processor()) {
                ++processor_changes;
            }
        });
        // Level reports have their own stream; they count as the processor's changes too.
        levels = session->dispatcher().levels().subscribe(
            [this](const LevelReport&) { ++processor_changes; });
        ASSERT_TRUE(session->connect());
        for (const std::string& frame : processor.receive(300ms)) {
            for (const std::string& reply : real.on_frame(frame)) {
                processor.send(local, reply);
            }
        }
        ASSERT_TRUE(loop.run_until([&] { return session->state().system.connected == 1; }, 3s,
                                   [&] { session->tick(); }));
    }

    // Runs the owner loop until the receive thread has dropped `count` foreign datagrams.
    bool foreign_seen(uint64_t count) {
        return loop.run_until([&] { return session->foreign_datagrams() >= count; }, 3s,
                              [&] { session->tick(); });
    }

    Speaker processor{"127.0.0.5"};
    Speaker stranger{"127.0.0.9"};
    Speaker neighbour{"127.0.0.5"};  // the processor's address, another port
    sim::SimulatedProcessor real;
    uint16_t local = 0;
    const Clock* clock = nullptr;
    std::unique_ptr<ProcessorSession> session;
    Publisher<StateChange>::Subscription changes;
    Publisher<LevelReport>::Subscription levels;
    int processor_changes = 0;
};

TEST_F(WhoMaySpeakTest, AnotherSendersStateNamesAndFadersChangeNothing) {
    connect();
    const DeviceState before = session->state();
    processor_changes = 0;
    sim::SimulatedProcessor other = impostor();
    int sent = 0;
    for (const Speaker* s : {&stranger, &neighbour}) {
        for (const std::string& reply : other.on_frame(encode_frame('Z', {"01"}))) {
            sent += s->send(local, reply);  // its "Z", then its "Y"
        }
        sent += s->send(local, other.fader_report());
    }
    ASSERT_TRUE(foreign_seen(static_cast<uint64_t>(sent)));
    loop.run_for(100ms, [&] { session->tick(); });
    EXPECT_EQ(session->foreign_datagrams(), static_cast<uint64_t>(sent));
    EXPECT_EQ(processor_changes, 0);
    for (std::size_t k = 0; k < kInputCount; ++k) {
        EXPECT_EQ(session->state().inputs[k].volume, before.inputs[k].volume) << k;
        EXPECT_EQ(session->state().inputs[k].gain_step, before.inputs[k].gain_step) << k;
        EXPECT_EQ(session->state().inputs[k].short_name, before.inputs[k].short_name) << k;
    }
    EXPECT_EQ(session->state().outputs[3].volume, before.outputs[3].volume);
    // The processor itself is still heard.
    processor.send(local, other.fader_report());
    ASSERT_TRUE(loop.run_until([&] { return session->state().inputs[0].volume == 3; }, 2s,
                               [&] { session->tick(); }));
    EXPECT_EQ(processor_changes, 1);
}

TEST_F(WhoMaySpeakTest, AConnectReplyFromAnotherSenderDoesNotCompleteTheConnect) {
    session = make_session(processor.port(), local, nullptr, "127.0.0.5");
    ASSERT_TRUE(session->connect());  // the scripted processor never answers
    sim::SimulatedProcessor other = impostor();
    int sent = 0;
    for (const std::string& reply : other.on_frame(encode_frame('Z', {"01"}))) {
        sent += stranger.send(local, reply);
    }
    ASSERT_TRUE(foreign_seen(static_cast<uint64_t>(sent)));
    loop.run_for(100ms, [&] { session->tick(); });
    EXPECT_EQ(session->state().system.connected, 0);
    EXPECT_EQ(session->connection().phase(), ConnectionPhase::Connecting);
    EXPECT_EQ(session->state().inputs[0].gain_step, DeviceState{}.inputs[0].gain_step);
}

TEST_F(WhoMaySpeakTest, AnotherSendersLevelReportsDoNotKeepASilentProcessorOnline) {
    ManualClock manual;
    clock = &manual;
    connect();
    processor.send(local, real.level_report(0.1));
    ASSERT_TRUE(loop.run_until(
        [&] { return session->dispatcher().report_count() == 1 && session->supervisor().online(); },
        2s, [&] { session->tick(); }));
    // The processor falls silent; a stranger goes on reporting after the silence began.
    manual.advance(ReportSupervisor::kSilence + 1s);
    sim::SimulatedProcessor other = impostor();
    for (int i = 0; i < 20; ++i) {
        stranger.send(local, other.level_report(0.05 * i));
    }
    ASSERT_TRUE(foreign_seen(20));
    loop.run_for(100ms, [&] { session->tick(); });
    EXPECT_FALSE(session->supervisor().online());
    EXPECT_EQ(session->state().system.connected, 1);  // the connection itself stays
}

TEST_F(WhoMaySpeakTest, AStrangersFloodIsDroppedOnTheReceiveThread) {
    connect();
    const DeviceState before = session->state();
    processor_changes = 0;
    const int posts_before = posts.load();
    const FrameHandover::Stats handed_before = session->handover_stats();
    const std::string report = impostor().fader_report();
    constexpr int kFlood = 5000;
    for (int i = 0; i < kFlood; ++i) {
        stranger.send(local, report);
    }
    // The processor's echo comes after the flood on the same socket, so once it is in, every
    // datagram of the flood the kernel kept has been looked at. Loopback may drop some of a
    // flood, the echo too, so it goes again until it arrives.
    const std::string echo = encode_frame('G', {"01"});
    int echoes = 0;
    bool arrived = false;
    for (int attempt = 0; attempt < 50 && !arrived; ++attempt) {
        processor.send(local, echo);
        ++echoes;
        arrived = loop.run_until(
            [&] { return session->handover_stats().frames.taken > handed_before.frames.taken; },
            100ms, [&] { session->tick(); });
    }
    ASSERT_TRUE(arrived);
    loop.run_for(50ms, [&] { session->tick(); });
    const FrameHandover::Stats handed = session->handover_stats();
    EXPECT_GT(session->foreign_datagrams(), 0u);
    EXPECT_LE(session->foreign_datagrams(), static_cast<uint64_t>(kFlood));
    // Only the echoes reached the owner thread, each through a drain, none of the flood.
    EXPECT_GE(handed.frames.taken - handed_before.frames.taken, 1u);
    EXPECT_LE(handed.frames.taken - handed_before.frames.taken, static_cast<uint64_t>(echoes));
    EXPECT_EQ(static_cast<uint64_t>(posts.load() - posts_before),
              handed.drains - handed_before.drains);
    EXPECT_LE(posts.load() - posts_before, echoes);
    EXPECT_EQ(session->state().inputs[0].volume, before.inputs[0].volume);
    EXPECT_EQ(processor_changes, 0);
}

TEST_F(WhoMaySpeakTest, TheProcessorsOwnFloodWaitsAsOneReportAndOneDrain) {
    connect();
    processor_changes = 0;
    int levels_shown = 0;
    auto level_sub = session->level_views().subscribe([&](const LevelView&) { ++levels_shown; });
    const int posts_before = posts.load();
    const FrameHandover::Stats handed_before = session->handover_stats();
    // The owner thread is busy elsewhere (the loop does not run) while the reports pour in.
    sim::SimulatedProcessor other = impostor();
    constexpr int kFlood = 5000;
    for (int i = 0; i < kFlood; ++i) {
        processor.send(local, i % 2 == 0 ? other.fader_report(i % 7) : real.level_report(0.01 * i));
    }
    // Until the receive thread has read what the kernel kept, so the last two are not lost.
    uint64_t seen = 0;
    for (int i = 0; i < 200 && seen != session->handover_stats().frames.taken; ++i) {
        seen = session->handover_stats().frames.taken;
        std::this_thread::sleep_for(10ms);
    }
    const std::string last = other.fader_report(10);  // volume 13 everywhere
    const std::string echo = encode_frame('G', {"01"});
    processor.send(local, last);
    processor.send(local, echo);
    // Waits on the receive thread's counts only; the owner loop stays still.
    FrameHandover::Stats handed = session->handover_stats();
    for (int i = 0; i < 2000 && handed.waiting < 3; ++i) {
        std::this_thread::sleep_for(1ms);
        handed = session->handover_stats();
    }
    // One fader report, one level report and the echo wait, however many arrived; the first
    // frame asked for the one drain there is.
    ASSERT_EQ(handed.waiting, 3u);
    EXPECT_LT(handed.waiting_bytes, 1024u);
    EXPECT_GT(handed.frames.replaced - handed_before.frames.replaced, 2u);
    EXPECT_EQ(posts.load() - posts_before, 1);
    EXPECT_EQ(handed.drains - handed_before.drains, 1u);

    loop.run_for(100ms, [&] { session->tick(); });
    EXPECT_EQ(session->handover_stats().waiting, 0u);
    EXPECT_EQ(session->state().inputs[0].volume, 13);
    EXPECT_EQ(session->state().outputs[15].volume, 13);
    EXPECT_EQ(processor_changes, 2);  // the faders once, the levels once
    EXPECT_EQ(levels_shown, 2);       // the meters once for each
}

TEST(DiscoveryServiceTest, FindsEachProcessorOnceAndProbesEveryAddressTwice) {
    ProcessorThread a("127.0.0.5");
    ASSERT_TRUE(a.bound());
    ProcessorThread b("127.0.0.9", a.port());
    ASSERT_TRUE(b.bound());
    OwnerLoop loop;
    LockedNotices notices;
    DiscoveryService discovery([&](std::function<void()> f) { loop.post(std::move(f)); }, notices);
    ASSERT_TRUE(discovery.start(*DeviceEndpoint::parse("127.0.0.1"), free_port(), a.port()));
    loop.run_until([&] { return discovery.sweep_done(); }, 10s, nullptr);
    loop.run_for(300ms, nullptr);
    EXPECT_EQ(discovery.probes_sent(), 253 * 2);  // .2 to .254; the host .1 is outside anyway
    ASSERT_EQ(discovery.list().rows().size(), 2u);
    EXPECT_EQ(discovery.list().rows()[0].address, "127.0.0.5");
    EXPECT_EQ(discovery.list().rows()[1].address, "127.0.0.9");
    EXPECT_EQ(discovery.list().rows()[0].port, a.port());
    EXPECT_EQ(a.probes(), 2);
    discovery.stop();
    EXPECT_FALSE(discovery.running());
    EXPECT_TRUE(notices.all().empty());
}

// Anyone may answer a search, so a flood of answers must not become a flood of calls.
TEST(DiscoveryServiceTest, AFloodOfAnswersReachesTheOwnerOncePerAddress) {
    OwnerLoop loop;
    std::atomic<int> posts{0};
    LockedNotices notices;
    DiscoveryService discovery(
        [&](std::function<void()> f) {
            ++posts;
            loop.post(std::move(f));
        },
        notices);
    const uint16_t local = free_port();
    ASSERT_TRUE(discovery.start(*DeviceEndpoint::parse("127.0.0.1"), local, free_port()));
    sim::SimulatedProcessor answering;
    const std::vector<std::string> answer = answering.on_frame(Discovery::kProbe);
    ASSERT_EQ(answer.size(), 1u);
    Speaker flooder("127.0.0.9");
    Speaker last("127.0.0.10");
    for (int i = 0; i < 500; ++i) {
        flooder.send(local, answer[0]);
    }
    // Once the later sender is listed, every answer of the flood that arrived has been read.
    bool listed = false;
    for (int attempt = 0; attempt < 20 && !listed; ++attempt) {
        last.send(local, answer[0]);
        listed =
            loop.run_until([&] { return discovery.list().rows().size() == 2; }, 200ms, nullptr);
    }
    ASSERT_TRUE(listed);
    loop.run_for(50ms, nullptr);
    discovery.stop();
    EXPECT_EQ(posts.load(), 2);
    EXPECT_EQ(discovery.list().rows()[0].address, "127.0.0.9");
    EXPECT_EQ(discovery.list().rows()[1].address, "127.0.0.10");
    EXPECT_TRUE(notices.all().empty());
}

TEST(DiscoveryServiceTest, APortHeldElsewhereIsToldOnceAsAWarningAndNothingRuns) {
    ProcessorThread holder("127.0.0.1");  // its port is the listener's: the bind must fail
    ASSERT_TRUE(holder.bound());
    OwnerLoop loop;
    LockedNotices notices;
    DiscoveryService discovery([&](std::function<void()> f) { loop.post(std::move(f)); }, notices);
    EXPECT_FALSE(discovery.start(*DeviceEndpoint::parse("127.0.0.1"), holder.port(), free_port()));
    EXPECT_FALSE(discovery.running());
    EXPECT_EQ(discovery.probes_sent(), 0);
    EXPECT_EQ(notices.all(), (std::vector<Notice>{{"Winsock error! Address already in use, port " +
                                                       std::to_string(holder.port()),
                                                   "Warming"}}));
}

}  // namespace
}  // namespace kestra
