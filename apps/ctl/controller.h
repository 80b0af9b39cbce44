#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "cli_args.h"
#include "control/control_surface.h"
#include "firmware/firmware_updater.h"
#include "glyph_support.h"
#include "protocol/frame_sink.h"
#include "session/controller_session.h"
#include "session/owner_loop.h"
#include "store/store_session.h"

namespace kestra::ctl {

// Operator messages go to stderr as "notice: TEXT".
class PrintingNotices final : public NoticeSink {
public:
    explicit PrintingNotices(std::ostream& err) : err_(err) {}
    void notice(const std::string& text, const std::string& caption) override;
    const std::string& last() const { return last_; }

private:
    std::ostream& err_;
    std::string last_;
};

SessionSettings settings_from(const GlobalOptions& options);

// A controller, the loop of its owner thread and the operator actions on its state.
class Controller {
public:
    Controller(const GlobalOptions& options, std::ostream& err);

    ControllerSession& session() { return session_; }
    ControlSurface& surface() { return surface_; }
    // Made on first use; ticked with the session.
    FirmwareUpdater& firmware();
    // The data folder's database and scenes, opened on first use (the folder is created then).
    StoreSession& stores();
    const GlobalOptions& options() const { return options_; }

    // The owner's 50 ms tick: the session (with a running transfer's progress) and the firmware
    // update.
    void tick();
    void run_for(std::chrono::milliseconds d);
    bool run_until(const std::function<bool()>& done, std::chrono::milliseconds limit);

    // True once "Y" completed the connection; false when the attempt gave up.
    bool connect();
    void disconnect();

    // Runs the owner loop until a running transfer of the whole state has left the sender,
    // bounded by its planned duration with room to spare. False when it did not finish.
    bool wait_for_transfer();

private:
    GlobalOptions options_;
    OwnerLoop loop_;
    PrintingNotices notices_;
    AlwaysOk questions_;
    GlyphSupport glyphs_;
    ControllerSession session_;
    ControlSurface surface_;
    std::unique_ptr<FirmwareUpdater> firmware_;
    std::unique_ptr<StoreSession> stores_;
};

}  // namespace kestra::ctl
