#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestra {

// A processor's IPv4 address and control port, as typed into the "IP:" field.
struct DeviceEndpoint {
    static constexpr uint16_t kDefaultPort = 39040;

    std::array<uint8_t, 4> octets{};
    uint16_t port = kDefaultPort;

    // "a.b.c.d" or "a.b.c.d:port": four decimal octets 0-255 without signs, spaces or
    // leading zeros beyond a single "0", and a port 1-65535. Anything else is refused,
    // so no text can turn into a broadcast or a stray destination by accident.
    static std::optional<DeviceEndpoint> parse(std::string_view text);

    std::string address() const;  // "a.b.c.d"
    std::string text() const;     // "a.b.c.d" or "a.b.c.d:port" when not the default port
    uint32_t host_order() const;
    bool is_loopback() const { return octets[0] == 127; }

    bool operator==(const DeviceEndpoint&) const = default;
};

}  // namespace kestra
