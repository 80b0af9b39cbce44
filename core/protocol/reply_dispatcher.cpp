#include "protocol/reply_dispatcher.h"

#include "protocol/command_encoder.h"

namespace kestra {

namespace {

using Scope = StateChange::Scope;
using Block = StateChange::Block;
constexpr int kEvery = StateChange::kEvery;

constexpr StateChange kFullState{Scope::Everything, kEvery, Block::All,
                                 ChangeOrigin::FullStateRead};
constexpr StateChange kConnection{Scope::System, kEvery, Block::Connection,
                                  ChangeOrigin::ProcessorReport};
constexpr StateChange kFaders{Scope::Everything, kEvery, Block::Strip,
                              ChangeOrigin::ProcessorReport};

}  // namespace

ReplyDispatcher::ReplyDispatcher(DeviceState& state, Publisher<StateChange>& changes,
                                 const Clock& clock, FrameSink& sink, const NameCodec& codec)
    : state_(state),
      changes_(changes),
      clock_(clock),
      sink_(sink),
      codec_(codec),
      reports_on_{reports_on_datagram()} {}

Datagram ReplyDispatcher::reports_on_datagram() {
    return encode_level_reports(true).front();
}

bool ReplyDispatcher::decode_full_state(std::string_view frame) {
    return kestra::decode_full_state(frame, state_);
}

bool ReplyDispatcher::decode_connect_reply(std::string_view frame) {
    return kestra::decode_connect_reply(frame, state_, codec_);
}

bool ReplyDispatcher::decode_levels(std::string_view frame) {
    return kestra::decode_levels(frame, state_);
}

bool ReplyDispatcher::decode_faders(std::string_view frame) {
    return kestra::decode_faders(frame, state_);
}

void ReplyDispatcher::route_frame(std::string_view frame) {
    route(frame, FrameCheck::Verify);
}

void ReplyDispatcher::route_extracted_frame(std::string_view frame) {
    route(frame, FrameCheck::Trusted);
}

void ReplyDispatcher::route(std::string_view frame, FrameCheck check) {
    if (frame.size() < 2) {
        return;
    }
    SystemBlock& sys = state_.system;
    switch (frame[1]) {
        case 'Z':
            if (kestra::decode_full_state(frame, state_, check)) {
                sys.connecting = 0;
                sys.last_report_at = clock_.wall_now();
                changes_.publish(kFullState);
            }
            break;
        case 'Y':
            if (kestra::decode_connect_reply(frame, state_, codec_, check)) {
                sys.connecting = 0;
                sys.connected = 1;
                first_report_shown_ = true;
                sys.last_report_at = clock_.wall_now();
                // Observers see the connection complete before reports can start.
                changes_.publish(kConnection);
                sink_.send(reports_on_);
            }
            break;
        case 'Q':
            if (kestra::decode_levels(frame, state_, check)) {
                ++report_count_;
                sys.last_report_at = clock_.wall_now();
                if (!first_report_shown_) {
                    first_report_shown_ = true;
                    changes_.publish(kConnection);
                }
                levels_.publish(LevelReport{});
            }
            break;
        case 'P':
            // The values are kept offline too; only the faders stay still.
            if (kestra::decode_faders(frame, state_, check) && sys.connected == 1) {
                changes_.publish(kFaders);
            }
            break;
        default:  // "G" echoes and unknown letters carry nothing for the state
            break;
    }
}

}  // namespace kestra
