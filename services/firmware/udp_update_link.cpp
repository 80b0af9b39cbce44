#include "firmware/udp_update_link.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "net/net_sandbox.h"
#include "net/udp_socket.h"

namespace kestra {

namespace {

// Larger than any datagram the processor sends, so none is cut.
constexpr std::size_t kReceiveBuffer = 65536;

}  // namespace

std::unique_ptr<UdpUpdateLink> UdpUpdateLink::open(uint16_t local_port,
                                                   const DeviceEndpoint& device, int* error) {
    // A control socket still holding the port makes this fail.
    UdpSocket socket = UdpSocket::bind(local_port, std::nullopt, UdpSocket::Mode::NonBlocking);
    if (!socket.valid()) {
        if (error != nullptr) {
            *error = socket.error();
        }
        return nullptr;
    }
    const int wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0) {
        if (error != nullptr) {
            *error = errno;
        }
        return nullptr;
    }
    return std::unique_ptr<UdpUpdateLink>(new UdpUpdateLink(socket.release(), wake, device));
}

UdpUpdateLink::UdpUpdateLink(int fd, int wake_fd, const DeviceEndpoint& device)
    : fd_(fd), wake_fd_(wake_fd), device_(device) {}

UdpUpdateLink::~UdpUpdateLink() {
    ::close(fd_);
    ::close(wake_fd_);
}

void UdpUpdateLink::cancel() {
    cancelled_.store(true, std::memory_order_release);
    const uint64_t one = 1;
    if (::write(wake_fd_, &one, sizeof one) < 0) {
        // Only fails when the counter is saturated, which wakes the waits just the same.
    }
}

bool UdpUpdateLink::send(std::string_view payload) {
    return !cancelled() && send_datagram(fd_, payload, device_) == SendStatus::sent;
}

bool UdpUpdateLink::wait(Clock::time_point deadline, bool with_socket) const {
    pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {fd_, POLLIN, 0}};
    const nfds_t count = with_socket ? 2 : 1;
    while (!cancelled()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const int r = ::poll(fds, count, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r > 0 && with_socket && fds[1].revents != 0) {
            return true;
        }
        if (r <= 0 || Clock::now() >= deadline) {
            return false;
        }
    }
    return false;
}

std::optional<std::string> UdpUpdateLink::receive(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::vector<char> buffer(kReceiveBuffer);
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n >= 0) {
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        }
        if (errno == EINTR) {
            continue;
        }
        // Nothing waiting, or a reported error (an ICMP refusal of an earlier send) that this
        // recv has taken off the socket: neither is an answer.
        if (!wait(deadline, true)) {
            return std::nullopt;
        }
    }
}

void UdpUpdateLink::pause(std::chrono::milliseconds duration) {
    wait(Clock::now() + duration, false);
}

}  // namespace kestra
