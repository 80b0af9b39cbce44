#include "session/owner_loop.h"

namespace kestra {

void OwnerLoop::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

bool OwnerLoop::run_until(const std::function<bool()>& done, std::chrono::milliseconds limit,
                          const Task& tick) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + limit;
    auto next_tick = Clock::now() + kTick;
    for (;;) {
        if (done && done()) {
            return true;
        }
        const auto now = Clock::now();
        if (now >= end) {
            return false;
        }
        if (now >= next_tick) {
            next_tick += kTick;
            if (tick) {
                tick();
            }
            continue;
        }
        std::deque<Task> batch;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_until(lock, std::min(next_tick, end), [&] { return !tasks_.empty(); });
            batch.swap(tasks_);
        }
        for (auto& task : batch) {
            task();
        }
    }
}

void OwnerLoop::run_for(std::chrono::milliseconds duration, const Task& tick) {
    run_until(nullptr, duration, tick);
}

}  // namespace kestra
