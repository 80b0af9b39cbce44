#include "net/net_sandbox.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kestra {

NetSandbox::Mode NetSandbox::mode_from(const char* env_value) {
    if (env_value == nullptr || *env_value == '\0' || std::strcmp(env_value, "off") == 0) {
        return Mode::off;
    }
    return Mode::loopback;
}

NetSandbox::Mode NetSandbox::mode() {
    // Read once: getenv is not safe against a concurrent setenv, and senders run on several
    // threads.
    static const Mode mode = mode_from(std::getenv("KESTRA_NET_SANDBOX"));
    return mode;
}

bool NetSandbox::admit(const DeviceEndpoint& to) {
    if (allows(mode(), to)) {
        return true;
    }
    std::fprintf(stderr, "kestra: network sandbox (loopback only) refused a datagram to %s:%u\n",
                 to.address().c_str(), static_cast<unsigned>(to.port));
    return false;
}

SendStatus send_datagram(int fd, std::string_view payload, const DeviceEndpoint& to) {
    if (!NetSandbox::admit(to)) {
        return SendStatus::refused;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(to.port);
    addr.sin_addr.s_addr = htonl(to.host_order());
    ssize_t n;
    do {
        n = ::sendto(fd, payload.data(), payload.size(), MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(payload.size()) ? SendStatus::sent : SendStatus::failed;
}

DeviceEndpoint endpoint_from(const sockaddr_in& address) {
    DeviceEndpoint ep;
    const uint32_t h = ntohl(address.sin_addr.s_addr);
    ep.octets = {static_cast<uint8_t>(h >> 24), static_cast<uint8_t>(h >> 16),
                 static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h)};
    ep.port = ntohs(address.sin_port);
    return ep;
}

}  // namespace kestra
