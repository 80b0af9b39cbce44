#include "net/udp_transport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "loopback_peer.h"
#include "net/net_sandbox.h"
#include "net/udp_socket.h"
#include "protocol/frame_builder.h"
#include "support/locked_notices.h"

namespace kestra {
namespace {

using namespace std::chrono_literals;
using testing_net::FrameInbox;
using testing_net::LoopbackPeer;

using testing::LockedNotices;
using testing::Notice;

Datagram piece(std::string payload, std::chrono::milliseconds gap = Datagram::kFrameGap) {
    Datagram d;
    d.payload = std::move(payload);
    d.gap = gap;
    return d;
}

Datagram keyed(std::string payload, std::string key) {
    Datagram d;
    d.payload = std::move(payload);
    d.coalesce_key = std::move(key);
    return d;
}

std::vector<std::string> payloads(const std::vector<LoopbackPeer::Arrival>& arrivals) {
    std::vector<std::string> out;
    for (const auto& a : arrivals) {
        out.push_back(a.payload);
    }
    return out;
}

template <class Pred>
bool eventually(Pred pred, std::chrono::milliseconds limit = 2s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(NetSandbox::mode(), NetSandbox::Mode::loopback);
        ASSERT_TRUE(peer.ok());
    }

    FrameInbox inbox;
    LockedNotices notices;
    UdpTransport transport{[this](std::string frame) { inbox.post(std::move(frame)); }, notices};
    LoopbackPeer peer;

    const std::string frame_r = "%R,01,04,F0A2#";
    const std::string frame_s = encode_frame('S', {"01"});
    const std::string frame_v = encode_frame('V', {"01", "7F"});
};

// --- paced sender --------------------------------------------------------------------------

TEST_F(TransportTest, SendsInOrderAndNeverShortensAGap) {
    ASSERT_TRUE(transport.start(0));
    transport.set_destination(peer.endpoint());
    const std::vector<std::chrono::milliseconds> gaps = {10ms, 10ms, 25ms, 10ms, 15ms, 10ms, 0ms};
    DatagramList list;
    for (std::size_t i = 0; i < gaps.size(); ++i) {
        list.push_back(piece("P" + std::to_string(i), gaps[i]));
    }
    ASSERT_TRUE(transport.send(list));
    // The caller is not held up by the pauses: part of the list is still waiting.
    EXPECT_GE(transport.queued(), 1u);

    const auto got = peer.receive_until("P" + std::to_string(gaps.size() - 1));
    std::vector<std::string> expected;
    for (const auto& d : list) {
        expected.push_back(d.payload);
    }
    ASSERT_EQ(payloads(got), expected);
    for (std::size_t i = 0; i + 1 < got.size(); ++i) {
        // Receive-side jitter may only make an arrival look early by a little.
        EXPECT_GE(got[i + 1].at - got[i].at, gaps[i] - 500us) << "after " << got[i].payload;
    }
    // Counted just after each send, so possibly after the arrival.
    EXPECT_TRUE(eventually([&] { return transport.stats().sent == gaps.size(); }));
}

TEST_F(TransportTest, GapsHoldAcrossSeparateSends) {
    ASSERT_TRUE(transport.start(0));
    transport.set_destination(peer.endpoint());
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(transport.send({piece("F" + std::to_string(i))}));
    }
    const auto got = peer.receive_until("F4");
    ASSERT_EQ(payloads(got), (std::vector<std::string>{"F0", "F1", "F2", "F3", "F4"}));
    for (std::size_t i = 0; i + 1 < got.size(); ++i) {
        EXPECT_GE(got[i + 1].at - got[i].at, Datagram::kFrameGap - 500us);
    }
}

TEST_F(TransportTest, QueuedFaderFrameIsReplacedByTheLatestValue) {
    ASSERT_TRUE(transport.start(0));
    transport.set_destination(peer.endpoint());
    // The long pause after the first datagram keeps everything behind it waiting.
    ASSERT_TRUE(transport.send({piece("X", 200ms)}));
    for (int v = 1; v <= 10; ++v) {
        ASSERT_TRUE(transport.send({keyed("A=" + std::to_string(v), "A:01:03")}));
    }
    ASSERT_TRUE(transport.send({piece("END")}));
    EXPECT_EQ(payloads(peer.receive_until("END")), (std::vector<std::string>{"X", "A=10", "END"}));
    EXPECT_EQ(transport.stats().coalesced, 9u);
}

TEST_F(TransportTest, ReplacementKeepsTheQueuePositionOfTheFirst) {
    ASSERT_TRUE(transport.start(0));
    transport.set_destination(peer.endpoint());
    ASSERT_TRUE(transport.send({piece("X", 200ms)}));
    ASSERT_TRUE(transport.send({keyed("A=1", "A:01")}));
    ASSERT_TRUE(transport.send({piece("P")}));
    ASSERT_TRUE(transport.send({keyed("B=1", "A:02")}));
    ASSERT_TRUE(transport.send({keyed("A=2", "A:01"), piece("END")}));
    EXPECT_EQ(payloads(peer.receive_until("END")),
              (std::vector<std::string>{"X", "A=2", "P", "B=1", "END"}));
}

TEST_F(TransportTest, PiecesAreNeverCoalesced) {
    ASSERT_TRUE(transport.start(0));
    transport.set_destination(peer.endpoint());
    ASSERT_TRUE(transport.send({piece("X", 100ms)}));
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(transport.send({piece("same")}));
    }
    ASSERT_TRUE(transport.send({piece("END")}));
    EXPECT_EQ(payloads(peer.receive_until("END")),
              (std::vector<std::string>{"X", "same", "same", "same", "same", "END"}));
    EXPECT_EQ(transport.stats().coalesced, 0u);
}

TEST_F(TransportTest, SendsFromTheControlPortSoRepliesComeBack) {
    ASSERT_TRUE(transport.start(0));
    transport.set_destination(peer.endpoint());
    ASSERT_TRUE(transport.send({piece(frame_r)}));
    const auto got = peer.receive();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->from_port, transport.local_port());
    ASSERT_TRUE(peer.send_to(got->from_port, frame_v));
    EXPECT_EQ(inbox.wait_for(1), (std::vector<std::string>{frame_v}));
}

TEST_F(TransportTest, SendFailsWithoutSocketOrDestination) {
    EXPECT_FALSE(transport.send({piece("early")}));
    ASSERT_TRUE(transport.start(0));
    EXPECT_FALSE(transport.send({piece("nowhere")}));
    transport.set_destination(peer.endpoint());
    EXPECT_TRUE(transport.send({piece("one")}));
    ASSERT_TRUE(peer.receive().has_value());

    ::testing::internal::CaptureStderr();
    transport.stop();
    EXPECT_FALSE(transport.receive_running());
    EXPECT_FALSE(transport.send({piece("late")}));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(notices.all().empty());
}

TEST_F(TransportTest, SandboxRefusesOtherNetworksBeforeQueueing) {
    ASSERT_TRUE(transport.start(0));
    for (const char* text : {"10.1.2.3", "192.168.1.106"}) {
        transport.set_destination(*DeviceEndpoint::parse(text));
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(transport.send({piece(frame_r)})) << text;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(text), std::string::npos) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
        EXPECT_EQ(transport.queued(), 0u);
    }
    transport.set_destination(peer.endpoint());
    EXPECT_TRUE(transport.send({piece(frame_r)}));
    const auto got = peer.receive();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->payload, frame_r);
    EXPECT_TRUE(eventually([&] { return transport.stats().sent == 1u; }));
    EXPECT_EQ(transport.stats().failed, 0u);
}

// --- receive side --------------------------------------------------------------------------

TEST_F(TransportTest, PortHeldElsewhereGivesOneNoticeAndNoLoop) {
    LoopbackPeer holder;
    ASSERT_TRUE(holder.ok());
    EXPECT_FALSE(transport.start(holder.port()));
    EXPECT_EQ(notices.all(), (std::vector<Notice>{{"Winsock error! Address already in use, port " +
                                                       std::to_string(holder.port()),
                                                   "Warming"}}));
    EXPECT_FALSE(transport.receive_running());
    EXPECT_EQ(transport.local_port(), 0);
    transport.set_destination(peer.endpoint());
    EXPECT_FALSE(transport.send({piece(frame_r)}));
    EXPECT_EQ(notices.all().size(), 1u);
}

// Sharing needs SO_REUSEADDR on both sockets; the control socket must never offer it.
TEST_F(TransportTest, PortHeldBySharingSocketStillFails) {
    LoopbackPeer holder(true);
    ASSERT_TRUE(holder.ok());
    EXPECT_FALSE(transport.start(holder.port()));
    EXPECT_EQ(notices.all(), (std::vector<Notice>{{"Winsock error! Address already in use, port " +
                                                       std::to_string(holder.port()),
                                                   "Warming"}}));
    EXPECT_FALSE(transport.receive_running());
}

TEST(UdpSocketTest, BindsOneOwnerPerPortAndFreesItWithItsLastOwner) {
    const auto loopback = DeviceEndpoint::parse("127.0.0.3");
    UdpSocket first = UdpSocket::bind(0, loopback);
    ASSERT_TRUE(first.valid());
    const uint16_t port = first.port();
    EXPECT_NE(port, 0);
    EXPECT_FALSE(UdpSocket::bind(port, loopback).valid());
    EXPECT_FALSE(UdpSocket::bind(port).valid());  // all addresses overlap the held one

    UdpSocket moved = std::move(first);
    EXPECT_FALSE(first.valid());
    EXPECT_EQ(moved.port(), port);
    moved = UdpSocket{};  // closes the only descriptor
    UdpSocket again = UdpSocket::bind(port, loopback, UdpSocket::Mode::NonBlocking);
    EXPECT_TRUE(again.valid());
    EXPECT_EQ(again.port(), port);
}

TEST_F(TransportTest, FramesFromAnySenderAreHandedOver) {
    ASSERT_TRUE(transport.start(0));
    EXPECT_TRUE(transport.receive_running());
    LoopbackPeer other;
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(peer.send_to(transport.local_port(), frame_r));
    ASSERT_EQ(inbox.wait_for(1).size(), 1u);
    ASSERT_TRUE(other.send_to(transport.local_port(), frame_v));
    EXPECT_EQ(inbox.wait_for(2), (std::vector<std::string>{frame_r, frame_v}));
}

// --- who may speak ------------------------------------------------------------------------

TEST_F(TransportTest, OnceASenderIsNamedOthersAreCountedAndDropped) {
    LoopbackPeer other;  // the same address, another port
    ASSERT_TRUE(other.ok());
    transport.accept_only(peer.endpoint());
    ASSERT_TRUE(transport.start(0));
    ASSERT_TRUE(other.send_to(transport.local_port(), frame_v));
    ASSERT_TRUE(other.send_to(transport.local_port(), frame_s));
    ASSERT_TRUE(peer.send_to(transport.local_port(), frame_r));
    EXPECT_EQ(inbox.wait_for(1), (std::vector<std::string>{frame_r}));
    EXPECT_TRUE(eventually([&] { return transport.foreign_datagrams() == 2u; }));
    // Named again as nobody: everyone is heard.
    transport.accept_only(std::nullopt);
    ASSERT_TRUE(other.send_to(transport.local_port(), frame_v));
    EXPECT_EQ(inbox.wait_for(2), (std::vector<std::string>{frame_r, frame_v}));
    EXPECT_EQ(transport.foreign_datagrams(), 2u);
    // The count belongs to one connection.
    ASSERT_TRUE(transport.start(0));
    EXPECT_EQ(transport.foreign_datagrams(), 0u);
}

// A stranger's start of a frame must not be completed by the processor's next datagram.
TEST_F(TransportTest, AStrangersPieceNeverJoinsTheSendersText) {
    LoopbackPeer other;
    ASSERT_TRUE(other.ok());
    transport.accept_only(peer.endpoint());
    ASSERT_TRUE(transport.start(0));
    ASSERT_TRUE(other.send_to(transport.local_port(), frame_r.substr(0, 7)));
    ASSERT_TRUE(eventually([&] { return transport.foreign_datagrams() == 1u; }));
    ASSERT_TRUE(peer.send_to(transport.local_port(), frame_r.substr(7)));
    ASSERT_TRUE(peer.send_to(transport.local_port(), frame_s));
    EXPECT_EQ(inbox.wait_for(1), (std::vector<std::string>{frame_s}));
}

TEST_F(TransportTest, FrameSplitAcrossDatagramsIsJoined) {
    ASSERT_TRUE(transport.start(0));
    ASSERT_TRUE(peer.send_to(transport.local_port(), "%R,01,0"));
    ASSERT_TRUE(peer.send_to(transport.local_port(), "4,F0A2#"));
    ASSERT_TRUE(peer.send_to(transport.local_port(), frame_s));
    EXPECT_EQ(inbox.wait_for(2), (std::vector<std::string>{frame_r, frame_s}));
}

TEST_F(TransportTest, TextEndsAtTheFirstNul) {
    ASSERT_TRUE(transport.start(0));
    std::string datagram = frame_r;
    datagram.push_back('\0');
    datagram += frame_v;
    ASSERT_TRUE(peer.send_to(transport.local_port(), datagram));
    ASSERT_TRUE(peer.send_to(transport.local_port(), frame_s));
    EXPECT_EQ(inbox.wait_for(2), (std::vector<std::string>{frame_r, frame_s}));
}

// A full buffer has no NUL after it. The short datagram that follows would pick up the
// rest of frame_r from the old buffer contents if the text ran past the bytes received.
TEST_F(TransportTest, FullSizeDatagramIsExactly2048CharactersOfText) {
    ASSERT_TRUE(transport.start(0));
    std::string full = frame_r;
    full.append(2048 - frame_r.size() - frame_v.size(), 'x');
    full += frame_v;
    ASSERT_EQ(full.size(), 2048u);
    ASSERT_TRUE(peer.send_to(transport.local_port(), full));
    ASSERT_TRUE(peer.send_to(transport.local_port(), frame_r.substr(0, 7)));
    ASSERT_TRUE(peer.send_to(transport.local_port(), frame_s));
    EXPECT_EQ(inbox.wait_for(3), (std::vector<std::string>{frame_r, frame_v, frame_s}));
}

TEST_F(TransportTest, LongerDatagramIsCutAt2048Bytes) {
    ASSERT_TRUE(transport.start(0));
    std::string longer(2100 - frame_v.size(), 'x');
    longer += frame_v;  // starts past byte 2048
    ASSERT_TRUE(peer.send_to(transport.local_port(), longer));
    ASSERT_TRUE(peer.send_to(transport.local_port(), frame_s));
    EXPECT_EQ(inbox.wait_for(1), (std::vector<std::string>{frame_s}));
}

// --- lifecycle -----------------------------------------------------------------------------

TEST_F(TransportTest, StopThenStartOnTheSamePortWorksAtOnce) {
    ASSERT_TRUE(transport.start(0));
    const uint16_t port = transport.local_port();
    ASSERT_NE(port, 0);
    for (int round = 0; round < 3; ++round) {
        transport.stop();
        EXPECT_FALSE(transport.receive_running());
        ASSERT_TRUE(transport.start(port)) << "round " << round;
        EXPECT_EQ(transport.local_port(), port);
    }
    EXPECT_TRUE(notices.all().empty());
    ASSERT_TRUE(peer.send_to(port, frame_r));
    EXPECT_EQ(inbox.wait_for(1), (std::vector<std::string>{frame_r}));
}

TEST_F(TransportTest, StartWhileRunningReplacesTheLoop) {
    ASSERT_TRUE(transport.start(0));
    const uint16_t port = transport.local_port();
    ASSERT_TRUE(transport.start(port));
    EXPECT_TRUE(transport.receive_running());
    ASSERT_TRUE(peer.send_to(port, frame_r));
    EXPECT_EQ(inbox.wait_for(1), (std::vector<std::string>{frame_r}));
}

TEST_F(TransportTest, StopWhileIdleDoesNotEndTheNextLoop) {
    transport.stop();
    transport.stop();
    ASSERT_TRUE(transport.start(0));
    ASSERT_TRUE(peer.send_to(transport.local_port(), frame_r));
    EXPECT_EQ(inbox.wait_for(1), (std::vector<std::string>{frame_r}));
    EXPECT_TRUE(transport.receive_running());
}

TEST_F(TransportTest, PendingTextDoesNotSurviveARestart) {
    ASSERT_TRUE(transport.start(0));
    const uint16_t port = transport.local_port();
    // The frame in front proves the loop has read the start of frame_r into its pending text.
    ASSERT_TRUE(peer.send_to(port, frame_s + frame_r.substr(0, 7)));
    ASSERT_EQ(inbox.wait_for(1), (std::vector<std::string>{frame_s}));
    transport.stop();
    ASSERT_TRUE(transport.start(port));
    ASSERT_TRUE(peer.send_to(port, frame_r.substr(7)));
    ASSERT_TRUE(peer.send_to(port, frame_v));
    EXPECT_EQ(inbox.wait_for(2), (std::vector<std::string>{frame_s, frame_v}));
}

TEST_F(TransportTest, StopFromTheReceiveThreadDoesNotDeadlock) {
    UdpTransport* self = nullptr;
    UdpTransport t(
        [&](std::string frame) {
            inbox.post(std::move(frame));
            self->stop();
        },
        notices);
    self = &t;
    ASSERT_TRUE(t.start(0));
    ASSERT_TRUE(peer.send_to(t.local_port(), frame_r));
    ASSERT_EQ(inbox.wait_for(1).size(), 1u);
    EXPECT_TRUE(eventually([&] { return !t.receive_running(); }));
    EXPECT_FALSE(t.send({piece("late")}));
    ASSERT_TRUE(t.start(0));
    ASSERT_TRUE(peer.send_to(t.local_port(), frame_v));
    EXPECT_EQ(inbox.wait_for(2), (std::vector<std::string>{frame_r, frame_v}));
}

}  // namespace
}  // namespace kestra
