#pragma once

#include <chrono>
#include <optional>

#include "util/clock.h"

namespace kestra {

// When a marker drag of the EQ editors sends: at most once per `span_time` while the marker
// moves, and once more when the marker has rested longer than the trailing delay with the
// button still held (found by the editor's 50 ms tick). A release ends the drag and drops
// any trailing send, because the release commits and sends by itself.
class DragSendPolicy {
public:
    using Duration = std::chrono::milliseconds;

    static constexpr Duration kDefaultSpanTime{100};
    static constexpr Duration kTrailingDelay{200};
    static constexpr Duration kTickInterval{50};  // the editors' timer

    explicit DragSendPolicy(const Clock& clock, Duration span_time = kDefaultSpanTime)
        : clock_(clock), span_time_(span_time) {}

    // A move of `marker` during a drag. Returns true when this move is to be sent now; the
    // span then starts again.
    bool moved(int marker);
    // A move of `marker` during a drag that is never sent at once (channels whose block is
    // not exchanged): it leaves the span as it is but still counts as the pending move.
    void moved_without_send(int marker);
    // The release of a drag, or any update that is not a drag: clears the pending move and
    // starts the span at this moment.
    void released();
    // The tick: the marker whose trailing send is due, which is then no longer pending.
    std::optional<int> take_trailing();

    bool move_pending() const { return pending_.has_value(); }
    int move_count() const { return move_count_; }
    Duration span_time() const { return span_time_; }

private:
    void record_move(int marker);

    const Clock& clock_;
    Duration span_time_;
    std::optional<Clock::TimePoint> last_send_;  // none before the first drag: it sends at once
    Clock::TimePoint last_move_{};
    std::optional<int> pending_;
    int move_count_ = 0;
};

}  // namespace kestra
