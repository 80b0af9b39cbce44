#include "cli_args.h"

#include <charconv>

namespace kestra::ctl {

namespace {

std::string take_value(std::vector<std::string>& args, std::size_t i) {
    if (i + 1 >= args.size()) {
        throw UsageError(args[i] + " needs a value");
    }
    std::string value = args[i + 1];
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    return value;
}

}  // namespace

GlobalOptions take_global_options(std::vector<std::string>& args) {
    GlobalOptions options;
    while (!args.empty() && args.front().rfind("--", 0) == 0) {
        const std::string flag = args.front();
        if (flag == "--help" || flag == "--version") {
            break;  // answered as commands
        }
        if (flag == "--state") {
            options.state_file = take_value(args, 0);
        } else if (flag == "--device") {
            options.device = take_value(args, 0);
        } else if (flag == "--data-dir") {
            options.data_dir = take_value(args, 0);
        } else if (flag == "--local-port") {
            options.local_port = parse_int(take_value(args, 0), 1, 65535, "--local-port");
        } else {
            throw UsageError("unknown option " + flag);
        }
    }
    return options;
}

int parse_int(const std::string& text, int lo, int hi, const std::string& what) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        throw UsageError(what + ": not a number: '" + text + "'");
    }
    if (value < lo || value > hi) {
        throw UsageError(what + ": " + text + " is outside " + std::to_string(lo) + ".." +
                         std::to_string(hi));
    }
    return value;
}

}  // namespace kestra::ctl
