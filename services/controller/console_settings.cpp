#include "controller/console_settings.h"

namespace kestra {

ConsoleSettings ConsoleSettings::from(const ConsoleOptions& options) {
    ConsoleSettings settings;
    SessionSettings& s = settings.session;
    if (options.device) {
        const auto ep = DeviceEndpoint::parse(*options.device);
        if (!ep) {
            throw ConsoleOptionError("--device takes A.B.C.D or A.B.C.D:PORT, not '" +
                                     *options.device + "'");
        }
        s.device = *ep;
    } else if (options.saved_device) {
        if (const auto ep = DeviceEndpoint::parse(*options.saved_device)) {
            s.device = *ep;
        }
    }
    if (options.local_port) {
        if (*options.local_port < 1 || *options.local_port > 65535) {
            throw ConsoleOptionError("--local-port takes 1..65535, not '" +
                                     std::to_string(*options.local_port) + "'");
        }
        s.control_port = static_cast<uint16_t>(*options.local_port);
    }
    settings.data_dir = options.data_dir;
    settings.state_file = options.state_file;
    return settings;
}

}  // namespace kestra
