#include "online_commands.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "model/state_json.h"
#include "scripted_console.h"
#include "session/discovery_service.h"
#include "shell.h"

namespace kestra::ctl {

namespace {

using namespace std::chrono_literals;

constexpr int kExitCannotConnect = 3;

int pull(const GlobalOptions& options, std::ostream& out, std::ostream& err) {
    ScriptedConsole c(options, err);
    if (!c.connect()) {
        return kExitCannotConnect;
    }
    out << StateJson::dump(c.session().state(), c.session().codec()) << '\n';
    c.disconnect();
    return 0;
}

int levels(const GlobalOptions& options, const std::vector<std::string>& args, std::ostream& out,
           std::ostream& err) {
    int count = 10;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--count" && i + 1 < args.size()) {
            count = parse_int(args[++i], 1, 1000000, "--count");
        } else {
            throw UsageError("usage: kestra-ctl levels [--count N]");
        }
    }
    ScriptedConsole c(options, err);
    if (!c.connect()) {
        return kExitCannotConnect;
    }
    int printed = 0;
    auto sub = c.session().level_views().subscribe([&](const LevelView& v) {
        if (printed >= count || v.input_meter.empty()) {
            return;
        }
        nlohmann::json line{
            {"inputs", v.input_meter}, {"outputs", v.output_meter}, {"active", v.active}};
        out << line.dump() << std::endl;
        ++printed;
    });
    // Reports come 20 times a second; a silent processor ends the wait after 10 s.
    c.run_until([&] { return printed >= count; }, std::chrono::milliseconds(count * 200 + 10000));
    c.disconnect();
    return printed >= count ? 0 : 1;
}

int discover(const GlobalOptions& options, const std::vector<std::string>& args, std::ostream& out,
             std::ostream& err) {
    std::optional<DeviceEndpoint> host;
    std::optional<uint16_t> port;  // the processor port setting unless given
    double wait = 3.0;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--host-address" && i + 1 < args.size()) {
            host = DeviceEndpoint::parse(args[++i]);
            if (!host) {
                throw UsageError("--host-address takes A.B.C.D");
            }
        } else if (args[i] == "--port" && i + 1 < args.size()) {
            port = static_cast<uint16_t>(parse_int(args[++i], 1, 65535, "--port"));
        } else if (args[i] == "--wait" && i + 1 < args.size()) {
            wait = parse_int(args[++i], 0, 600, "--wait");
        } else {
            throw UsageError(
                "usage: kestra-ctl discover [--host-address A.B.C.D] [--port PORT] [--wait "
                "SECONDS]");
        }
    }
    ScriptedConsole c(options, err);
    if (!c.session().start_search(host, port)) {
        return 1;
    }
    DiscoveryService& discovery = c.session().discovery();
    const auto limit = std::chrono::milliseconds(static_cast<int>(wait * 1000));
    c.run_until([&] { return discovery.sweep_done(); }, limit + 5s);
    c.run_for(limit);
    discovery.stop();
    for (const auto& row : discovery.list().rows()) {
        out << row.address << '\t' << row.port << '\n';
    }
    return 0;
}

std::string meter_bar(int level) {
    constexpr int kWidth = 10;
    const int lit = (level * kWidth + 35) / 70;
    std::string bar;
    for (int i = 0; i < kWidth; ++i) {
        bar += i < lit ? "\u2588" : "\u00B7";
    }
    return bar;
}

// A text view of the 80 meters and the auto-mixer states, redrawn ten times a second.
std::string render_levels(const LevelView& v, const DeviceState& state, const NameCodec& codec) {
    std::ostringstream s;
    s << "\033[H\033[2J"
      << "KESTRA-V levels    A = auto-mixer ACTIVE, w = WAITING\n\n";
    auto cell = [&](const std::string& name, int level, const char* mark) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%-6.6s", name.c_str());
        s << buf << meter_bar(level) << ' ' << mark << "  ";
    };
    for (int row = 0; row < kInputCount / 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            const int i = col * 16 + row;
            const char* mark =
                i < kProcessedInputs ? (v.active[static_cast<std::size_t>(i)] ? "A" : "w") : " ";
            cell(codec.to_utf8(state.inputs[static_cast<std::size_t>(i)].short_name.str()),
                 v.input_meter[static_cast<std::size_t>(i)], mark);
        }
        s << '\n';
    }
    s << '\n';
    for (int row = 0; row < kOutputCount / 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            const int m = col * 4 + row;
            cell(codec.to_utf8(state.outputs[static_cast<std::size_t>(m)].short_name.str()),
                 v.output_meter[static_cast<std::size_t>(m)], " ");
        }
        s << '\n';
    }
    return s.str();
}

int watch(const GlobalOptions& options, const std::vector<std::string>& args, std::ostream& out,
          std::ostream& err) {
    int seconds = 10;
    if (args.size() == 3 && args[1] == "--seconds") {
        seconds = parse_int(args[2], 1, 86400, "--seconds");
    } else if (args.size() != 1) {
        throw UsageError("usage: kestra-ctl watch [--seconds N]");
    }
    ScriptedConsole c(options, err);
    if (!c.connect()) {
        return kExitCannotConnect;
    }
    auto last = std::chrono::steady_clock::now() - 1s;
    auto sub = c.session().level_views().subscribe([&](const LevelView& v) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last >= 100ms) {
            last = now;
            out << render_levels(v, c.session().state(), c.session().codec()) << std::flush;
        }
    });
    c.run_for(std::chrono::seconds(seconds));
    c.disconnect();
    return 0;
}

}  // namespace

bool is_online_command(const std::string& word) {
    return word == "discover" || word == "pull" || word == "levels" || word == "shell" ||
           word == "watch";
}

int run_online_command(const GlobalOptions& options, const std::vector<std::string>& args,
                       std::istream& in, std::ostream& out, std::ostream& err) {
    const std::string& word = args.at(0);
    if (word == "discover") {
        return discover(options, args, out, err);
    }
    if (word == "pull") {
        if (args.size() != 1) {
            throw UsageError("usage: kestra-ctl pull");
        }
        return pull(options, out, err);
    }
    if (word == "levels") {
        return levels(options, args, out, err);
    }
    if (word == "watch") {
        return watch(options, args, out, err);
    }
    return run_shell(options, in, out, err);
}

}  // namespace kestra::ctl
