#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include "util/post.h"

#include "protocol/device_endpoint.h"
#include "protocol/discovery.h"
#include "protocol/frame_sink.h"

namespace kestra {

// The device search: a listener socket on the local control port and a sweep of the host's
// /24 that probes every address twice, 5 ms apart. Answers are posted to the owner thread,
// which keeps the list; the listener runs until stop() (the next search or a connect).
class DiscoveryService {
public:
    static constexpr const char* kNoHostNotice = "No network address of this computer was found.";

    DiscoveryService(Post post, NoticeSink& notices);
    ~DiscoveryService();
    DiscoveryService(const DiscoveryService&) = delete;
    DiscoveryService& operator=(const DiscoveryService&) = delete;

    // Stops a running search, clears the list, binds the listener and starts the sweep of
    // `host`'s subnet towards `device_port`. False when the port cannot be bound ("Winsock
    // error!" with the reason and the port, told once).
    bool start(const DeviceEndpoint& host, uint16_t local_port, uint16_t device_port);
    void stop();

    bool running() const { return running_.load(); }
    bool sweep_done() const { return sweep_done_.load(); }
    int probes_sent() const { return probes_sent_.load(); }
    // Owner thread.
    const Discovery& list() const { return list_; }

    // The first IPv4 address of this host that is not loopback, from the system.
    static std::optional<DeviceEndpoint> host_address();

private:
    void listen(int fd, uint16_t device_port);
    void sweep(int fd, DeviceEndpoint host, uint16_t device_port);

    Post post_;
    NoticeSink& notices_;
    Discovery list_;
    std::shared_ptr<bool> alive_;
    int fd_ = -1;
    int wake_fd_ = -1;
    std::thread listener_;
    std::thread sweeper_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> sweep_done_{false};
    std::atomic<int> probes_sent_{0};
};

}  // namespace kestra
