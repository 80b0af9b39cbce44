#include "controller.h"

#include <optional>
#include <ostream>

#include "store/data_folder.h"

namespace kestra::ctl {

namespace {

using namespace std::chrono_literals;

// Three requests 5 s apart plus the last time-out, with room to spare.
constexpr auto kConnectLimit = 17s;
constexpr auto kAwaitLimit = 3s;

CommandContext names_for(const ControllerSession& session, const GlyphRasterizer& glyphs) {
    CommandContext names;
    names.codec = &session.codec();
    names.glyphs = &glyphs;
    return names;
}

}  // namespace

void PrintingNotices::notice(const std::string& text, const std::string&) {
    err_ << "notice: " << text << std::endl;
    last_ = text;
}

SessionSettings settings_from(const GlobalOptions& options) {
    SessionSettings s;
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
    return s;
}

Controller::Controller(const GlobalOptions& options, std::ostream& err)
    : options_(options),
      notices_(err),
      session_(
          settings_from(options), [this](std::function<void()> f) { loop_.post(std::move(f)); },
          notices_),
      surface_(session_.state(), session_.changes(), session_.sink(), notices_, questions_,
               session_.clock(), names_for(session_, glyphs_)) {
    session_.track_transfers(&surface_.full_state);
}

void Controller::tick() {
    session_.tick();
    if (firmware_) {
        firmware_->tick();
    }
}

FirmwareUpdater& Controller::firmware() {
    if (!firmware_) {
        firmware_ = std::make_unique<FirmwareUpdater>(
            surface_.maintenance,
            FirmwareUpdater::PortRelease{[this] { session_.release_port(); },
                                         [this] { return session_.port_released(); }},
            [this](std::function<void()> f) { loop_.post(std::move(f)); }, notices_, questions_,
            session_.clock());
    }
    return *firmware_;
}

void Controller::run_for(std::chrono::milliseconds d) {
    loop_.run_for(d, [this] { tick(); });
}

bool Controller::run_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return loop_.run_until(done, limit, [this] { tick(); });
}

StoreSession& Controller::stores() {
    if (!stores_) {
        const std::string folder = DataFolder::resolve(options_.data_dir);
        std::string error;
        if (!DataFolder::ensure(folder, error)) {
            throw CommandError(error);
        }
        stores_ = std::make_unique<StoreSession>(folder, surface_, notices_);
    }
    return *stores_;
}

bool Controller::wait_for_transfer() {
    const FullStateWriter& writer = surface_.full_state;
    if (!writer.running()) {
        return true;
    }
    const auto limit = writer.planned_duration() + writer.planned_duration() / 2 + 5s;
    return run_until([&] { return !writer.running(); },
                     std::chrono::duration_cast<std::chrono::milliseconds>(limit));
}

bool Controller::connect() {
    if (session_.state().system.connected) {
        return true;
    }
    session_.connect();
    // "Awaiting" has no time-out of its own: the state came but no completion. Stop waiting a
    // while after it began rather than hang.
    std::optional<std::chrono::steady_clock::time_point> awaiting_since;
    run_until(
        [&] {
            const ConnectionPhase phase = session_.connection().phase();
            if (phase == ConnectionPhase::Awaiting && !awaiting_since) {
                awaiting_since = std::chrono::steady_clock::now();
            }
            return phase == ConnectionPhase::Connected || phase == ConnectionPhase::Offline ||
                   (awaiting_since &&
                    std::chrono::steady_clock::now() - *awaiting_since > kAwaitLimit);
        },
        kConnectLimit);
    if (session_.connection().phase() == ConnectionPhase::Awaiting) {
        throw CommandError("the processor sent its state but did not complete the connection");
    }
    return session_.state().system.connected != 0;
}

void Controller::disconnect() {
    if (session_.state().system.connected || session_.listening()) {
        session_.disconnect();
        run_for(150ms);  // "Q" 00 leaves before the socket closes
    }
}

}  // namespace kestra::ctl
