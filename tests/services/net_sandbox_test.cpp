#include "net/net_sandbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "loopback_peer.h"

namespace kestra {
namespace {

// These tests must stay off real networks when run by hand as well as under CTest. Set
// before main, while no thread exists, and before anything reads the mode.
const bool kSandboxForced = [] { return ::setenv("KESTRA_NET_SANDBOX", "loopback", 1) == 0; }();

DeviceEndpoint endpoint(const char* text) {
    const auto ep = DeviceEndpoint::parse(text);
    EXPECT_TRUE(ep.has_value()) << text;
    return ep.value_or(DeviceEndpoint{});
}

int count_lines(const std::string& text) {
    int lines = 0;
    for (char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

TEST(NetSandbox, IsOnForEveryTest) {
    ASSERT_TRUE(kSandboxForced);
    EXPECT_EQ(NetSandbox::mode(), NetSandbox::Mode::loopback);
}

TEST(NetSandbox, ModeFromEnvironmentFailsClosed) {
    using M = NetSandbox::Mode;
    EXPECT_EQ(NetSandbox::mode_from(nullptr), M::off);
    EXPECT_EQ(NetSandbox::mode_from(""), M::off);
    EXPECT_EQ(NetSandbox::mode_from("off"), M::off);
    EXPECT_EQ(NetSandbox::mode_from("loopback"), M::loopback);
    EXPECT_EQ(NetSandbox::mode_from("Loopback"), M::loopback);
    EXPECT_EQ(NetSandbox::mode_from("1"), M::loopback);
}

TEST(NetSandbox, LoopbackModeAllowsOnly127Slash8) {
    using M = NetSandbox::Mode;
    EXPECT_TRUE(NetSandbox::allows(M::loopback, endpoint("127.0.0.1")));
    EXPECT_TRUE(NetSandbox::allows(M::loopback, endpoint("127.255.3.4:5")));
    EXPECT_FALSE(NetSandbox::allows(M::loopback, endpoint("10.1.2.3")));
    EXPECT_FALSE(NetSandbox::allows(M::loopback, endpoint("192.168.1.106")));
    EXPECT_FALSE(NetSandbox::allows(M::loopback, endpoint("172.16.0.1")));
    EXPECT_FALSE(NetSandbox::allows(M::loopback, endpoint("128.0.0.1")));
    EXPECT_FALSE(NetSandbox::allows(M::loopback, endpoint("255.255.255.255")));
    EXPECT_FALSE(NetSandbox::allows(M::loopback, endpoint("0.0.0.0")));
    EXPECT_TRUE(NetSandbox::allows(M::off, endpoint("10.1.2.3")));
}

// An invalid descriptor tells the two outcomes apart without any chance of a datagram
// leaving: "refused" means no socket call was made, "failed" that the socket layer was asked.
TEST(NetSandbox, RefusesBeforeAnySocketCallAndSaysSoOnce) {
    for (const char* text : {"10.1.2.3", "192.168.1.106:39040"}) {
        ::testing::internal::CaptureStderr();
        const SendStatus status = send_datagram(-1, "%R,01,04,F0A2#", endpoint(text));
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, SendStatus::refused) << text;
        EXPECT_EQ(count_lines(err), 1) << err;
        EXPECT_NE(err.find(endpoint(text).address()), std::string::npos) << err;
    }
}

TEST(NetSandbox, LetsLoopbackThroughToTheSocketLayer) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(send_datagram(-1, "x", endpoint("127.0.0.1:9")), SendStatus::failed);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    testing_net::LoopbackPeer a;
    testing_net::LoopbackPeer b;
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_TRUE(a.send_to(b.port(), "hello"));
    const auto got = b.receive();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->payload, "hello");
    EXPECT_EQ(got->from_port, a.port());
}

}  // namespace
}  // namespace kestra
