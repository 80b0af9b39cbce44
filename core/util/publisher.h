#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace kestra {

// A typed publisher with subscriptions that end when their owner drops them. Single
// threaded: publish and subscribe on the owner thread only. A callback may drop its own or
// another subscription while being called.
template <class Event>
class Publisher {
    struct Slot;

public:
    using Callback = std::function<void(const Event&)>;

    Publisher() = default;
    // Subscriptions point back here, so a publisher stays where it was made.
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&&) noexcept = default;
        Subscription& operator=(Subscription&&) noexcept = default;
        ~Subscription() { reset(); }
        void reset() {
            if (auto slot = slot_.lock()) {
                slot->active = false;
                slot->owner->stale_ = true;
                if (slot->owner->depth_ == 0) {
                    // Outside a publish the callback can go at once.
                    slot->callback = nullptr;
                }
            }
            slot_.reset();
        }

    private:
        friend class Publisher;
        explicit Subscription(std::weak_ptr<Slot> s) : slot_(std::move(s)) {}
        std::weak_ptr<Slot> slot_;
    };

    [[nodiscard]] Subscription subscribe(Callback cb) {
        auto slot = std::make_shared<Slot>();
        slot->callback = std::move(cb);
        slot->owner = this;
        slots_.push_back(slot);
        return Subscription(slot);
    }

    // Subscribers added during a publish are called from the next one on. Ended ones are
    // removed once no publish is running, so indices stay valid and nothing is copied.
    void publish(const Event& event) {
        ++depth_;
        const std::size_t count = slots_.size();
        for (std::size_t i = 0; i < count; ++i) {
            Slot& slot = *slots_[i];
            if (slot.active && slot.callback) {
                slot.callback(event);
            }
        }
        if (--depth_ == 0 && stale_) {
            stale_ = false;
            std::erase_if(slots_, [](const auto& s) { return !s->active; });
        }
    }

    std::size_t subscriber_count() const {
        return static_cast<std::size_t>(
            std::count_if(slots_.begin(), slots_.end(), [](const auto& s) { return s->active; }));
    }

private:
    struct Slot {
        Callback callback;
        bool active = true;
        Publisher* owner = nullptr;
    };
    std::vector<std::shared_ptr<Slot>> slots_;
    int depth_ = 0;
    bool stale_ = false;
};

}  // namespace kestra
