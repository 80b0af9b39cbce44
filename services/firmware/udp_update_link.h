#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "firmware/update_link.h"
#include "protocol/device_endpoint.h"

namespace kestra {

// The firmware socket: UDP bound to all local addresses at the control port, talking to the
// processor only. Sends pass the network sandbox. cancel() may come from any thread and ends
// every wait at once.
class UdpUpdateLink final : public UpdateLink {
public:
    // Nothing when the socket cannot be made or the port is taken; then `error`, when given,
    // holds the system's reason (an errno value) for UdpSocket::failure_text.
    static std::unique_ptr<UdpUpdateLink> open(uint16_t local_port, const DeviceEndpoint& device,
                                               int* error = nullptr);
    ~UdpUpdateLink() override;
    UdpUpdateLink(const UdpUpdateLink&) = delete;
    UdpUpdateLink& operator=(const UdpUpdateLink&) = delete;

    void cancel();

    bool send(std::string_view payload) override;
    std::optional<std::string> receive(std::chrono::milliseconds timeout) override;
    void pause(std::chrono::milliseconds duration) override;
    bool cancelled() const override { return cancelled_.load(std::memory_order_acquire); }
    Clock::time_point now() const override { return Clock::now(); }

private:
    UdpUpdateLink(int fd, int wake_fd, const DeviceEndpoint& device);
    // Polls the socket (when `with_socket`) and the cancel event until `deadline`; true when
    // the socket has data.
    bool wait(Clock::time_point deadline, bool with_socket) const;

    int fd_;
    int wake_fd_;
    DeviceEndpoint device_;
    std::atomic<bool> cancelled_{false};
};

}  // namespace kestra
