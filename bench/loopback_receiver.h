#pragma once

// The receiving end of the wall-clock benchmarks: a UDP socket on 127.0.0.1 whose arrival
// times are the kernel's receive timestamps, so the figures show the sender's pacing and not
// how late this process got round to reading.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kestra::bench {

using Wall = std::chrono::system_clock;

template <class Duration>
double ms(Duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct LoopbackReceiver {
    int fd = -1;
    uint16_t port = 0;

    // `receive_buffer` bytes of kernel buffer when not 0, for bursts the reader may lag behind.
    explicit LoopbackReceiver(int receive_buffer = 0) {
        fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            std::perror("receiver");
            std::exit(1);
        }
        socklen_t len = sizeof addr;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        port = ntohs(addr.sin_port);
        timeval tv{2, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
        if (receive_buffer > 0) {
            ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
        }
    }
    ~LoopbackReceiver() { ::close(fd); }
    LoopbackReceiver(const LoopbackReceiver&) = delete;
    LoopbackReceiver& operator=(const LoopbackReceiver&) = delete;

    // Kernel arrival time of the next datagram, or false after two silent seconds.
    bool receive(Wall::time_point& at) const {
        char data[4096];
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
        iovec iov{data, sizeof data};
        msghdr msg{};
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        if (::recvmsg(fd, &msg, 0) < 0) {
            return false;
        }
        at = Wall::now();
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
                timespec ts{};
                std::memcpy(&ts, CMSG_DATA(c), sizeof ts);
                at = Wall::time_point(std::chrono::duration_cast<Wall::duration>(
                    std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec)));
            }
        }
        return true;
    }
};

}  // namespace kestra::bench
