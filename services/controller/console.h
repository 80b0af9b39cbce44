#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "controller/console_settings.h"
#include "firmware/firmware_updater.h"
#include "glyph/glyph_support.h"
#include "history/change_journal.h"
#include "operator/operator_actions.h"
#include "session/processor_session.h"
#include "store/journal_file.h"
#include "store/journal_writer.h"
#include "store/store_session.h"
#include "util/post.h"

namespace kestra {

// A state file, or the data folder, that could not be used; the text names the file.
class ConsoleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole controller as the window and the command line both assemble it: the session with
// its socket and dispatcher, the operator actions on its state, the stores of the data folder
// and the firmware update, all on the owner thread that `post` reaches. The owner calls
// tick() every 50 ms.
class Console {
public:
    // Throws ConsoleError when the settings' state file cannot be loaded.
    // `clock` null: the system's monotonic clock.
    Console(ConsoleSettings settings, Post post, NoticeSink& notices, QuestionSink& questions,
            const Clock* clock = nullptr);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    ProcessorSession& session() { return session_; }
    OperatorActions& surface() { return surface_; }
    DeviceState& state() { return session_.state(); }
    const ConsoleSettings& settings() const { return settings_; }
    // The settings' data folder, or the default one when none was given.
    const std::string& data_folder() const { return data_folder_; }

    // Made on first use; ticked with the session from then on.
    FirmwareUpdater& firmware();
    // Opened on first use, which creates the data folder; throws ConsoleError when it
    // cannot be created.
    StoreSession& stores();
    // The stores for a window's button: null, after telling the operator why, when the data
    // folder cannot be used.
    StoreSession* stores_or_notice();

    // Runs the owner thread's loop, ticking, until `done` returns true or `limit` has passed;
    // true when done. The command line's loop gives it; the window waits on its timers.
    using RunUntil =
        std::function<bool(const std::function<bool()>& done, std::chrono::milliseconds limit)>;
    enum class ConnectOutcome { Connected, CannotConnect, Incomplete };
    // Three requests 5 s apart plus the last time-out, with room to spare.
    static constexpr std::chrono::milliseconds kConnectLimit{17000};

    // The connect press; false when ignored because an attempt is running.
    bool connect() { return session_.connect(); }
    // A connect followed to its end: "Y" completed it, the attempt gave up, or it has stayed
    // "awaiting" past the connection rules' limit (Incomplete).
    ConnectOutcome connect_and_wait(const RunUntil& run_until);
    // The disconnect press, and the Search's end of a connection: while connected, listening
    // or while the connection rules still count an attempt, every waiting frame leaves, then
    // "Q" 00, and the socket closes; an attempt whose socket is already gone only ends, so a
    // new one may start. Returns whether a close is under way.
    bool disconnect();
    // A disconnect followed until the socket has closed; returns the frames that had to be
    // dropped at the close.
    std::size_t disconnect_and_wait(const RunUntil& run_until);
    // Runs the loop until a running transfer of the whole state has left the sender, bounded by
    // its planned duration with room to spare. False when it did not finish.
    bool wait_for_transfer(const RunUntil& run_until);
    // The program's end: a running search ends and the session closes as at a disconnect. A
    // close already under way is left to finish, so its "Q" 00 still goes out.
    void shutdown();
    // True once the control socket and the search socket are closed.
    bool shutdown_done() const { return session_.port_released(); }
    // Frames still waiting for their turn on the wire.
    std::size_t waiting_frames() { return session_.transport().queued(); }

    // The session (with a running transfer's progress), the firmware update, a recall's
    // read-back and the journal's file.
    void tick();

    // The operator's undo and redo and the change journal, written to the data folder; its
    // lines start with the last ones of earlier sessions.
    ChangeJournal& journal();
    // Ends the operator's step: a shell line, a window's input with no button held.
    void settle() { journal_->settle(); }
    ~Console();

private:
    void load_state_file(const std::string& path);
    void write_journal(const JournalLine& line);
    std::string history_path() const;

    ConsoleSettings settings_;
    std::string data_folder_;
    Post post_;
    NoticeSink& notices_;
    QuestionSink& questions_;
    GlyphSupport glyphs_;
    ProcessorSession session_;
    OperatorActions surface_;
    std::unique_ptr<FirmwareUpdater> firmware_;
    std::unique_ptr<StoreSession> stores_;
    std::unique_ptr<ChangeJournal> journal_;
    JournalWriter journal_writer_;
    std::uintmax_t history_end_ = 0;  // the file's length at the start
    bool history_read_ = false;
    Publisher<JournalLine>::Subscription journal_lines_;
};

}  // namespace kestra
