#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/action_context.h"
#include "history/field_change.h"
#include "history/journal_log.h"
#include "history/undo_history.h"

namespace kestra {

// Turns the state's change stream into the operator's steps, each one undo entry and one
// journal line. What the operator's actions (with their group copies, a typed entry, a
// recall) changed between two calls of settle() is one step, holding the before and after
// value of every field. The owner settles after each operator step: a shell line, a window's
// input once no button is held, so that a fader drag becomes one entry at its release.
// Changes the processor reports are journaled as they come, those of one origin within
// kReportMerge on one line, and never become undo entries.
class ChangeJournal {
public:
    static constexpr std::size_t kDepth = UndoHistory::kDepth;
    static constexpr std::size_t kMaxFields = UndoHistory::kMaxFields;
    static constexpr std::size_t kMaxLines = JournalLog::kMaxLines;
    static constexpr std::chrono::seconds kReportMerge{2};  // reports this close share a line
    static constexpr const char* kUndoCaption = UndoHistory::kCaption;
    static constexpr const char* kKept = UndoHistory::kKept;
    static constexpr const char* kComparing = UndoHistory::kComparing;

    explicit ChangeJournal(ActionContext& context);
    ~ChangeJournal();
    ChangeJournal(const ChangeJournal&) = delete;
    ChangeJournal& operator=(const ChangeJournal&) = delete;

    // Ends the operator's step: what it changed becomes one undo entry and a journal line.
    void settle();

    // The step before is settled first; an undo (or redo) is a journal line of its own.
    std::optional<UndoOutcome> undo();
    std::optional<UndoOutcome> redo();
    std::string undo_text() const { return history_.undo_text(); }
    std::string redo_text() const { return history_.redo_text(); }

    // Writes out the processor's reports gathered for longer than the merge time.
    void tick();

    void add_history(std::vector<JournalLine> lines) { log_.add_history(std::move(lines)); }
    const std::deque<JournalLine>& lines() const { return log_.lines(); }
    std::vector<JournalLine> last(std::size_t n) const { return log_.last(n); }
    Publisher<JournalLine>& appended() { return log_.appended(); }

    std::size_t undo_depth() const { return history_.undo_depth(); }
    std::size_t redo_depth() const { return history_.redo_depth(); }
    std::size_t stored_fields() const { return history_.stored_fields(); }

    UndoHistory& history() { return history_; }
    JournalLog& log() { return log_; }

    static std::string time_text(const WallTime& t) { return JournalLog::time_text(t); }

private:
    void observe(const StateChange& change);
    void note(const std::string& text);
    void fold_processor_change(const std::vector<int>& units, ChangeOrigin origin);
    std::vector<FieldChange> take_changes(const std::vector<int>& units);
    std::vector<SceneDiffEntry> describe(const std::vector<FieldChange>& changes) const;
    std::optional<UndoOutcome> applied(std::optional<UndoOutcome> outcome, bool undoing);
    void flush_report();
    void store_baseline(int unit);
    void follow_unpublished();

    ActionContext& ctx_;
    UndoHistory history_;
    JournalLog log_;
    std::unique_ptr<DeviceState> baseline_;
    std::vector<bool> pending_;
    bool any_pending_ = false;
    ChangeOrigin pending_origin_ = ChangeOrigin::Operator;
    // The report line that later reports of the same origin may still join.
    std::optional<ChangeOrigin> open_report_;
    Clock::TimePoint open_report_at_{};
    std::vector<FieldChange> open_report_changes_;
    Publisher<StateChange>::Subscription subscription_;
    Publisher<std::string>::Subscription notes_;
};

}  // namespace kestra
