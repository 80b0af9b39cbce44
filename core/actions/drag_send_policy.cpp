#include "actions/drag_send_policy.h"

namespace kestra {

void DragSendPolicy::record_move(int marker) {
    pending_ = marker;
    last_move_ = clock_.now();
    ++move_count_;
}

bool DragSendPolicy::moved(int marker) {
    record_move(marker);
    const Clock::TimePoint now = clock_.now();
    if (last_send_ && now - *last_send_ <= span_time_) {
        return false;
    }
    last_send_ = now;
    return true;
}

void DragSendPolicy::moved_without_send(int marker) {
    record_move(marker);
}

void DragSendPolicy::released() {
    move_count_ = 0;
    last_send_ = clock_.now();
    pending_.reset();
}

std::optional<int> DragSendPolicy::take_trailing() {
    if (!pending_ || clock_.now() - last_move_ <= kTrailingDelay) {
        return std::nullopt;
    }
    const int marker = *pending_;
    pending_.reset();
    return marker;
}

}  // namespace kestra
