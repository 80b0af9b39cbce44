// Datagrams -> FrameExtractor -> ReplyDispatcher, checking on the way that
//  - routing a frame checked twice and routing it trusted to the extractor agree,
//  - a decoder that rejects a text leaves the state unchanged,
//  - no reply leaves a value sanitize_after_bulk limits outside its limits.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "model/device_state.h"
#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"
#include "protocol/frame_extractor.h"
#include "protocol/reply_dispatcher.h"
#include "text/name_codec.h"
#include "util/clock.h"

namespace {

using namespace kestra;

class CountingSink : public FrameSink {
public:
    bool send(const DatagramList& datagrams) override {
        count += datagrams.size();
        return true;
    }
    std::size_t count = 0;
};

void require(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

// Gives every "%...#" in the datagram its right checksum, so that mutations reach the
// decoders instead of dying in the checksum test.
void repair_checksums(std::string& d) {
    std::size_t e = 0;
    while ((e = d.find('#', e)) != std::string::npos) {
        const std::size_t tail = e >= kChecksumTail - 1 ? e - (kChecksumTail - 1) : 0;
        const std::size_t s = tail > 0 ? d.rfind('%', tail - 1) : std::string::npos;
        if (s != std::string::npos) {
            std::string digits;
            FrameBuilder::append_hex(digits, frame_crc16(d.data() + s, tail - s), 4);
            d.replace(tail, 4, digits);
        }
        ++e;
    }
}

void require_sanitized_ranges(const DeviceState& s) {
    auto in = [](int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; };
    for (const InputChannel& ch : s.inputs) {
        require(in(ch.hpf_freq, 20, 20000) && in(ch.lpf_freq, 20, 20000));
        require(in(ch.hpf_slope, 2, 8) && in(ch.lpf_slope, 2, 8));
        require(ch.hpf_mode == 2 && ch.lpf_mode == 2);
        require(in(ch.automix_threshold, 0, 80) && in(ch.source, 0, 4));
        for (std::size_t b = 0; b < 4; ++b) {
            const PeqBand& band = ch.peq_band[b];
            require(in(band.freq, 20, 20000) && in(band.gain, 0, 300));
            require(in(band.q, 1, 200) && in(band.type, 0, 2));
        }
    }
    for (const OutputChannel& ch : s.outputs) {
        for (std::size_t b = 0; b < 15; ++b) {
            require(in(ch.geq_band[b].gain, 0, 300));
        }
    }
    require(in(s.system.automix_cfg[4], 0, 30));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const NameCodec codec;
    const fuzz::FuzzInput input = fuzz::parse_input(data, size);

    // Reused between runs: building a DeviceState costs more than most inputs.
    static const DeviceState fresh;
    static DeviceState checked;
    static DeviceState trusted;
    static DeviceState raw;
    static DeviceState before;
    checked = fresh;
    trusted = fresh;
    raw = fresh;

    ManualClock clock;
    CountingSink checked_sink;
    CountingSink trusted_sink;
    CountingSink raw_sink;
    Publisher<StateChange> changes;
    ReplyDispatcher checked_path(checked, changes, clock, checked_sink, codec);
    ReplyDispatcher trusted_path(trusted, changes, clock, trusted_sink, codec);
    ReplyDispatcher raw_path(raw, changes, clock, raw_sink, codec);
    FrameExtractor extractor;

    std::string repaired;
    for (std::string_view datagram : input.datagrams) {
        if (input.flags & fuzz::kRepairChecksums) {
            repaired.assign(datagram);
            repair_checksums(repaired);
            datagram = repaired;
        }
        extractor.feed(datagram, [&](std::string_view frame) {
            checked_path.route_frame(frame);
            trusted_path.route_extracted_frame(frame);
        });

        // The decoders take any text, not only what the extractor cut out.
        before = raw;
        bool applied = raw_path.decode_full_state(datagram);
        applied = raw_path.decode_connect_reply(datagram) || applied;
        applied = raw_path.decode_levels(datagram) || applied;
        applied = raw_path.decode_faders(datagram) || applied;
        require(applied || raw == before);
    }

    require(checked == trusted);
    require(checked_path.report_count() == trusted_path.report_count());
    require(checked_path.first_report_shown() == trusted_path.first_report_shown());
    require(checked_sink.count == trusted_sink.count);
    require_sanitized_ranges(checked);
    return 0;
}
