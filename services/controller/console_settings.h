#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "session/processor_session.h"

namespace kestra {

// The options both programs take for the controller, as their command lines give them.
struct ConsoleOptions {
    std::optional<std::string> device;        // --device ADDR[:PORT]
    std::optional<std::string> saved_device;  // the address kept from an earlier run
    std::optional<int> local_port;            // --local-port
    std::optional<std::string> data_dir;      // --data-dir
    std::optional<std::string> state_file;    // --state
};

// An option the controller cannot be built from; the text names the option and the value.
class ConsoleOptionError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

struct ConsoleSettings {
    SessionSettings session;
    // The data folder of the preset database and the scene files; DataFolder resolves the
    // default when none is given.
    std::optional<std::string> data_dir;
    // A prepared state to start from instead of the start-up defaults (JSON, image or scene
    // file); a connect replaces it with the processor's state as usual.
    std::optional<std::string> state_file;

    // The one reading of the options: --device before the kept address (a kept address that
    // no longer parses is passed over), the factory address without either. Throws
    // ConsoleOptionError for a --device or --local-port that cannot be used.
    static ConsoleSettings from(const ConsoleOptions& options);
};

}  // namespace kestra
