#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestra {

// The processor's frames waiting for the owner thread, in arrival order. A level report ("Q")
// and a fader report ("P") each describe every channel at once, so only the latest of each
// counts: a newer one takes the older one's place at the end, which leaves the state exactly
// as applying both in order would. Everything else is kept in order, up to a bound on count
// and bytes; beyond it a frame is refused and counted, so no sender can make the batch grow.
class FrameBatch {
public:
    static constexpr std::size_t kMaxFrames = 1024;
    static constexpr std::size_t kMaxBytes = 1024 * 1024;

    struct Counts {
        uint64_t taken = 0;     // kept when they arrived
        uint64_t replaced = 0;  // superseded by a newer report of the same kind
        uint64_t refused = 0;   // arrived while the batch was full
    };

    // A frame as the extractor handed it over. False when it was refused.
    bool push(std::string frame);

    bool empty() const { return frames_.empty(); }
    std::size_t size() const { return frames_.size(); }
    std::size_t bytes() const { return bytes_; }
    const std::vector<std::string>& frames() const { return frames_; }
    const Counts& counts() const { return counts_; }

    // Hands the oldest `max` waiting frames over (all by default); the rest stays in order
    // and the counts go on.
    std::vector<std::string> take(std::size_t max = kMaxFrames);

    // Whether only the latest frame of this kind in a batch matters.
    static bool latest_only(const std::string& frame);

private:
    std::vector<std::string> frames_;
    std::size_t bytes_ = 0;
    Counts counts_;
};

}  // namespace kestra
