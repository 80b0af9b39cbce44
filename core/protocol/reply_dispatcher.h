#pragma once

#include <cstdint>
#include <string_view>

#include "model/device_state.h"
#include "protocol/datagram.h"
#include "protocol/frame_sink.h"
#include "protocol/reply_decoder.h"
#include "text/name_codec.h"
#include "util/clock.h"
#include "util/publisher.h"

namespace kestra {

// What a routed frame changed. Observers re-read DeviceState; the event carries no values.
struct StateChange {
    enum class Kind {
        FullState,     // an accepted "Z": every value it carries, after sanitizing
        ConnectReply,  // an accepted "Y": connected, names, unit data, gain steps
        Levels,        // an accepted "Q": level, mix_flag, mix_state
        Faders,        // an accepted "P" while connected: volume of every channel
        Online,        // reports arrive again after first_report_shown was cleared
    };
    Kind kind;

    bool operator==(const StateChange&) const = default;
};

// Applies every frame the processor sends to DeviceState, by its letter, and tells the
// observers. Runs on the state's owner thread; frames carry no sequence number, so each is
// applied whenever it arrives.
class ReplyDispatcher {
public:
    ReplyDispatcher(DeviceState& state, const Clock& clock, FrameSink& sink,
                    const NameCodec& codec);

    // Any frame text; the decoders check it again.
    void route_frame(std::string_view frame);
    // Only for a frame FrameExtractor has just handed over: its checksum is not computed twice.
    void route_extracted_frame(std::string_view frame);

    // True when the frame passed the checks and was applied; on false nothing was written.
    bool decode_full_state(std::string_view frame);
    bool decode_connect_reply(std::string_view frame);
    bool decode_levels(std::string_view frame);
    bool decode_faders(std::string_view frame);

    // Accepted level reports since the supervision last reset the count.
    uint64_t report_count() const { return report_count_; }
    void reset_report_count() { report_count_ = 0; }
    // Set by "Y" and by the first "Q" that finds it clear; the loss detection clears it.
    bool first_report_shown() const { return first_report_shown_; }
    void clear_first_report_shown() { first_report_shown_ = false; }

    Publisher<StateChange>& changes() { return changes_; }

    // The command that switches level reports on once the connection reply has arrived.
    static Datagram reports_on_datagram();

private:
    void route(std::string_view frame, FrameCheck check);

    DeviceState& state_;
    const Clock& clock_;
    FrameSink& sink_;
    const NameCodec& codec_;
    const DatagramList reports_on_;
    uint64_t report_count_ = 0;
    bool first_report_shown_ = false;
    Publisher<StateChange> changes_;
};

}  // namespace kestra
