#include "session/full_state_writer.h"

#include "session/write_steps.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace kestra {

std::vector<DatagramList> FullStateWriter::commands(const DeviceState& state,
                                                    const CommandContext& names,
                                                    std::chrono::milliseconds name_pause) {
    if (names.glyphs == nullptr) {
        throw std::invalid_argument("the full state needs a glyph renderer for the names");
    }
    std::vector<DatagramList> out;
    out.reserve(kCommandCount);
    for (const WriteStep& step : WriteSteps::whole(name_pause)) {
        out.push_back(WriteSteps::encode(state, step, names));
    }
    return out;
}

bool FullStateWriter::start(std::chrono::milliseconds name_pause, Finished finished) {
    if (running_ || !context_.connected()) {
        return false;
    }
    const std::vector<DatagramList> sequence =
        commands(context_.state(), context_.names(), name_pause);
    DatagramList all;
    datagrams_through_.clear();
    planned_ = std::chrono::milliseconds{0};
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
