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

    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&&) noexcept = default;
        Subscription& operator=(Subscription&&) noexcept = default;
        ~Subscription() { reset(); }
        void reset() {
            if (auto slot = slot_.lock()) {
                slot->active = false;
                slot->callback = nullptr;
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
        slots_.push_back(slot);
        return Subscription(slot);
    }

    void publish(const Event& event) {
        const auto snapshot = slots_;
        for (const auto& slot : snapshot) {
            if (slot->active && slot->callback) {
                slot->callback(event);
            }
        }
        std::erase_if(slots_, [](const auto& s) { return !s->active; });
    }

    std::size_t subscriber_count() const {
        return static_cast<std::size_t>(
            std::count_if(slots_.begin(), slots_.end(), [](const auto& s) { return s->active; }));
    }

private:
    struct Slot {
        Callback callback;
        bool active = true;
    };
    std::vector<std::shared_ptr<Slot>> slots_;
};

}  // namespace kestra
