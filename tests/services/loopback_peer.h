#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/net_sandbox.h"
#include "protocol/device_endpoint.h"

namespace kestra::testing_net {

inline DeviceEndpoint loopback(uint16_t port) {
    DeviceEndpoint ep;
    ep.octets = {127, 0, 0, 1};
    ep.port = port;
    return ep;
}

// A plain UDP socket on 127.0.0.1 at a port the system picks; sends go through the sandbox
// like every other socket here.
class LoopbackPeer {
public:
    struct Arrival {
        std::string payload;
        // The kernel's receive time: gaps between arrivals show the sender's pacing, not how
        // late this thread got round to reading.
        std::chrono::system_clock::time_point at;
        uint16_t from_port = 0;
    };

    // `share`: SO_REUSEADDR, as a socket that invites others onto its port would set it.
    explicit LoopbackPeer(bool share = false) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        if (share && fd_ >= 0) {
            ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        }
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            return;
        }
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        ::setsockopt(fd_, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
        port_ = ntohs(addr.sin_port);
    }
    ~LoopbackPeer() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    bool ok() const { return port_ != 0; }
    uint16_t port() const { return port_; }
    DeviceEndpoint endpoint() const { return loopback(port_); }

    bool send_to(uint16_t port, std::string_view payload) const {
        return send_datagram(fd_, payload, loopback(port)) == SendStatus::sent;
    }

    // Waits at most `timeout` for one datagram.
    std::optional<Arrival> receive(std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
        timeval tv{};
        tv.tv_sec = static_cast<time_t>(timeout.count() / 1000);
        tv.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        char buffer[4096];
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
        iovec iov{buffer, sizeof buffer};
        sockaddr_in from{};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(fd_, &msg, 0);
        if (n < 0) {
            return std::nullopt;
        }
        Arrival a{std::string(buffer, static_cast<std::size_t>(n)),
                  std::chrono::system_clock::now(), ntohs(from.sin_port)};
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
                timespec ts{};
                std::memcpy(&ts, CMSG_DATA(c), sizeof ts);
                a.at = std::chrono::system_clock::time_point(
                    std::chrono::duration_cast<std::chrono::system_clock::duration>(
                        std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec)));
            }
        }
        return a;
    }

    // Receives until `last` arrives or `max` datagrams came, whichever is first.
    std::vector<Arrival> receive_until(std::string_view last, std::size_t max = 64) {
        std::vector<Arrival> got;
        while (got.size() < max) {
            auto a = receive();
            if (!a) {
                break;
            }
            got.push_back(std::move(*a));
            if (got.back().payload == last) {
                break;
            }
        }
        return got;
    }

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

// Collects the frames the receive thread hands over.
class FrameInbox {
public:
    void post(std::string frame) {
        {
            std::lock_guard lock(mutex_);
            frames_.push_back(std::move(frame));
        }
        changed_.notify_all();
    }

    // The frames so far, once there are at least `count` (or after `timeout`).
    std::vector<std::string> wait_for(std::size_t count,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return frames_.size() >= count; });
        return frames_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> frames_;
};

}  // namespace kestra::testing_net
