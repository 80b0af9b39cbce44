#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace kestra {

// One datagram for the paced sender: its bytes, the pause that must follow it on the wire,
// and a key under which a newer datagram replaces it while it still waits in the queue.
struct Datagram {
    static constexpr std::chrono::milliseconds kFrameGap{10};

    std::string payload;
    std::chrono::milliseconds gap = kFrameGap;
    std::string coalesce_key;  // empty: never replaced (pieces of a long frame)

    bool operator==(const Datagram&) const = default;
};

using DatagramList = std::vector<Datagram>;

// Adds a caller's pause after the last datagram of a command, on top of the frame gap.
inline DatagramList& with_pause(DatagramList& list, std::chrono::milliseconds extra) {
    if (!list.empty()) {
        list.back().gap += extra;
    }
    return list;
}

}  // namespace kestra
