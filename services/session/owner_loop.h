#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace kestra {

// The owner thread of a program without a window: I/O threads post work here, and the loop
// runs it in order together with a periodic tick. The GUI uses its event loop instead.
class OwnerLoop {
public:
    using Task = std::function<void()>;
    static constexpr std::chrono::milliseconds kTick{50};

    // Any thread.
    void post(Task task);

    // Owner thread: runs posted tasks and `tick` every 50 ms until `done` returns true or the
    // time is up. Returns whether `done` became true.
    bool run_until(const std::function<bool()>& done, std::chrono::milliseconds limit,
                   const Task& tick);
    void run_for(std::chrono::milliseconds duration, const Task& tick);

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> tasks_;
};

}  // namespace kestra
