#pragma once

#include <chrono>
#include <optional>

#include "model/device_state.h"
#include "protocol/frame_sink.h"
#include "util/clock.h"
#include "util/publisher.h"

namespace kestra {

enum class ConnectionPhase { Offline, Connecting, Awaiting, Connected };

struct ConnectionEvent {
    enum class Kind {
        AttemptStarted,   // "Q" 00 and "Z" sent
        RequestRepeated,  // another "Z" after 5 s without an answer
        GaveUp,           // three requests unanswered: the receive loop must stop
        Disconnected,     // the operator's disconnect: the receive loop must stop
        Incomplete,       // the state came, its completion did not within kCompletionLimit
    };
    Kind kind;
    int attempts = 0;
};

// The connect and disconnect rules on an injected clock. Replies reach the state through
// the dispatcher, which clears `connecting` on "Z" and sets `connected` on "Y"; this class
// only starts attempts, repeats the request, gives up and disconnects.
class ConnectionRules {
public:
    static constexpr std::chrono::seconds kRetryInterval{5};
    static constexpr int kMaxRequests = 3;
    static constexpr const char* kGiveUpNotice = "CANNOT CONNECT.";
    // The awaiting state has no time-out of its own and the processor is never asked again,
    // so after a while the operator is told what happened instead of seeing only OFFLINE.
    static constexpr std::chrono::seconds kCompletionLimit{3};
    static constexpr const char* kIncompleteNotice =
        "the processor sent its state but did not complete the connection";

    ConnectionRules(DeviceState& state, const Clock& clock, FrameSink& sink, NoticeSink& notices);

    // A second connect press while an attempt runs is ignored.
    bool can_start_attempt() const { return state_.system.connecting == 0; }

    // Once the receive loop runs: level reports off, then the request for the whole state.
    void begin_attempt();

    // The 50 ms tick: repeats the request every 5 s and gives up after the third; tells
    // once (Incomplete) when the awaiting state has lasted kCompletionLimit.
    void tick();
    // Awaiting for kCompletionLimit or longer (as of the last tick).
    bool completion_overdue() const { return incomplete_told_; }

    // Level reports off; the caller stops the receive loop; then offline. An attempt still
    // waiting for the processor ends too: no request is repeated and a new one may start.
    void disconnect();

    // The search takes the control port, so from the connect press until offline again it
    // ends the connection (or the attempt at one) and the operator is asked first.
    bool search_ends_connection() const { return phase() != ConnectionPhase::Offline; }

    ConnectionPhase phase() const;
    int attempts() const { return attempts_; }
    Publisher<ConnectionEvent>& events() { return events_; }

private:
    void send_read_all();
    void send_reports(bool on);
    void watch_completion();

    DeviceState& state_;
    const Clock& clock_;
    FrameSink& sink_;
    NoticeSink& notices_;
    Publisher<ConnectionEvent> events_;
    Clock::TimePoint started_at_{};
    int attempts_ = 0;
    bool attempt_seen_ = false;
    std::optional<Clock::TimePoint> awaiting_since_;
    bool incomplete_told_ = false;
};

}  // namespace kestra
