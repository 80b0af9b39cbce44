// Wall-clock figures of the paced sender over loopback: arrival gaps of a long run and the
// latency from send() to arrival on an empty queue. A plain program, since what it measures
// is the timing of real threads, not the cost of a function.
//
//   kestra_pacing_bench [frames=1000] [spin_us=200] [latency_samples=200]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "loopback_receiver.h"
#include "net/net_sandbox.h"
#include "net/udp_transport.h"
#include "stderr_notices.h"

namespace {

using namespace std::chrono_literals;
using kestra::bench::ms;
using kestra::bench::Wall;
using Receiver = kestra::bench::LoopbackReceiver;

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

kestra::DeviceEndpoint loopback(uint16_t port) {
    kestra::DeviceEndpoint ep;
    ep.octets = {127, 0, 0, 1};
    ep.port = port;
    return ep;
}

kestra::Datagram frame(int i) {
    char text[32];
    std::snprintf(text, sizeof text, "%%A,01,%04X,0000#", i & 0xFFFF);
    kestra::Datagram d;
    d.payload = text;
    return d;
}

}  // namespace

int main(int argc, char** argv) {
    // Loopback only, whatever the caller's environment says; no thread exists yet.
    ::setenv("KESTRA_NET_SANDBOX", "loopback", 1);
    const int frames = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int spin_us = argc > 2 ? std::atoi(argv[2]) : 200;
    const int samples = argc > 3 ? std::atoi(argv[3]) : 200;
    if (frames < 2 || samples < 1 || spin_us < 0) {
        std::fprintf(stderr, "usage: %s [frames>=2] [spin_us>=0] [latency_samples>=1]\n", argv[0]);
        return 2;
    }

    Receiver rx;
    kestra::bench::StderrNotices notices;
    kestra::UdpTransport transport(
        [](std::string) {}, notices,
        kestra::UdpTransport::Options{std::chrono::microseconds(spin_us)});
    if (!transport.start(0)) {
        std::fprintf(stderr, "cannot bind the transport\n");
        return 1;
    }
    transport.set_destination(loopback(rx.port));

    // Run of back-to-back frames, each with the 10 ms frame gap.
    std::vector<Wall::time_point> arrivals;
    arrivals.reserve(static_cast<std::size_t>(frames));
    std::thread receiver([&] {
        Wall::time_point at;
        while (arrivals.size() < static_cast<std::size_t>(frames) && rx.receive(at)) {
            arrivals.push_back(at);
        }
    });
    kestra::DatagramList list;
    for (int i = 0; i < frames; ++i) {
        list.push_back(frame(i));
    }
    const Wall::time_point begin = Wall::now();
    if (!transport.send(list)) {
        std::fprintf(stderr, "send refused\n");
        return 1;
    }
    const double send_call_ms = ms(Wall::now() - begin);
    receiver.join();
    if (arrivals.size() != static_cast<std::size_t>(frames)) {
        std::fprintf(stderr, "only %zu of %d frames arrived\n", arrivals.size(), frames);
        return 1;
    }
    std::vector<double> gaps;
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        gaps.push_back(ms(arrivals[i] - arrivals[i - 1]));
    }
    const double total = ms(arrivals.back() - begin);
    const double nominal = frames * 10.0;
    const auto below = std::count_if(gaps.begin(), gaps.end(), [](double g) { return g < 10.0; });

    std::printf("pacing: %d frames, 10 ms gap, spin %d us\n", frames, spin_us);
    std::printf("  send() of the whole list   %8.3f ms\n", send_call_ms);
    std::printf("  arrival gap median         %8.3f ms\n", percentile(gaps, 0.5));
    std::printf("  arrival gap p99            %8.3f ms\n", percentile(gaps, 0.99));
    std::printf("  arrival gap min / max      %8.3f / %.3f ms\n",
                *std::min_element(gaps.begin(), gaps.end()),
                *std::max_element(gaps.begin(), gaps.end()));
    std::printf("  gaps under 10.000 ms       %8ld of %zu \n", static_cast<long>(below),
                gaps.size());
    std::printf("  total / (N x 10 ms)        %8.4f  (%.1f ms / %.0f ms)\n", total / nominal, total,
                nominal);

    // Latency on an empty queue: spaced well past the gap so nothing waits.
    std::vector<double> latency;
    for (int i = 0; i < samples; ++i) {
        std::this_thread::sleep_for(20ms);
        const Wall::time_point t0 = Wall::now();
        if (!transport.send({frame(i)})) {
            std::fprintf(stderr, "send refused\n");
            return 1;
        }
        Wall::time_point at;
        if (!rx.receive(at)) {
            std::fprintf(stderr, "sample %d lost\n", i);
            return 1;
        }
        latency.push_back(ms(at - t0) * 1000.0);
    }
    std::printf("latency send() -> arrival, empty queue, %d samples 20 ms apart\n", samples);
    std::printf("  p50 %8.1f us   p99 %8.1f us   max %8.1f us\n", percentile(latency, 0.5),
                percentile(latency, 0.99), *std::max_element(latency.begin(), latency.end()));

    // What the owner thread pays for a reconnect on the same port.
    const uint16_t port = transport.local_port();
    std::vector<double> restart;
    for (int i = 0; i < 50; ++i) {
        transport.send({frame(i)});  // a pacer in the middle of its gap
        const auto t0 = std::chrono::steady_clock::now();
        transport.stop();
        const bool ok = transport.start(port);
        restart.push_back(ms(std::chrono::steady_clock::now() - t0) * 1000.0);
        if (!ok) {
            std::fprintf(stderr, "restart %d failed\n", i);
            return 1;
        }
        transport.set_destination(loopback(rx.port));
    }
    std::printf("stop() + start() on the same port, 50 times\n");
    std::printf("  p50 %8.1f us   max %8.1f us\n", percentile(restart, 0.5),
                *std::max_element(restart.begin(), restart.end()));

    const kestra::PacingStats stats = transport.stats();
    std::printf("sent %llu, failed %llu\n", static_cast<unsigned long long>(stats.sent),
                static_cast<unsigned long long>(stats.failed));
    transport.stop();
    return 0;
}
