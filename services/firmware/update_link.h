#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kestra {

// The firmware socket as the transfer sees it: datagrams to and from the processor, pauses,
// and a cancel flag. Waits end early once cancelled. Used by one thread at a time.
class UpdateLink {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~UpdateLink() = default;

    // One datagram to the processor; false when it did not leave in full.
    virtual bool send(std::string_view payload) = 0;
    // The next datagram from anyone, waiting at most `timeout`; nothing when none came.
    virtual std::optional<std::string> receive(std::chrono::milliseconds timeout) = 0;
    virtual void pause(std::chrono::milliseconds duration) = 0;
    virtual bool cancelled() const = 0;
    virtual Clock::time_point now() const = 0;
};

}  // namespace kestra
