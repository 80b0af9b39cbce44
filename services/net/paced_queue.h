#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <unordered_map>

#include "protocol/datagram.h"

namespace kestra {

// The datagrams waiting on one socket, in send order. A datagram with a coalesce key takes
// the place of the waiting one with the same key, so a fader drag sends its latest value
// where the first one stood, with the longer of the two gaps; pieces (no key) always queue up
// behind.
// Not thread-safe: the transport guards it.
class PacedQueue {
public:
    // True when `d` replaced a waiting datagram instead of queueing.
    bool push(Datagram d);
    std::optional<Datagram> pop();
    void clear();
    // The sum of the waiting datagrams' gaps: how long the queue takes to drain at its pace.
    std::chrono::milliseconds pacing() const;

    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }

private:
    std::deque<Datagram> items_;
    // Key -> sequence number of the waiting datagram with that key; items_.front() has
    // number head_.
    std::unordered_map<std::string, uint64_t> keyed_;
    uint64_t head_ = 0;
};

}  // namespace kestra
