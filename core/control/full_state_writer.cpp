#include "control/full_state_writer.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace kestra {

namespace {

using std::chrono::milliseconds;

constexpr int kUnitRecords = 11;
constexpr int kFirstSourceInput = 33;
constexpr int kPeqBandsSent = 4;

class Sequence {
public:
    explicit Sequence(std::vector<DatagramList>& out) : out_(out) {}

    void add(DatagramList list, milliseconds pause) {
        out_.push_back(std::move(with_pause(list, pause)));
    }

private:
    std::vector<DatagramList>& out_;
};

}  // namespace

std::vector<DatagramList> FullStateWriter::commands(const DeviceState& state,
                                                    const CommandContext& names,
                                                    milliseconds name_pause) {
    if (names.glyphs == nullptr) {
        throw std::invalid_argument("the full state needs a glyph renderer for the names");
    }
    const NameCodec fallback;
    const NameCodec& codec = names.codec != nullptr ? *names.codec : fallback;
    std::vector<DatagramList> out;
    out.reserve(kCommandCount);
    Sequence seq(out);

    seq.add(encode_level_reports(false), kCommandPause);
    for (int i = 0; i < kUnitRecords; ++i) {
        seq.add(encode_unit_settings(state, i), kUnitPause);
    }
    for (int n = 1; n <= kWireChannelCount; ++n) {
        seq.add(encode_channel_name(state, n, codec, *names.glyphs), name_pause);
        seq.add(encode_fader(state, n), kCommandPause);
    }
    for (int n = kFirstSourceInput; n <= kInputCount; ++n) {
        seq.add(encode_input_source(state, n), kCommandPause);
    }
    for (int n = 1; n <= kInputCount; ++n) {
        seq.add(encode_matrix_row(state, n), kCommandPause);
        seq.add(encode_input_gain(state, n), kCommandPause);
        if (n <= kProcessedInputs) {
            seq.add(encode_compressor(state, n), kCommandPause);
            seq.add(encode_low_pass(state, n), kCommandPause);
            seq.add(encode_high_pass(state, n), kCommandPause);
            seq.add(encode_automix_channel(state, n), kCommandPause);
        }
    }
    for (int m = 1; m <= kOutputCount; ++m) {
        seq.add(encode_limiter(state, m), kCommandPause);
        seq.add(encode_graphic_eq(state, m), kCommandPause);
        seq.add(encode_output_mode(state, m), kCommandPause);
        seq.add(encode_output_delay(state, m), kCommandPause);
        if (m <= kMasterOutputs) {
            seq.add(encode_output_fbk(state, m), kCommandPause);
        }
    }
    for (int n = 1; n <= kProcessedInputs; ++n) {
        for (int b = 1; b <= kPeqBandsSent; ++b) {
            seq.add(encode_peq_band(state, n, b), kCommandPause);
        }
    }
    seq.add(encode_automix_settings(state), kCommandPause);
    seq.add(encode_level_reports(true), kCommandPause);
    return out;
}

bool FullStateWriter::start(milliseconds name_pause, Finished finished) {
    if (running_ || !context_.connected()) {
        return false;
    }
    const std::vector<DatagramList> sequence =
        commands(context_.state(), context_.names(), name_pause);
    DatagramList all;
    datagrams_through_.clear();
    planned_ = milliseconds{0};
    for (const DatagramList& command : sequence) {
        for (const Datagram& d : command) {
            planned_ += d.gap;
            all.push_back(d);
        }
        datagrams_through_.push_back(all.size());
    }
    if (!context_.send(std::move(all))) {
        return false;
    }
    running_ = true;
    finished_ = std::move(finished);
    context_.state().system.last_report_at = context_.clock().wall_now();
    publish({0, kCommandCount, true, false});
    return true;
}

void FullStateWriter::advance(std::size_t waiting) {
    if (!running_) {
        return;
    }
    if (!context_.connected()) {
        finish(false);  // the socket closed and dropped the rest
        return;
    }
    context_.state().system.last_report_at = context_.clock().wall_now();
    const int sent = sent_with(waiting);
    if (waiting == 0) {
        finish(true);
    } else if (sent != current_.sent) {
        publish({sent, kCommandCount, true, false});
    }
}

int FullStateWriter::cancel(std::size_t waiting) {
    if (!running_) {
        return 0;
    }
    current_.sent = sent_with(waiting);
    finish(false);
    return kCommandCount - current_.sent;
}

int FullStateWriter::sent_with(std::size_t waiting) const {
    const std::size_t total = datagrams_through_.back();
    const std::size_t gone = total - std::min(waiting, total);
    const auto done = std::upper_bound(datagrams_through_.begin(), datagrams_through_.end(), gone);
    return static_cast<int>(done - datagrams_through_.begin());
}

void FullStateWriter::finish(bool completed) {
    running_ = false;
    publish({completed ? kCommandCount : current_.sent, kCommandCount, false, completed});
    Finished finished = std::move(finished_);
    finished_ = nullptr;
    if (finished) {
        finished(completed);
    }
}

void FullStateWriter::publish(FullStateProgress p) {
    current_ = p;
    progress_.publish(p);
}

}  // namespace kestra
