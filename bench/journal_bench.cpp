// Memory of the change journal: 1,000 fader drags (twenty moves each, one entry at the
// release) and 10 scene recalls that each rewrite most of the state, measured as the heap in
// use before and after (glibc's mallinfo2), beside the fields the entries hold.
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <random>

#include "history/change_journal.h"
#include "operator/operator_actions.h"

namespace {

using namespace kestra;

struct Discard : FrameSink {
    bool send(const DatagramList&) override { return true; }
};
struct Quiet : NoticeSink {
    void notice(const std::string&, const std::string&) override {}
};

// Small blocks and the large ones malloc maps on their own.
std::size_t heap_in_use() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// A scene as far from `state` as the fields' ranges allow.
DeviceState scene_from(const DeviceState& state, std::mt19937& rng) {
    DeviceState s = state;
    std::uniform_int_distribution<int> any(0, 1000);
    for (InputChannel& in : s.inputs) {
        in.volume = any(rng) % 71;
        in.mute = any(rng) % 2;
        for (PeqBand& b : in.peq_band) {
            b.gain = any(rng) % 301;
            b.freq = 20 + any(rng) * 19;
            b.q = 1 + any(rng) % 200;
        }
        in.comp_ratio = 10 + any(rng) % 90;
        in.comp_threshold = any(rng) % 60;
        for (int32_t& m : in.matrix_row) {
            m = any(rng) % 2;
        }
        in.short_name.assign("IN" + std::to_string(any(rng)));
    }
    for (OutputChannel& out : s.outputs) {
        out.volume = any(rng) % 71;
        for (GeqBand& b : out.geq_band) {
            b.gain = any(rng) % 301;
        }
        out.lim_ratio = 10 + any(rng) % 90;
        out.short_name.assign("OUT" + std::to_string(any(rng)));
    }
    return s;
}

struct Room {
    DeviceState state;
    Publisher<StateChange> stream;
    Discard sink;
    Quiet notices;
    AlwaysOk questions;
    ManualClock clock;
    OperatorActions surface{state, stream, sink, notices, questions, clock};
    ChangeJournal journal{surface.context()};
};

void drags() {
    auto room = std::make_unique<Room>();
    room->state.system.connected = 1;
    const std::size_t before = heap_in_use();
    const auto t0 = std::chrono::steady_clock::now();
    for (int d = 0; d < 1000; ++d) {
        for (int move = 0; move < 20; ++move) {
            room->surface.strips.set_input_volume(d % 64, (d + move) % 70);  // never back to 70
        }
        room->journal.settle();
    }
    const auto ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0);
    const std::size_t after = heap_in_use();
    std::printf(
        "1000 fader drags: %zu entries, %zu fields, %zu journal lines, %.0f KiB of heap "
        "(%.0f bytes an entry), %.1f ms for 20,000 moves\n",
        room->journal.undo_depth(), room->journal.stored_fields(), room->journal.lines().size(),
        static_cast<double>(after - before) / 1024.0, static_cast<double>(after - before) / 1000.0,
        ms.count());
}

void recalls() {
    auto room = std::make_unique<Room>();
    std::mt19937 rng(7);
    const std::size_t before = heap_in_use();
    double undo_ms = 0;
    for (int r = 0; r < 10; ++r) {
        room->state = scene_from(room->state, rng);
        room->surface.context().label("Scene " + std::to_string(r + 1) + " recalled");
        const ActionContext::OriginScope recalled(room->surface.context(), ChangeOrigin::Recall);
        room->surface.context().changed(
            {StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::All});
        room->journal.settle();
    }
    const std::size_t after = heap_in_use();
    const std::size_t fields = room->journal.stored_fields();
    const auto t0 = std::chrono::steady_clock::now();
    room->journal.undo();
    undo_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::printf(
        "10 scene recalls: %zu fields, %.0f KiB of heap (%.0f KiB a recall); "
        "undoing one takes %.1f ms before its commands leave\n",
        fields, static_cast<double>(after - before) / 1024.0,
        static_cast<double>(after - before) / 10240.0, undo_ms);
}

}  // namespace

int main() {
    drags();
    recalls();
    return 0;
}
