#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

#include "cli_args.h"
#include "controller/console.h"
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

// The shared controller on the command line's own owner loop, with the waits a script needs:
// a connect, a disconnect and a whole-state transfer each run the loop until they are done.
class ScriptedConsole {
public:
    ScriptedConsole(const GlobalOptions& options, std::ostream& err);

    kestra::Console& console() { return controller_; }
    ProcessorSession& session() { return controller_.session(); }
    OperatorActions& surface() { return controller_.surface(); }
    FirmwareUpdater& firmware() { return controller_.firmware(); }
    StoreSession& stores() { return controller_.stores(); }
    ChangeJournal& journal() { return controller_.journal(); }
    void settle() { controller_.settle(); }
    const GlobalOptions& options() const { return options_; }

    void run_for(std::chrono::milliseconds d);
    bool run_until(const std::function<bool()>& done, std::chrono::milliseconds limit);

    // True once "Y" completed the connection; false when the attempt gave up.
    bool connect();
    // Runs the loop until the session has let every waiting frame and "Q" 00 leave and closed
    // the socket; frames it had to drop make this a CommandError.
    void disconnect();

    // Runs the owner loop until a running transfer of the whole state has left the sender,
    // bounded by its planned duration with room to spare. False when it did not finish.
    bool wait_for_transfer();

private:
    Console::RunUntil loop_runner();

    GlobalOptions options_;
    OwnerLoop loop_;
    PrintingNotices notices_;
    AlwaysOk questions_;
    kestra::Console controller_;
};

}  // namespace kestra::ctl
