#include "scripted_console.h"

#include <optional>
#include <ostream>

namespace kestra::ctl {

namespace {

using namespace std::chrono_literals;

// Three requests 5 s apart plus the last time-out, with room to spare.
constexpr auto kConnectLimit = 17s;

}  // namespace

void PrintingNotices::notice(const std::string& text, const std::string&) {
    err_ << "notice: " << text << std::endl;
    last_ = text;
}

ConsoleSettings settings_from(const GlobalOptions& options) {
    ConsoleSettings settings;
    SessionSettings& s = settings.session;
    if (options.device) {
        const auto ep = DeviceEndpoint::parse(*options.device);
        if (!ep) {
            throw UsageError("--device takes A.B.C.D or A.B.C.D:PORT, not '" + *options.device +
                             "'");
        }
        s.device = *ep;
    }
    if (options.local_port) {
        s.control_port = static_cast<uint16_t>(*options.local_port);
    }
    settings.data_dir = options.data_dir;
    settings.state_file = options.state_file;
    return settings;
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
    const FullStateWriter& writer = surface().full_state;
    if (!writer.running()) {
        return true;
    }
    const auto limit = writer.planned_duration() + writer.planned_duration() / 2 + 5s;
    return run_until([&] { return !writer.running(); },
                     std::chrono::duration_cast<std::chrono::milliseconds>(limit));
}

bool ScriptedConsole::connect() {
    if (session().state().system.connected) {
        return true;
    }
    session().connect();
    // "Awaiting" has no time-out of its own: the connection rules say when it has lasted too
    // long, in the window too.
    const ConnectionRules& connection = session().connection();
    run_until(
        [&] {
            const ConnectionPhase phase = connection.phase();
            return phase == ConnectionPhase::Connected || phase == ConnectionPhase::Offline ||
                   connection.completion_overdue();
        },
        kConnectLimit);
    if (connection.phase() == ConnectionPhase::Awaiting) {
        throw CommandError(ConnectionRules::kIncompleteNotice);
    }
    return session().state().system.connected != 0;
}

void ScriptedConsole::disconnect() {
    if (session().state().system.connected || session().listening()) {
        session().disconnect();
        // The session bounds the close itself (the queue's pacing plus a grace, twice at
        // worst); the limit here only guards against a loop that never ticks.
        const auto bound =
            session().transport().queued_pacing() + 2 * ProcessorSession::kCloseGrace + 1s;
        run_until([this] { return !session().closing(); }, bound);
        if (session().dropped_at_close() > 0) {
            throw CommandError(std::to_string(session().dropped_at_close()) +
                               " frames were dropped at the disconnect");
        }
    }
}

}  // namespace kestra::ctl
