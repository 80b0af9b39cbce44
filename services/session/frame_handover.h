#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "protocol/frame_batch.h"

namespace kestra {

// Carries the receive thread's frames to the owner thread in batches. The first frame of a
// batch asks for one drain; the frames that follow join the batch (a newer level or fader
// report replacing the older) until the owner takes it. However fast frames come, at most
// one drain waits in the owner's queue and the batch stays within FrameBatch's bounds.
class FrameHandover {
public:
    // The most frames one drain hands over, so that a long batch of whole-state reads cannot
    // hold the owner thread either; the rest waits for the next drain.
    static constexpr std::size_t kFramesPerDrain = 16;

    struct Stats {
        uint64_t drains = 0;  // drains asked for
        std::size_t waiting = 0;
        std::size_t waiting_bytes = 0;
        FrameBatch::Counts frames;
    };

    // Receive thread. True when the caller must post a drain to the owner thread.
    bool push(std::string frame);

    // Owner thread, inside a drain: the oldest waiting frames, at most kFramesPerDrain.
    // `again` is set when frames are left, and then the caller posts another drain.
    std::vector<std::string> take(bool& again);

    // Drops what waits, for a new connection; a drain already asked for still comes.
    void clear();

    Stats stats() const;

private:
    mutable std::mutex mutex_;
    // Guarded by mutex_.
    FrameBatch batch_;
    bool drain_asked_ = false;
    uint64_t drains_ = 0;
};

}  // namespace kestra
