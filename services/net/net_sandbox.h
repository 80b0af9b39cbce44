#pragma once

#include <netinet/in.h>

#include <string_view>

#include "protocol/device_endpoint.h"

namespace kestra {

// Keeps tests, benchmarks and demos off real networks. With KESTRA_NET_SANDBOX=loopback a
// datagram to an address outside 127.0.0.0/8 is refused before any socket call is made.
class NetSandbox {
public:
    enum class Mode { off, loopback };

    // Unset, empty or "off" turns the sandbox off. Any other value fails closed to loopback:
    // a mistyped value must never open the network.
    static Mode mode_from(const char* env_value);

    // This process's mode, read from the environment on first use.
    static Mode mode();

    static bool allows(Mode mode, const DeviceEndpoint& to) {
        return mode == Mode::off || to.is_loopback();
    }

    // allows() under this process's mode; a refusal is told in one line on stderr.
    static bool admit(const DeviceEndpoint& to);
};

enum class SendStatus {
    sent,     // the whole payload was accepted by the socket layer
    refused,  // stopped by the sandbox; the socket was not touched
    failed,   // the socket layer refused or took only part of it
};

// The sender of a received datagram as an endpoint.
DeviceEndpoint endpoint_from(const sockaddr_in& address);

// The one way a datagram leaves any socket of the product.
SendStatus send_datagram(int fd, std::string_view payload, const DeviceEndpoint& to);

}  // namespace kestra
