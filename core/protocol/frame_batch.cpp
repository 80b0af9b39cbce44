#include "protocol/frame_batch.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>

namespace kestra {

bool FrameBatch::latest_only(const std::string& frame) {
    return frame.size() >= 2 && (frame[1] == 'Q' || frame[1] == 'P');
}

bool FrameBatch::push(std::string frame) {
    bool replaced = false;
    if (latest_only(frame)) {
        const char letter = frame[1];
        const auto older = std::find_if(frames_.begin(), frames_.end(), [letter](const auto& f) {
            return f.size() >= 2 && f[1] == letter;
        });
        if (older != frames_.end()) {
            bytes_ -= older->size();
            frames_.erase(older);
            ++counts_.replaced;
            replaced = true;
        }
    }
    // A replacement never grows the count, so it is never refused: the older one is gone.
    if (!replaced && (frames_.size() >= kMaxFrames || bytes_ + frame.size() > kMaxBytes)) {
        ++counts_.refused;
        return false;
    }
    bytes_ += frame.size();
    frames_.push_back(std::move(frame));
    ++counts_.taken;
    return true;
}

std::vector<std::string> FrameBatch::take(std::size_t max) {
    if (frames_.size() <= max) {
        bytes_ = 0;
        return std::exchange(frames_, {});
    }
    const auto end = frames_.begin() + static_cast<std::ptrdiff_t>(max);
    std::vector<std::string> front(std::make_move_iterator(frames_.begin()),
                                   std::make_move_iterator(end));
    frames_.erase(frames_.begin(), end);
    for (const std::string& f : front) {
        bytes_ -= f.size();
    }
    return front;
}

}  // namespace kestra
