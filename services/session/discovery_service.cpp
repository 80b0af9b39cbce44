#include "session/discovery_service.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <set>

#include "net/net_sandbox.h"
#include "net/udp_socket.h"
#include "protocol/frame_extractor.h"
#include "protocol/frame_sink.h"

namespace kestra {

DiscoveryService::DiscoveryService(Post post, NoticeSink& notices)
    : post_(std::move(post)), notices_(notices), alive_(std::make_shared<bool>(true)) {
    wake_fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

DiscoveryService::~DiscoveryService() {
    alive_.reset();
    stop();
    if (wake_fd_ >= 0) {
        ::close(wake_fd_);
    }
}

std::optional<DeviceEndpoint> DiscoveryService::host_address() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return std::nullopt;
    }
    std::optional<DeviceEndpoint> found;
    for (ifaddrs* it = list; it && !found; it = it->ifa_next) {
        if (it->ifa_addr && it->ifa_addr->sa_family == AF_INET) {
            const auto ep = endpoint_from(*reinterpret_cast<const sockaddr_in*>(it->ifa_addr));
            if (!ep.is_loopback()) {
                found = ep;
            }
        }
    }
    ::freeifaddrs(list);
    return found;
}

bool DiscoveryService::start(const DeviceEndpoint& host, uint16_t local_port,
                             uint16_t device_port) {
    stop();
    list_.clear();
    UdpSocket socket = UdpSocket::bind(local_port);
    if (!socket.valid()) {
        notices_.notice(UdpSocket::failure_text(socket.error(), local_port), NoticeSink::kCaption);
        return false;
    }
    const int fd = socket.release();
    fd_ = fd;
    stop_ = false;
    sweep_done_ = false;
    probes_sent_ = 0;
    running_ = true;
    listener_ = std::thread([this, fd, device_port] { listen(fd, device_port); });
    sweeper_ = std::thread([this, fd, host, device_port] { sweep(fd, host, device_port); });
    return true;
}

void DiscoveryService::stop() {
    stop_ = true;
    const uint64_t one = 1;
    if (wake_fd_ >= 0) {
        [[maybe_unused]] const auto n = ::write(wake_fd_, &one, sizeof one);
    }
    if (sweeper_.joinable()) {
        sweeper_.join();
    }
    if (listener_.joinable()) {
        listener_.join();
    }
    uint64_t drained = 0;
    if (wake_fd_ >= 0) {
        [[maybe_unused]] const auto n = ::read(wake_fd_, &drained, sizeof drained);
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    running_ = false;
}

void DiscoveryService::listen(int fd, uint16_t device_port) {
    // Answers come from anyone during a search, so both are bounded: each address reaches
    // the owner once per search, and only so many senders get pending text.
    constexpr std::size_t kMaxSenders = 1024;
    std::map<std::string, FrameExtractor> pending;
    std::set<std::string> posted;
    char buf[2048];
    while (!stop_) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
        if (::poll(fds, 2, 100) <= 0 || !(fds[0].revents & POLLIN)) {
            continue;
        }
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n =
            ::recvfrom(fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n <= 0) {
            continue;
        }
        const std::string address = endpoint_from(from).address();
        if (posted.count(address) != 0 ||
            (pending.size() >= kMaxSenders && pending.count(address) == 0)) {
            continue;
        }
        pending[address].feed(
            std::string_view(buf, static_cast<std::size_t>(n)), [&](std::string_view frame) {
                if (!Discovery::is_processor_reply(frame) || !posted.insert(address).second) {
                    return;
                }
                // Listed with the control port the probes went to.
                post_([this, alive = std::weak_ptr<bool>(alive_), address, device_port] {
                    if (alive.lock()) {
                        list_.add(address, device_port);
                    }
                });
            });
    }
}

void DiscoveryService::sweep(int fd, DeviceEndpoint host, uint16_t device_port) {
    for (const DeviceEndpoint& target : Discovery::sweep_targets(host, device_port)) {
        for (int k = 0; k < Discovery::kProbesPerAddress && !stop_; ++k) {
            send_datagram(fd, Discovery::kProbe, target);
            ++probes_sent_;
        }
        pollfd wake{wake_fd_, POLLIN, 0};
        if (stop_ || ::poll(&wake, 1, 5) > 0) {
            break;
        }
    }
    sweep_done_ = true;
}

}  // namespace kestra
