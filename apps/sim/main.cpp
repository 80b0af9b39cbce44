// kestra-sim: a virtual processor on loopback, for trying and testing the controller.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/state_json.h"
#include "net/net_sandbox.h"
#include "net/udp_socket.h"
#include "protocol/device_endpoint.h"
#include "protocol/frame_extractor.h"
#include "simulated_processor.h"

namespace {

using Clock = std::chrono::steady_clock;
// A processor reports the end of an image once its flash is written.
constexpr auto kReportDelay = std::chrono::milliseconds(100);

volatile std::sig_atomic_t g_stop = 0;
void on_signal(int) {
    g_stop = 1;
}

constexpr const char* kUsage =
    "usage: kestra-sim --listen ADDR:PORT [--state FILE] [--mode normal|silent|z-only|no-y]\n"
    "                  [--report-hz N] [--no-fader-reports] [--fader-offset N]\n"
    "                  [--fader-period MS] [--inputs-processing 32|64]\n"
    "                  [--log FILE] [--exit-after SECONDS] [--dump-state FILE]\n"
    "                  [--firmware normal|fail-s|fail-t|fail-u] [--firmware-dir DIR]\n"
    "                  [--drop-commands PERCENT] [--seed N]\n"
    "       kestra-sim --help | -h | --version\n"
    "  --firmware-dir: each received firmware image is written to DIR/target<N>.bin, the\n"
    "  image bytes followed by their two checksum bytes (high byte first)\n"
    "  --drop-commands: that share of the received setting commands is lost before it is\n"
    "  applied (a lossy link); --seed chooses which, the same ones for the same sequence\n";

struct Options {
    kestra::DeviceEndpoint listen;
    std::optional<std::string> state_file;
    std::optional<std::string> dump_file;  // the processor's state as JSON, written at exit
    kestra::sim::SimMode mode = kestra::sim::SimMode::normal;
    double report_hz = 20;
    bool fader_reports = true;
    // "P" reports carry every volume moved by this much, as when someone works the
    // processor's own panel; 0 reports the volumes as received.
    int fader_offset = 0;
    int fader_period_ms = 3000;
    std::optional<std::string> log_file;
    double exit_after = 0;  // 0: run until a signal
    int processed_inputs = kestra::kInputCount;
    kestra::sim::FirmwareMode firmware = kestra::sim::FirmwareMode::normal;
    std::optional<std::string> firmware_dir;
    int drop_percent = 0;
    uint32_t seed = 1;
};

[[noreturn]] void usage_error(const std::string& what) {
    std::cerr << "error: " << what << '\n' << kUsage;
    std::exit(2);
}

Options parse_options(int argc, char** argv) {
    Options o;
    bool have_listen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage_error(a + " needs a value");
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            std::exit(0);
        }
        if (a == "--version") {
            std::cout << "kestra-sim " << KESTRA_VERSION << '\n';
            std::exit(0);
        }
        try {
            if (a == "--listen") {
                const auto ep = kestra::DeviceEndpoint::parse(next());
                if (!ep || !ep->is_loopback()) {
                    usage_error("--listen takes a loopback address 127.x.y.z:PORT");
                }
                o.listen = *ep;
                have_listen = true;
            } else if (a == "--state") {
                o.state_file = next();
            } else if (a == "--dump-state") {
                o.dump_file = next();
            } else if (a == "--mode") {
                const std::string m = next();
                using kestra::sim::SimMode;
                if (m == "normal") {
                    o.mode = SimMode::normal;
                } else if (m == "silent") {
                    o.mode = SimMode::silent;
                } else if (m == "z-only") {
                    o.mode = SimMode::z_only;
                } else if (m == "no-y") {
                    o.mode = SimMode::no_y;
                } else {
                    usage_error("unknown mode " + m);
                }
            } else if (a == "--report-hz") {
                o.report_hz = std::stod(next());
                if (o.report_hz <= 0 || o.report_hz > 200) {
                    usage_error("--report-hz takes 0 < N <= 200");
                }
            } else if (a == "--no-fader-reports") {
                o.fader_reports = false;
            } else if (a == "--fader-offset") {
                o.fader_offset = std::stoi(next());
                if (o.fader_offset < -70 || o.fader_offset > 70) {
                    usage_error("--fader-offset takes -70 <= N <= 70");
                }
            } else if (a == "--fader-period") {
                o.fader_period_ms = std::stoi(next());
                if (o.fader_period_ms < 50 || o.fader_period_ms > 60000) {
                    usage_error("--fader-period takes 50 <= MS <= 60000");
                }
            } else if (a == "--firmware") {
                const std::string m = next();
                using kestra::sim::FirmwareMode;
                if (m == "normal") {
                    o.firmware = FirmwareMode::normal;
                } else if (m == "fail-s") {
                    o.firmware = FirmwareMode::fail_s;
                } else if (m == "fail-t") {
                    o.firmware = FirmwareMode::fail_t;
                } else if (m == "fail-u") {
                    o.firmware = FirmwareMode::fail_u;
                } else {
                    usage_error("unknown firmware mode " + m);
                }
            } else if (a == "--drop-commands") {
                o.drop_percent = std::stoi(next());
                if (o.drop_percent < 0 || o.drop_percent > 100) {
                    usage_error("--drop-commands takes 0 <= PERCENT <= 100");
                }
            } else if (a == "--seed") {
                const long long seed = std::stoll(next());
                if (seed < 0 || seed > UINT32_MAX) {
                    usage_error("--seed takes 0 <= N <= 4294967295");
                }
                o.seed = static_cast<uint32_t>(seed);
            } else if (a == "--firmware-dir") {
                o.firmware_dir = next();
            } else if (a == "--log") {
                o.log_file = next();
            } else if (a == "--exit-after") {
                o.exit_after = std::stod(next());
            } else if (a == "--inputs-processing") {
                const std::string v = next();
                if (v != "32" && v != "64") {
                    usage_error("--inputs-processing takes 32 or 64");
                }
                o.processed_inputs = std::stoi(v);
            } else {
                usage_error("unknown option " + a);
            }
        } catch (const std::invalid_argument&) {
            usage_error(a + " needs a number");
        } catch (const std::out_of_range&) {
            usage_error(a + " takes a smaller number");
        }
    }
    if (!have_listen) {
        usage_error("--listen is required");
    }
    return o;
}

// Long replies leave in datagrams of at most 2048 bytes, joined again by the receiver.
void send_reply(int fd, const std::string& frame, const kestra::DeviceEndpoint& to) {
    constexpr std::size_t kMax = 2048;
    for (std::size_t off = 0; off < frame.size(); off += kMax) {
        kestra::send_datagram(fd, std::string_view(frame).substr(off, kMax), to);
    }
}

// Written beside and renamed, so a reader never sees half an image.
bool write_image(const std::string& dir, const kestra::sim::ReceivedImage& image) {
    const std::filesystem::path path =
        std::filesystem::path(dir) / ("target" + std::to_string(image.target) + ".bin");
    const std::filesystem::path part = path.string() + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.stream.data()),
                  static_cast<std::streamsize>(image.stream.size()));
        if (!out.flush()) {
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(part, path, ec);
    return !ec;
}

}  // namespace

int main(int argc, char** argv) {
    const Options opt = parse_options(argc, argv);
    kestra::sim::SimulatedProcessor sim(opt.mode, opt.processed_inputs);
    sim.set_firmware_mode(opt.firmware);
    sim.drop_commands(opt.drop_percent, opt.seed);
    if (opt.state_file) {
        std::ifstream f(*opt.state_file);
        const std::string text((std::istreambuf_iterator<char>(f)), {});
        try {
            kestra::StateJson::parse(text, sim.state(), kestra::NameCodec{});
        } catch (const std::exception& e) {
            std::cerr << "error: " << *opt.state_file << ": " << e.what() << '\n';
            return 1;
        }
    }
    std::ofstream log;
    if (opt.log_file) {
        log.open(*opt.log_file, std::ios::app);
        if (!log) {
            std::cerr << "error: cannot open " << *opt.log_file << '\n';
            return 1;
        }
    }
    const kestra::UdpSocket socket = kestra::UdpSocket::bind(opt.listen.port, opt.listen);
    const int fd = socket.fd();
    if (!socket.valid()) {
        std::cerr << "error: cannot bind " << opt.listen.address() << ":" << opt.listen.port
                  << '\n';
        return 1;
    }
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    std::cout << "listening " << opt.listen.address() << ":" << socket.port() << std::endl;

    const auto start = Clock::now();
    const auto report_period = std::chrono::duration<double>(1.0 / opt.report_hz);
    auto next_report = start;
    auto next_faders = start + std::chrono::seconds(3);
    std::optional<kestra::DeviceEndpoint> report_peer;
    std::map<std::string, kestra::FrameExtractor> extractors;
    // End reports of firmware images, due a little after the last block's answer.
    std::deque<std::pair<Clock::time_point, std::pair<std::string, kestra::DeviceEndpoint>>>
        due_reports;
    char buf[4096];

    while (!g_stop) {
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        if (opt.exit_after > 0 && t >= opt.exit_after) {
            break;
        }
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 2);
        if (p.revents & POLLIN) {
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n =
                ::recvfrom(fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n > 0) {
                const auto peer = kestra::endpoint_from(from);
                const std::string key = peer.address() + ":" + std::to_string(peer.port);
                const std::string_view data(buf, static_cast<std::size_t>(n));
                if (log) {
                    log << nlohmann::json{{"t", t}, {"from", key}, {"data", std::string(data)}}
                               .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                        << std::endl;
                }
                extractors[key].feed(data, [&](std::string_view frame) {
                    for (const std::string& reply : sim.on_frame(frame)) {
                        send_reply(fd, reply, peer);
                    }
                    if (auto image = sim.firmware().take_image()) {
                        if (opt.firmware_dir && !write_image(*opt.firmware_dir, *image)) {
                            std::cerr << "error: cannot write the image to " << *opt.firmware_dir
                                      << '\n';
                        }
                    }
                    if (auto report = sim.firmware().take_report()) {
                        due_reports.push_back({Clock::now() + kReportDelay, {*report, peer}});
                    }
                    if (frame[1] == 'Q') {
                        report_peer = sim.reports_on() ? std::optional(peer) : std::nullopt;
                    }
                });
            }
        }
        const auto now = Clock::now();
        while (!due_reports.empty() && due_reports.front().first <= now) {
            send_reply(fd, due_reports.front().second.first, due_reports.front().second.second);
            due_reports.pop_front();
        }
        if (report_peer && sim.reports_on() && now >= next_report) {
            send_reply(fd, sim.level_report(t), *report_peer);
            next_report += std::chrono::duration_cast<Clock::duration>(report_period);
            if (next_report < now) {
                next_report = now;
            }
        }
        if (report_peer && opt.fader_reports && now >= next_faders) {
            send_reply(fd, sim.fader_report(opt.fader_offset), *report_peer);
            next_faders = now + std::chrono::milliseconds(opt.fader_period_ms);
        }
    }
    if (opt.dump_file) {
        std::ofstream dump(*opt.dump_file);
        dump << kestra::StateJson::dump(sim.state(), kestra::NameCodec{}) << '\n';
        if (!dump) {
            std::cerr << "error: cannot write " << *opt.dump_file << '\n';
            return 1;
        }
    }
    return 0;
}
