#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include "util/post.h"

#include "model/device_state.h"
#include "net/udp_transport.h"
#include "protocol/device_endpoint.h"
#include "protocol/reply_dispatcher.h"
#include "session/connection_rules.h"
#include "session/connection_status.h"
#include "session/discovery_service.h"
#include "session/frame_handover.h"
#include "session/full_state_writer.h"
#include "session/level_feed.h"
#include "session/report_supervisor.h"
#include "session/system_clock.h"
#include "text/name_codec.h"

namespace kestra {

struct SessionSettings {
    uint16_t control_port = DeviceEndpoint::kDefaultPort;  // local port of the control socket
    DeviceEndpoint device = *DeviceEndpoint::parse("192.168.1.106");
};

// Everything a connected controller is, on its owner thread: the state, the control socket,
// the dispatcher, the connection rules, the report supervision and the meter feed. Frames
// arrive on the transport's receive thread, only from the processor's address and port, and
// reach the owner in batches: one drain posted with `post` takes what has gathered.
class ProcessorSession {
public:
    static constexpr const char* kBadAddressNotice = "Invalid address.";

    ProcessorSession(SessionSettings settings, Post post, NoticeSink& notices,
                     const Clock* clock = nullptr);
    ~ProcessorSession();
    ProcessorSession(const ProcessorSession&) = delete;
    ProcessorSession& operator=(const ProcessorSession&) = delete;

    // The "IP:" field: a dotted address with an optional ":port". Anything else is refused
    // with a notice and nothing is stored.
    bool take_device_address(std::string_view text);
    const DeviceEndpoint& device() const { return settings_.device; }

    // The Search press: the control socket closes (the search needs its port), a running
    // search ends, and the sweep of `host`'s subnet starts (the system's address when none is
    // given; without one the sweep is skipped with a notice). Probes go to `device_port`,
    // the processor port setting when none is given.
    bool start_search(std::optional<DeviceEndpoint> host = std::nullopt,
                      std::optional<uint16_t> device_port = std::nullopt);
    DiscoveryService& discovery() { return discovery_; }

    // The connect press; false when ignored because an attempt is running. A running search
    // ends first, so the two sockets never hold the port together.
    bool connect();
    // The disconnect press: every waiting frame leaves in order, then level reports go off
    // ("Q" 00) and the socket closes. A running whole-state transfer is cut short instead,
    // with a notice of the commands not sent. Should the queue not drain within its own
    // pacing plus kCloseGrace, the rest is dropped with a notice and "Q" 00 still goes last.
    void disconnect();
    static constexpr std::chrono::milliseconds kCloseGrace{1000};
    // True from a disconnect until the socket has closed.
    bool closing() const { return close_when_sent_; }
    // Frames dropped at the last close because the queue did not drain in time.
    std::size_t dropped_at_close() const { return dropped_at_close_; }
    // For the firmware transfer, which binds the control port itself: a running search ends;
    // while connected or listening, level reports go off twice, 100 ms apart, the session goes
    // offline and the socket closes once both have left.
    void release_port();
    bool port_released() const;

    // The 50 ms tick: connect retries, give-up, report supervision, deferred socket close,
    // and the progress of a tracked whole-state transfer (supervision stays quiet meanwhile).
    void tick();
    // The writer whose transfers go out on this session's sender; null for none.
    void track_transfers(FullStateWriter* writer) { writer_ = writer; }

    DeviceState& state() { return state_; }
    // The state's one change stream: the dispatcher's frames and, with the surface built on
    // it, every operator action, recall and typed entry.
    Publisher<StateChange>& changes() { return changes_; }
    const Clock& clock() const { return clock_; }
    const NameCodec& codec() const { return codec_; }
    ReplyDispatcher& dispatcher() { return dispatcher_; }
    ConnectionRules& connection() { return connection_; }
    ReportSupervisor& supervisor() { return supervisor_; }
    // The connection as one value, and its stream: published once per real change, after the
    // rules, the supervisor and the state all agree on it.
    const ConnectionStatus& connection_status() const { return status_; }
    Publisher<ConnectionStatus>& connection_statuses() { return statuses_; }
    LevelFeed& levels() { return levels_; }
    Publisher<LevelView>& level_views() { return level_views_; }
    UdpTransport& transport() { return *transport_; }
    FrameSink& sink() { return *transport_; }

    // Whether the processor's frames are taken now (not while the socket is closing).
    bool listening() const { return listening_; }

    // Datagrams from senders other than the processor's address and port, dropped since the
    // last connect; the tick publishes the count when it has changed.
    uint64_t foreign_datagrams() const { return transport_->foreign_datagrams(); }
    Publisher<uint64_t>& foreign_changes() { return foreign_changes_; }
    // The frames on their way from the receive thread.
    FrameHandover::Stats handover_stats() const { return handover_.stats(); }

private:
    void post_drain();
    void drain();
    void on_frame(const std::string& frame);
    void on_change(const StateChange& change);
    void take_report(const StateChange& change);
    void on_levels();
    void on_connection_event(const ConnectionEvent& event);
    void refresh_status();
    void cancel_transfer();
    void advance_close();

    SessionSettings settings_;
    Post post_;
    FrameHandover handover_;
    SystemClock system_clock_;
    const Clock& clock_;
    NoticeSink& notices_;
    NameCodec codec_;
    DeviceState state_;
    Publisher<StateChange> changes_;
    std::shared_ptr<bool> alive_;
    std::unique_ptr<UdpTransport> transport_;
    DiscoveryService discovery_;
    ReplyDispatcher dispatcher_;
    ConnectionRules connection_;
    ReportSupervisor supervisor_;
    LevelFeed levels_;
    Publisher<LevelView> level_views_;
    Publisher<StateChange>::Subscription change_sub_;
    Publisher<LevelReport>::Subscription level_sub_;
    Publisher<ConnectionEvent>::Subscription connection_sub_;
    Publisher<ReportSupervisor::Status>::Subscription status_sub_;
    ConnectionStatus status_;
    Publisher<ConnectionStatus> statuses_;
    FullStateWriter* writer_ = nullptr;
    bool listening_ = false;
    bool close_when_sent_ = false;
    int close_ticks_ = 0;
    bool close_forced_ = false;
    Clock::TimePoint close_deadline_{};
    std::size_t dropped_at_close_ = 0;
    uint64_t foreign_shown_ = 0;
    Publisher<uint64_t> foreign_changes_;
};

}  // namespace kestra
