#include "scripted_console.h"

#include <optional>
#include <ostream>

namespace kestra::ctl {

namespace {

// Online commands only: an offline command does not read --device.
ConsoleSettings settings_from(const GlobalOptions& options) {
    ConsoleOptions o;
    o.device = options.device;
    o.local_port = options.local_port;
    o.data_dir = options.data_dir;
    o.state_file = options.state_file;
    try {
        return ConsoleSettings::from(o);
    } catch (const ConsoleOptionError& e) {
        throw UsageError(e.what());
    }
}

}  // namespace

void PrintingNotices::notice(const std::string& text, const std::string&) {
    err_ << "notice: " << text << std::endl;
    last_ = text;
}

ScriptedConsole::ScriptedConsole(const GlobalOptions& options, std::ostream& err)
    : options_(options),
      notices_(err),
      controller_(
          settings_from(options), [this](std::function<void()> f) { loop_.post(std::move(f)); },
          notices_, questions_) {}

void ScriptedConsole::run_for(std::chrono::milliseconds d) {
    loop_.run_for(d, [this] { controller_.tick(); });
}

bool ScriptedConsole::run_until(const std::function<bool()>& done,
                                std::chrono::milliseconds limit) {
    return loop_.run_until(done, limit, [this] { controller_.tick(); });
}

bool ScriptedConsole::wait_for_transfer() {
    return controller_.wait_for_transfer(loop_runner());
}

Console::RunUntil ScriptedConsole::loop_runner() {
    return [this](const std::function<bool()>& done, std::chrono::milliseconds limit) {
        return run_until(done, limit);
    };
}

bool ScriptedConsole::connect() {
    switch (controller_.connect_and_wait(loop_runner())) {
        case Console::ConnectOutcome::Connected:
            return true;
        case Console::ConnectOutcome::Incomplete:
            throw CommandError(ConnectionRules::kIncompleteNotice);
        case Console::ConnectOutcome::CannotConnect:
            break;
    }
    return false;
}

void ScriptedConsole::disconnect() {
    const std::size_t dropped = controller_.disconnect_and_wait(loop_runner());
    if (dropped > 0) {
        throw CommandError(std::to_string(dropped) + " frames were dropped at the disconnect");
    }
}

}  // namespace kestra::ctl
