#include "protocol/device_endpoint.h"

namespace kestra {

namespace {

std::optional<unsigned> parse_decimal(std::string_view s, unsigned max) {
    if (s.empty() || s.size() > 5 || (s.size() > 1 && s[0] == '0')) {
        return std::nullopt;
    }
    unsigned v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > max) {
        return std::nullopt;
    }
    return v;
}

}  // namespace

std::optional<DeviceEndpoint> DeviceEndpoint::parse(std::string_view text) {
    DeviceEndpoint ep;
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        const auto port = parse_decimal(text.substr(colon + 1), 65535);
        if (!port || *port == 0) {
            return std::nullopt;
        }
        ep.port = static_cast<uint16_t>(*port);
        text = text.substr(0, colon);
    }
    for (int i = 0; i < 4; ++i) {
        const std::size_t dot = text.find('.');
        const bool last = i == 3;
        if (last != (dot == std::string_view::npos)) {
            return std::nullopt;
        }
        const auto octet = parse_decimal(last ? text : text.substr(0, dot), 255);
        if (!octet) {
            return std::nullopt;
        }
        ep.octets[static_cast<std::size_t>(i)] = static_cast<uint8_t>(*octet);
        if (!last) {
            text = text.substr(dot + 1);
        }
    }
    return ep;
}

std::string DeviceEndpoint::address() const {
    return std::to_string(octets[0]) + "." + std::to_string(octets[1]) + "." +
           std::to_string(octets[2]) + "." + std::to_string(octets[3]);
}

std::string DeviceEndpoint::text() const {
    return port == kDefaultPort ? address() : address() + ":" + std::to_string(port);
}

uint32_t DeviceEndpoint::host_order() const {
    return (static_cast<uint32_t>(octets[0]) << 24) | (static_cast<uint32_t>(octets[1]) << 16) |
           (static_cast<uint32_t>(octets[2]) << 8) | octets[3];
}

}  // namespace kestra
