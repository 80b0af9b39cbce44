// The operator's fader move through the whole window path to the wire: a synthetic mouse move
// on a shown strip's fader, the strip action, the paced sender and loopback, at the rate of a
// steady drag. Each move changes the volume by one step, so every move has its own datagram;
// moves whose datagram never arrived (replaced while waiting) are counted, not timed.
//
//   kestra_strip_latency_bench [moves=500] [moves_per_second=50]

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "controls/bitmap_fader.h"
#include "loopback_receiver.h"
#include "net/udp_transport.h"
#include "operator/operator_actions.h"
#include "session/system_clock.h"
#include "stderr_notices.h"
#include "strips/input_strip.h"
#include "strips/strip_bank.h"
#include "window_input.h"

namespace {

using kestra::bench::mouse;
using kestra::bench::percentile;

using kestra::bench::ms;
using kestra::bench::Wall;

// The position of move k: down the track and back up, one step a move.
int position_of(int k) {
    const int cycle = k % 140;
    return cycle < 70 ? cycle + 1 : 139 - cycle;
}

}  // namespace

int main(int argc, char** argv) {
    kestra::bench::bench_environment();
    const int moves = argc > 1 ? std::atoi(argv[1]) : 500;
    const int rate = argc > 2 ? std::atoi(argv[2]) : 50;
    if (moves < 1 || rate < 1 || rate > 1000) {
        std::fprintf(stderr, "usage: %s [moves>=1] [moves_per_second 1-1000]\n", argv[0]);
        return 2;
    }
    int qt_argc = 1;
    char name[] = "kestra_strip_latency_bench";
    char* qt_argv[] = {name, nullptr};
    QApplication app(qt_argc, qt_argv);

    kestra::bench::LoopbackReceiver rx;
    std::mutex mutex;
    std::vector<std::pair<Wall::time_point, std::string>> arrivals;
    std::thread reader([&] {
        char data[4096];
        for (;;) {
            Wall::time_point at;
            sockaddr_in from{};
            socklen_t len = sizeof from;
            // Peek the payload, then take the datagram with its kernel timestamp.
            const ssize_t n = ::recvfrom(rx.fd, data, sizeof data, MSG_PEEK,
                                         reinterpret_cast<sockaddr*>(&from), &len);
            if (n <= 0 || !rx.receive(at)) {
                return;
            }
            std::lock_guard lock(mutex);
            arrivals.emplace_back(at, std::string(data, static_cast<std::size_t>(n)));
        }
    });

    kestra::bench::StderrNotices notices;
    kestra::UdpTransport transport([](std::string) {}, notices);
    if (!transport.start(0)) {
        std::fprintf(stderr, "no socket\n");
        return 1;
    }
    transport.set_destination(
        *kestra::DeviceEndpoint::parse("127.0.0.1:" + std::to_string(rx.port)));

    kestra::DeviceState state;
    state.system.connected = 1;
    kestra::Publisher<kestra::StateChange> changes;
    kestra::AlwaysOk answers;
    kestra::SystemClock clock;
    kestra::NameCodec codec;
    kestra::OperatorActions surface(state, changes, transport, notices, answers, clock,
                                    kestra::CommandContext{&codec, nullptr, {}, 1});
    QWidget canvas;
    canvas.resize(1600, 1000);
    kestra::StripBank strips(surface, notices, &canvas);
    canvas.show();
    kestra::InputStrip* strip = strips.input(2);
    strip->setGeometry(0, 200, 152, 700);
    strip->show_channel(2);
    kestra::BitmapFader* fader = strip->fader();
    const int x = fader->thumb_rect().center().x();
    mouse(fader, QEvent::MouseButtonPress, fader->thumb_rect().center());
    app.processEvents();

    // Volume -> the times its moves were made, oldest first.
    std::map<int, std::deque<Wall::time_point>> made;
    const auto period = std::chrono::microseconds(1'000'000 / rate);
    auto due = std::chrono::steady_clock::now();
    for (int k = 0; k < moves; ++k) {
        std::this_thread::sleep_until(due);
        due += period;
        const int position = position_of(k);
        made[70 - position].push_back(Wall::now());
        mouse(fader, QEvent::MouseMove, QPoint(x, fader->pixel_of(position)));
        app.processEvents();
    }
    mouse(fader, QEvent::MouseButtonRelease, QPoint(x, fader->pixel_of(position_of(moves - 1))));
    app.processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    transport.stop();
    reader.join();  // ends after two silent seconds

    std::vector<double> latency;
    for (const auto& [at, payload] : arrivals) {
        if (payload.rfind("%A,01,03,00,", 0) != 0 || payload.size() < 14) {
            continue;
        }
        const int volume = std::stoi(payload.substr(12, 2), nullptr, 16);
        auto& queue = made[volume];
        if (!queue.empty()) {
            latency.push_back(ms(at - queue.front()));
            queue.pop_front();
        }
    }
    if (latency.empty()) {
        std::fprintf(stderr, "no datagram arrived\n");
        return 1;
    }
    std::printf("fader moves: %d at %d/s; datagrams matched: %zu; moves never sent: %zu\n", moves,
                rate, latency.size(),
                static_cast<std::size_t>(moves) - std::min<std::size_t>(latency.size(), moves));
    std::printf("move -> wire: p50 %.3f ms  p99 %.3f ms  max %.3f ms  (goal: p99 < 2 ms)\n",
                percentile(latency, 0.5), percentile(latency, 0.99), percentile(latency, 1.0));
    return 0;
}
