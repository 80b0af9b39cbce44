#include "session/processor_session.h"

#include <string>

#include "protocol/command_encoder.h"

namespace kestra {

ProcessorSession::ProcessorSession(SessionSettings settings, Post post, NoticeSink& notices,
                                   const Clock* clock)
    : settings_(settings),
      post_(std::move(post)),
      clock_(clock ? *clock : system_clock_),
      notices_(notices),
      alive_(std::make_shared<bool>(true)),
      transport_(std::make_unique<UdpTransport>(
          // Runs on the receive thread: only hand the frame over.
          [this](std::string frame) {
              if (handover_.push(std::move(frame))) {
                  post_drain();
              }
          },
          notices)),
      discovery_(post_, notices),
      dispatcher_(state_, changes_, clock_, *transport_, codec_),
      connection_(state_, clock_, *transport_, notices),
      supervisor_(state_, clock_) {
    change_sub_ = changes_.subscribe([this](const StateChange& c) { on_change(c); });
    level_sub_ = dispatcher_.levels().subscribe([this](const LevelReport&) { on_levels(); });
    connection_sub_ = connection_.events().subscribe(
        [this](const ConnectionEvent& e) { on_connection_event(e); });
    status_sub_ = supervisor_.status().subscribe([this](const ReportSupervisor::Status& s) {
        if (!s.online) {
            dispatcher_.clear_first_report_shown();
            level_views_.publish(levels_.silence());  // what is not heard is silence
        }
        refresh_status();
    });
}

void ProcessorSession::post_drain() {
    post_([this, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.lock()) {
            drain();
        }
    });
}

void ProcessorSession::drain() {
    bool again = false;
    for (const std::string& frame : handover_.take(again)) {
        on_frame(frame);
    }
    if (again) {
        post_drain();  // behind whatever else waits for the owner thread
    }
}

ProcessorSession::~ProcessorSession() {
    alive_.reset();
    discovery_.stop();
    transport_->stop();
}

bool ProcessorSession::start_search(std::optional<DeviceEndpoint> host,
                                    std::optional<uint16_t> device_port) {
    listening_ = false;
    close_when_sent_ = false;
    transport_->stop();
    discovery_.stop();
    if (!host) {
        host = DiscoveryService::host_address();
    }
    if (!host) {
        notices_.notice(DiscoveryService::kNoHostNotice, "");
        return false;
    }
    return discovery_.start(*host, settings_.control_port,
                            device_port.value_or(settings_.device.port));
}

bool ProcessorSession::take_device_address(std::string_view text) {
    const auto endpoint = DeviceEndpoint::parse(text);
    if (!endpoint) {
        notices_.notice(kBadAddressNotice, NoticeSink::kCaption);
        return false;
    }
    settings_.device = *endpoint;
    transport_->set_destination(*endpoint);
    transport_->accept_only(*endpoint);
    return true;
}

bool ProcessorSession::connect() {
    if (!connection_.can_start_attempt()) {
        return false;
    }
    close_when_sent_ = false;
    discovery_.stop();
    // Named before the socket opens, so no stranger's datagram gets in first; what the last
    // connection left waiting is not this one's.
    transport_->accept_only(settings_.device);
    handover_.clear();
    // A failed bind has told the operator; the attempt then runs into its time-out.
    transport_->start(settings_.control_port);
    transport_->set_destination(settings_.device);
    listening_ = true;
    connection_.begin_attempt();
    return true;
}

void ProcessorSession::disconnect() {
    cancel_transfer();
    connection_.disconnect();
}

void ProcessorSession::cancel_transfer() {
    if (writer_ == nullptr || !writer_->running()) {
        return;
    }
    const int unsent = writer_->cancel(transport_->queued());
    transport_->drop_queued();
    notices_.notice("The whole-state transfer was stopped: " + std::to_string(unsent) +
                        " commands were not sent.",
                    NoticeSink::kCaption);
}

void ProcessorSession::release_port() {
    discovery_.stop();
    if (!state_.system.connected && !listening_) {
        close_when_sent_ = false;
        transport_->stop();
        return;
    }
    // A processor busy with its reports may miss the first "off".
    DatagramList off = encode_level_reports(false);
    transport_->send(with_pause(off, std::chrono::milliseconds(100)));
    state_.system.connecting = 0;
    connection_.disconnect();
}

bool ProcessorSession::port_released() const {
    return !transport_->receive_running() && !discovery_.running();
}

void ProcessorSession::tick() {
    if (writer_ != nullptr) {
        writer_->advance(transport_->queued());
        if (writer_->running()) {
            supervisor_.defer();
        }
    }
    connection_.tick();
    supervisor_.tick();
    if (close_when_sent_) {
        advance_close();
    }
    const uint64_t foreign = transport_->foreign_datagrams();
    if (foreign != foreign_shown_) {
        foreign_shown_ = foreign;
        foreign_changes_.publish(foreign);
    }
}

void ProcessorSession::advance_close() {
    // The tick after the disconnect at the earliest, so the queued "Q" 00 has left.
    if (++close_ticks_ >= 2 && transport_->queued() == 0) {
        close_when_sent_ = false;
        transport_->stop();
        return;
    }
    if (clock_.now() < close_deadline_) {
        return;
    }
    if (close_forced_) {
        // Not even "Q" 00 alone could leave: close all the same.
        close_when_sent_ = false;
        transport_->stop();
        return;
    }
    // "Q" 00 is the last of the dropped datagrams; it goes again on its own.
    const std::size_t dropped = transport_->drop_queued();
    dropped_at_close_ = dropped > 0 ? dropped - 1 : 0;
    notices_.notice(std::to_string(dropped_at_close_) +
                        " frames could not be sent before the disconnect and were dropped.",
                    NoticeSink::kCaption);
    transport_->send(encode_level_reports(false));
    close_forced_ = true;
    close_deadline_ = clock_.now() + kCloseGrace;
}

void ProcessorSession::on_frame(const std::string& frame) {
    if (listening_) {
        dispatcher_.route_extracted_frame(frame);
    }
}

void ProcessorSession::refresh_status() {
    const ConnectionStatus now = ConnectionStatus::of(connection_, supervisor_);
    if (now != status_) {
        status_ = now;
        statuses_.publish(status_);
    }
}

void ProcessorSession::on_change(const StateChange& change) {
    if (change.from_processor()) {
        take_report(change);
    }
    // "Z" ends the attempt's first half and "Y" completes it; a loaded state may carry either.
    if (change.block == StateChange::Block::All || change.block == StateChange::Block::Connection) {
        refresh_status();
    }
}

void ProcessorSession::take_report(const StateChange& change) {
    switch (change.block) {
        case StateChange::Block::All:         // "Z"
        case StateChange::Block::Connection:  // "Y", or reports arriving again
            supervisor_.report_arrived();
            break;
        case StateChange::Block::Strip:  // "P"
            level_views_.publish(levels_.on_volume_report(state_));
            break;
        default:
            break;
    }
}

void ProcessorSession::on_levels() {
    supervisor_.report_arrived();
    level_views_.publish(levels_.on_level_report(state_));
}

void ProcessorSession::on_connection_event(const ConnectionEvent& event) {
    switch (event.kind) {
        case ConnectionEvent::Kind::GaveUp:
            listening_ = false;
            transport_->stop();
            break;
        case ConnectionEvent::Kind::Disconnected:
            // "Q" 00 is queued; close once it has gone out, and take no report meanwhile.
            listening_ = false;
            close_when_sent_ = true;
            close_ticks_ = 0;
            close_forced_ = false;
            dropped_at_close_ = 0;
            close_deadline_ = clock_.now() + transport_->queued_pacing() + kCloseGrace;
            supervisor_.went_offline();
            dispatcher_.clear_first_report_shown();
            break;
        default:
            break;
    }
    refresh_status();
}

}  // namespace kestra
