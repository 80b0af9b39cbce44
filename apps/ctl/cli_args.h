#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestra::ctl {

// A command line mistake: printed as "error: ..." with exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failure of the requested operation: printed as "error: ..." with exit status 1.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct GlobalOptions {
    std::optional<std::string> state_file;
    std::optional<std::string> device;
    std::optional<int> local_port;
    std::optional<std::string> data_dir;
};

// Takes the global options off the front of `args`; what remains is the command.
GlobalOptions take_global_options(std::vector<std::string>& args);

// A decimal number in [lo, hi]; `what` names the argument in the error.
int parse_int(const std::string& text, int lo, int hi, const std::string& what);

}  // namespace kestra::ctl
