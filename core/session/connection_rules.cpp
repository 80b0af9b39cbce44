#include "session/connection_rules.h"

#include "protocol/command_encoder.h"

namespace kestra {

ConnectionRules::ConnectionRules(DeviceState& state, const Clock& clock, FrameSink& sink,
                                 NoticeSink& notices)
    : state_(state), clock_(clock), sink_(sink), notices_(notices) {}

void ConnectionRules::send_read_all() {
    sink_.send(encode_read_all());
}

void ConnectionRules::send_reports(bool on) {
    sink_.send(encode_level_reports(on));
}

void ConnectionRules::begin_attempt() {
    state_.system.connecting = 1;
    attempts_ = 0;
    attempt_seen_ = true;
    awaiting_since_.reset();
    incomplete_told_ = false;
    send_reports(false);
    send_read_all();
    started_at_ = clock_.now();
    events_.publish({ConnectionEvent::Kind::AttemptStarted, attempts_});
}

void ConnectionRules::tick() {
    if (state_.system.connecting == 0) {
        watch_completion();
        return;
    }
    if (clock_.now() - started_at_ < kRetryInterval) {
        return;
    }
    started_at_ = clock_.now();
    ++attempts_;
    if (attempts_ < kMaxRequests) {
        send_read_all();
        events_.publish({ConnectionEvent::Kind::RequestRepeated, attempts_});
        return;
    }
    state_.system.connecting = 0;
    attempt_seen_ = false;
    events_.publish({ConnectionEvent::Kind::GaveUp, attempts_});
    notices_.notice(kGiveUpNotice, "");
}

void ConnectionRules::watch_completion() {
    if (phase() != ConnectionPhase::Awaiting) {
        awaiting_since_.reset();
        return;
    }
    if (!awaiting_since_) {
        awaiting_since_ = clock_.now();
    }
    if (!incomplete_told_ && clock_.now() - *awaiting_since_ >= kCompletionLimit) {
        incomplete_told_ = true;
        events_.publish({ConnectionEvent::Kind::Incomplete, attempts_});
    }
}

void ConnectionRules::disconnect() {
    send_reports(false);
    state_.system.connected = 0;
    state_.system.connecting = 0;
    attempt_seen_ = false;
    awaiting_since_.reset();
    incomplete_told_ = false;
    events_.publish({ConnectionEvent::Kind::Disconnected, attempts_});
}

ConnectionPhase ConnectionRules::phase() const {
    if (state_.system.connected) {
        return ConnectionPhase::Connected;
    }
    if (state_.system.connecting) {
        return ConnectionPhase::Connecting;
    }
    return attempt_seen_ ? ConnectionPhase::Awaiting : ConnectionPhase::Offline;
}

}  // namespace kestra
