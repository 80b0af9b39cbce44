#include "session/frame_handover.h"

#include <utility>

namespace kestra {

bool FrameHandover::push(std::string frame) {
    std::lock_guard lock(mutex_);
    batch_.push(std::move(frame));
    if (drain_asked_ || batch_.empty()) {
        return false;
    }
    drain_asked_ = true;
    ++drains_;
    return true;
}

std::vector<std::string> FrameHandover::take(bool& again) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> frames = batch_.take(kFramesPerDrain);
    again = !batch_.empty();
    drain_asked_ = again;
    drains_ += again ? 1 : 0;
    return frames;
}

void FrameHandover::clear() {
    std::lock_guard lock(mutex_);
    batch_.take();
}

FrameHandover::Stats FrameHandover::stats() const {
    std::lock_guard lock(mutex_);
    return {drains_, batch_.size(), batch_.bytes(), batch_.counts()};
}

}  // namespace kestra
