#pragma once

#include <cstdint>
#include <string_view>

#include "model/device_state.h"
#include "model/state_change.h"
#include "protocol/datagram.h"
#include "protocol/frame_sink.h"
#include "protocol/reply_decoder.h"
#include "text/name_codec.h"
#include "util/clock.h"
#include "util/publisher.h"

namespace kestra {

// Applies every frame the processor sends to DeviceState, by its letter, and tells the
// observers on the state's change stream: "Z" as a full-state read of everything, "Y" and
// reports arriving again as the connection, "P" as every strip. "Q" goes to the level stream
// only. Runs on the state's owner thread; frames carry no sequence number, so each is
// applied whenever it arrives.
class ReplyDispatcher {
public:
    ReplyDispatcher(DeviceState& state, Publisher<StateChange>& changes, const Clock& clock,
                    FrameSink& sink, const NameCodec& codec);

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

    // Every accepted "Q", after the connection change a first report brings.
    Publisher<LevelReport>& levels() { return levels_; }

    // The command that switches level reports on once the connection reply has arrived.
    static Datagram reports_on_datagram();

private:
    void route(std::string_view frame, FrameCheck check);

    DeviceState& state_;
    Publisher<StateChange>& changes_;
    Publisher<LevelReport> levels_;
    const Clock& clock_;
    FrameSink& sink_;
    const NameCodec& codec_;
    const DatagramList reports_on_;
    uint64_t report_count_ = 0;
    bool first_report_shown_ = false;
};

}  // namespace kestra
