// Wall time of the whole-state transfer to a loopback receiver, against the sum of the pauses
// and frame gaps of its whole-state write order. A plain program: it measures real threads and the
// kernel's arrival times, not the cost of a function.
//
//   kestra_full_state_bench [runs=1] [name_pause_ms=150] [spin_us=200]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "loopback_receiver.h"
#include "net/udp_transport.h"
#include "operator/operator_actions.h"
#include "stderr_notices.h"

namespace {

using namespace std::chrono_literals;
using kestra::bench::ms;
using kestra::bench::Wall;
using Receiver = kestra::bench::LoopbackReceiver;

// Cell contents do not change the frame lengths, so a blank renderer paces like a real one.
class BlankGlyphs : public kestra::GlyphRasterizer {
public:
    kestra::GlyphCell render(char32_t, bool wide) const override {
        return kestra::GlyphCell::blank(wide);
    }
};

class SteadyClock : public kestra::Clock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    kestra::WallTime wall_now() const override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
    ::setenv("KESTRA_NET_SANDBOX", "loopback", 1);  // before any socket exists
    const int runs = argc > 1 ? std::atoi(argv[1]) : 1;
    const int name_pause = argc > 2 ? std::atoi(argv[2]) : 150;
    const int spin_us = argc > 3 ? std::atoi(argv[3]) : 200;
    if (runs < 1 || name_pause < 0 || spin_us < 0) {
        std::fprintf(stderr, "usage: %s [runs>=1] [name_pause_ms>=0] [spin_us>=0]\n", argv[0]);
        return 2;
    }

    Receiver rx(4 << 20);  // a whole transfer may queue up while the reader is late
    kestra::bench::StderrNotices notices;
    kestra::UdpTransport transport(
        [](std::string) {}, notices,
        kestra::UdpTransport::Options{std::chrono::microseconds(spin_us)});
    if (!transport.start(0)) {
        std::fprintf(stderr, "cannot bind the transport\n");
        return 1;
    }
    transport.set_destination(
        *kestra::DeviceEndpoint::parse("127.0.0.1:" + std::to_string(rx.port)));

    kestra::DeviceState state;
    state.reset_defaults();
    state.system.connected = 1;
    BlankGlyphs glyphs;
    kestra::AlwaysOk questions;
    SteadyClock clock;
    kestra::Publisher<kestra::StateChange> changes;
    kestra::OperatorActions surface(state, changes, transport, notices, questions, clock,
                                    kestra::CommandContext{nullptr, &glyphs, {}, 1});
    kestra::FullStateWriter& writer = surface.full_state;

    std::printf("write_full_state: %d run(s), %d ms after each name, spin %d us\n", runs,
                name_pause, spin_us);
    std::vector<double> ratios;
    for (int run = 0; run < runs; ++run) {
        const auto sequence = kestra::FullStateWriter::commands(
            state, surface.context().names(), std::chrono::milliseconds(name_pause));
        std::size_t datagrams = 0;
        double paced = 0;  // every gap but the last: the time up to the last arrival
        for (const auto& command : sequence) {
            for (const auto& d : command) {
                paced += static_cast<double>(d.gap.count());
                ++datagrams;
            }
        }
        paced -= static_cast<double>(sequence.back().back().gap.count());

        std::vector<Wall::time_point> arrivals;
        arrivals.reserve(datagrams);
        std::thread receiver([&] {
            Wall::time_point at;
            while (arrivals.size() < datagrams && rx.receive(at)) {
                arrivals.push_back(at);
            }
        });
        const Wall::time_point begin = Wall::now();
        if (!writer.start(std::chrono::milliseconds(name_pause))) {
            std::fprintf(stderr, "the transfer did not start\n");
            return 1;
        }
        // The owner thread's 50 ms tick.
        while (writer.running()) {
            std::this_thread::sleep_for(50ms);
            writer.advance(transport.queued());
        }
        receiver.join();
        if (arrivals.size() != datagrams) {
            std::fprintf(stderr, "only %zu of %zu datagrams arrived\n", arrivals.size(), datagrams);
            return 1;
        }
        const double wall = ms(arrivals.back() - begin);
        const double first = ms(arrivals.front() - begin);
        ratios.push_back(wall / paced);
        std::printf("  run %d: %d commands, %zu datagrams, first after %.3f ms\n", run + 1,
                    kestra::FullStateWriter::kCommandCount, datagrams, first);
        std::printf("         wall %.1f ms / paced %.1f ms = %.5f\n", wall, paced, wall / paced);
    }
    std::printf("  worst ratio %.5f (goal <= 1.02)\n",
                *std::max_element(ratios.begin(), ratios.end()));
    transport.stop();
    return 0;
}
