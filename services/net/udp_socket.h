#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/device_endpoint.h"

namespace kestra {

// How every socket of the product and its virtual processor is opened: one IPv4 datagram
// socket, close-on-exec, bound to one address (all local addresses when none is given) at one
// port (0: any free port). Never SO_REUSEADDR: a port held by anyone else, our own search
// listener included, must fail here rather than be shared. The descriptor closes with the
// object unless release() handed it on.
class UdpSocket {
public:
    enum class Mode { Blocking, NonBlocking };

    // `address` gives the local address only; its port is not used.
    static UdpSocket bind(uint16_t port, std::optional<DeviceEndpoint> address = std::nullopt,
                          Mode mode = Mode::Blocking);

    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // The port actually bound, which differs from the one asked for when that was 0.
    uint16_t port() const { return port_; }
    // The caller owns the descriptor from now on; this object is empty.
    int release();

    // Why bind() failed (an errno value), 0 for a socket that was opened.
    int error() const { return error_; }
    // What the operator is told when the port could not be bound: "Winsock error!", then the
    // system's reason and the port, e.g. "Winsock error! Address already in use, port 39040".
    static std::string failure_text(int error, uint16_t port);

private:
    UdpSocket(int fd, uint16_t port) : fd_(fd), port_(port) {}
    static UdpSocket failed(int error);

    int fd_ = -1;
    uint16_t port_ = 0;
    int error_ = 0;
};

}  // namespace kestra
