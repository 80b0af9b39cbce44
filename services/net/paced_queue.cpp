#include "net/paced_queue.h"

#include <algorithm>
#include <utility>

namespace kestra {

bool PacedQueue::push(Datagram d) {
    if (!d.coalesce_key.empty()) {
        const auto it = keyed_.find(d.coalesce_key);
        if (it != keyed_.end()) {
            // The slot keeps the longer pause: a fader moved during a bulk transfer must not
            // shorten the pause the transfer gave that command.
            Datagram& waiting = items_[static_cast<std::size_t>(it->second - head_)];
            d.gap = std::max(d.gap, waiting.gap);
            waiting = std::move(d);
            return true;
        }
        keyed_.emplace(d.coalesce_key, head_ + items_.size());
    }
    items_.push_back(std::move(d));
    return false;
}

std::optional<Datagram> PacedQueue::pop() {
    if (items_.empty()) {
        return std::nullopt;
    }
    Datagram d = std::move(items_.front());
    items_.pop_front();
    if (!d.coalesce_key.empty()) {
        keyed_.erase(d.coalesce_key);
    }
    ++head_;
    return d;
}

void PacedQueue::clear() {
    head_ += items_.size();
    items_.clear();
    keyed_.clear();
}

std::chrono::milliseconds PacedQueue::pacing() const {
    std::chrono::milliseconds total{0};
    for (const Datagram& d : items_) {
        total += d.gap;
    }
    return total;
}

}  // namespace kestra
