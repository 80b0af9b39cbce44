#include <unistd.h>

#include <cstdlib>
#include <ostream>

#include "shell.h"

namespace kestra::ctl {

namespace {

using namespace std::chrono_literals;

double time_scale(const Words& w) {
    if (w.size() == 2) {
        return 1.0;
    }
    if (w.size() != 4 || w[2] != "--time-scale") {
        throw CommandError("usage: firmware update [--time-scale F]");
    }
    char* end = nullptr;
    const double f = std::strtod(w[3].c_str(), &end);
    if (end == w[3].c_str() || *end != '\0' || !(f > 0 && f <= 1)) {
        throw CommandError("firmware update: --time-scale takes 0 < F <= 1, not '" + w[3] + "'");
    }
    return f;
}

void firmware_update(ShellEnv& env, const Words& w) {
    ScriptedConsole& c = env.controller;
    FirmwareUpdater::Settings settings;
    settings.local_port = c.console().settings().session.control_port;
    settings.device = c.session().device();
    settings.image_folders = FirmwareImage::search_folders(c.console().data_folder(),
                                                           FirmwareImage::running_program_folder());
    settings.timing = UpdateTiming{}.scaled(time_scale(w));

    FirmwareUpdater& updater = c.firmware();
    auto versions = updater.status().subscribe([&env](const UpdateStatus& s) {
        if (s.phase == UpdateStatus::Phase::Versions) {
            env.out << s.current_version << '\n' << s.local_version << std::endl;
        }
    });
    auto blocks = updater.progress().subscribe([&env](const UpdateProgress& p) {
        if (p.sent == p.total) {
            env.out << p.file_name << ": " << p.total << " blocks taken" << std::endl;
        }
    });
    if (!updater.start_local_update(settings)) {
        throw CommandError("firmware update did not start");
    }
    if (!c.run_until([&] { return !updater.running(); }, updater.time_bound())) {
        throw CommandError("firmware update: no end within " +
                           std::to_string(updater.time_bound().count()) + " ms");
    }
    switch (updater.last_result().value_or(TransferResult::Failed)) {
        case TransferResult::Succeeded:
            env.out << FirmwareUpdater::kSucceeded << std::endl;
            return;
        case TransferResult::Declined:
            throw CommandError("firmware update stopped by the operator");
        default:
            throw CommandError(FirmwareUpdater::kFailed);
    }
}

}  // namespace

void add_firmware_commands(ShellRegistry& registry) {
    registry.add("firmware", [](ShellEnv& env, const Words& w) {
        if (w.size() < 2 || w[1] != "update") {
            throw CommandError("usage: firmware update [--time-scale F]");
        }
        firmware_update(env, w);
    });
}

}  // namespace kestra::ctl
