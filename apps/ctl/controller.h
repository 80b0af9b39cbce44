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
    const GlobalOptions& options() const { return options_; }

    void tick();
    void run_for(std::chrono::milliseconds d);
    bool run_until(const std::function<bool()>& done, std::chrono::milliseconds limit);

    // True once "Y" completed the connection; false when the attempt gave up.
    bool connect();
    void disconnect();

private:
    GlobalOptions options_;
    OwnerLoop loop_;
    PrintingNotices notices_;
    AlwaysOk questions_;
    GlyphSupport glyphs_;
    ControllerSession session_;
    ControlSurface surface_;
    std::unique_ptr<FirmwareUpdater> firmware_;
};

}  // namespace kestra::ctl
