#pragma once

#include <QSize>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestra {

// A command line mistake: printed as "kestra: ..." with exit status 2.
class WindowUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct WindowOptions {
    std::optional<std::string> device;
    std::optional<int> local_port;
    std::optional<std::string> host_address;
    std::optional<std::string> data_dir;
    std::optional<std::string> state_file;
    std::optional<QSize> size;
    int scale = 1;
    std::optional<std::string> screenshot;
    std::optional<std::string> script;
    bool demo = false;
    // --help or -h, --version: the program prints and ends; later arguments are not read.
    bool help = false;
    bool version = false;
    // Shortens every wait of the firmware update, for trials against kestra-sim; 0 < F <= 1.
    double firmware_time_scale = 1.0;

    // Every argument after the program name; anything unknown or malformed throws.
    static WindowOptions parse(const std::vector<std::string>& args);
    static constexpr const char* kUsage =
        "usage: kestra [--device ADDR[:PORT]] [--local-port PORT] [--host-address A.B.C.D]\n"
        "              [--data-dir DIR] [--state FILE] [--size WxH] [--scale 1|2]\n"
        "              [--screenshot FILE] [--script FILE] [--demo]\n"
        "              [--firmware-time-scale F]\n"
        "       kestra --help | -h | --version\n";
};

}  // namespace kestra
