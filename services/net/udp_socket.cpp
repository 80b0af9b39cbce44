#include "net/udp_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace kestra {

UdpSocket UdpSocket::bind(uint16_t port, std::optional<DeviceEndpoint> address, Mode mode) {
    const int flags = SOCK_CLOEXEC | (mode == Mode::NonBlocking ? SOCK_NONBLOCK : 0);
    UdpSocket socket(::socket(AF_INET, SOCK_DGRAM | flags, 0), 0);
    if (!socket.valid()) {
        return failed(errno);
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address ? address->host_order() : INADDR_ANY);
    if (::bind(socket.fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        return failed(errno);  // taken before the descriptor closes, which may touch errno
    }
    socklen_t len = sizeof a;
    if (::getsockname(socket.fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        return failed(errno);
    }
    socket.port_ = ntohs(a.sin_port);
    return socket;
}

UdpSocket UdpSocket::failed(int error) {
    UdpSocket socket;
    socket.error_ = error != 0 ? error : EIO;
    return socket;
}

std::string UdpSocket::failure_text(int error, uint16_t port) {
    return "Winsock error! " + std::string(std::strerror(error)) + ", port " + std::to_string(port);
}

UdpSocket::~UdpSocket() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      port_(std::exchange(other.port_, 0)),
      error_(std::exchange(other.error_, 0)) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        port_ = std::exchange(other.port_, 0);
        error_ = std::exchange(other.error_, 0);
    }
    return *this;
}

int UdpSocket::release() {
    port_ = 0;
    return std::exchange(fd_, -1);
}

}  // namespace kestra
