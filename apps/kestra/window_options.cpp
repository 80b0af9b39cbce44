#include "window_options.h"

#include <charconv>
#include <cstdlib>

#include "controller/console_settings.h"
#include "protocol/device_endpoint.h"

namespace kestra {

namespace {

int number(const std::string& text, int lo, int hi, const std::string& what) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < lo || value > hi) {
        throw WindowUsageError(what + " takes " + std::to_string(lo) + ".." + std::to_string(hi) +
                               ", not '" + text + "'");
    }
    return value;
}

QSize size_of(const std::string& text) {
    const auto x = text.find('x');
    if (x == std::string::npos) {
        throw WindowUsageError("--size takes WxH, not '" + text + "'");
    }
    return {number(text.substr(0, x), 200, 16384, "--size width"),
            number(text.substr(x + 1), 200, 16384, "--size height")};
}

}  // namespace

WindowOptions WindowOptions::parse(const std::vector<std::string>& args) {
    WindowOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& flag = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) {
                throw WindowUsageError(flag + " needs a value");
            }
            return args[++i];
        };
        if (flag == "--help" || flag == "-h") {
            o.help = true;
            return o;
        }
        if (flag == "--version") {
            o.version = true;
            return o;
        }
        if (flag == "--device") {
            o.device = value();
            ConsoleOptions device;
            device.device = o.device;
            try {
                ConsoleSettings::from(device);  // refused here, before the window needs a display
            } catch (const ConsoleOptionError& e) {
                throw WindowUsageError(e.what());
            }
        } else if (flag == "--local-port") {
            o.local_port = number(value(), 1, 65535, "--local-port");
        } else if (flag == "--host-address") {
            o.host_address = value();
            const auto ep = DeviceEndpoint::parse(*o.host_address);
            if (!ep || o.host_address->find(':') != std::string::npos) {
                throw WindowUsageError("--host-address takes A.B.C.D, not '" + *o.host_address +
                                       "'");
            }
        } else if (flag == "--data-dir") {
            o.data_dir = value();
        } else if (flag == "--state") {
            o.state_file = value();
        } else if (flag == "--size") {
            o.size = size_of(value());
        } else if (flag == "--scale") {
            o.scale = number(value(), 1, 2, "--scale");
        } else if (flag == "--screenshot") {
            o.screenshot = value();
        } else if (flag == "--script") {
            o.script = value();
        } else if (flag == "--demo") {
            o.demo = true;
        } else if (flag == "--firmware-time-scale") {
            const std::string text = value();
            char* end = nullptr;
            const double f = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0' || !(f > 0 && f <= 1)) {
                throw WindowUsageError("--firmware-time-scale takes 0 < F <= 1, not '" + text +
                                       "'");
            }
            o.firmware_time_scale = f;
        } else {
            throw WindowUsageError("unknown option '" + flag + "'");
        }
    }
    return o;
}

}  // namespace kestra
