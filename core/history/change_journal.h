#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/action_context.h"
#include "history/scene_diff.h"
#include "model/state_fields.h"

namespace kestra {

// One line of the journal: when, who ("operator", "typed", "recall", "processor", "read",
// "undo", "redo") and what, with the changed fields of a short entry.
struct JournalLine {
    static constexpr std::size_t kMaxFieldsShown = 20;

    std::string time;  // "2026-12-09 21:30:05"
    std::string origin;
    std::string text;  // "CH3 VOL -10dB → -20dB"
    std::vector<SceneDiffEntry> fields;
};

// What an undo or a redo did: the entry's text, and the fields it left alone because the
// processor changed them after the entry.
struct UndoOutcome {
    std::string text;
    std::vector<std::string> kept;  // "CH 03 VOL"
};

// The change journal and the operator's undo and redo. It follows the state's change stream:
// what the operator's actions (with their group copies, a typed entry, a recall) changed
// between two calls of settle() becomes one entry, holding the before and after value of
// every field. The owner settles after each operator step: a shell line, a window's input
// once no button is held, so that a fader drag becomes one entry at its release. Changes
// the processor reports are journaled as they come, never undone, and an undo keeps a field
// whose value the processor changed after the entry. Undo and redo store the values and
// send what they change with the whole-state write's commands and pauses; every view
// follows the published change.
class ChangeJournal {
public:
    static constexpr std::size_t kDepth = 1000;             // undo entries kept
    static constexpr std::size_t kMaxFields = 250000;       // fields kept in undo and redo
    static constexpr std::size_t kMaxLines = 10000;         // lines kept in memory
    static constexpr std::chrono::seconds kReportMerge{2};  // reports this close share a line
    static constexpr const char* kUndoCaption = "Undo";
    static constexpr const char* kKept =
        "The processor changed these values after the entry; they were kept:";
    static constexpr const char* kComparing =
        "The recall is still comparing the processor with the scene; undo once it is done.";

    explicit ChangeJournal(ActionContext& context);
    ~ChangeJournal();
    ChangeJournal(const ChangeJournal&) = delete;
    ChangeJournal& operator=(const ChangeJournal&) = delete;

    // Ends the operator's step: what it changed becomes one undo entry and a journal line.
    void settle();

    // Nothing when there is nothing to undo (or redo).
    std::optional<UndoOutcome> undo();
    std::optional<UndoOutcome> redo();
    // The text of the entry undo (or redo) would apply; empty when there is none.
    std::string undo_text() const;
    std::string redo_text() const;

    // Writes out the processor's reports gathered for longer than the merge time.
    void tick();

    // Earlier lines (read from the journal file) shown before this session's.
    void add_history(std::vector<JournalLine> lines);
    const std::deque<JournalLine>& lines() const { return lines_; }
    // The last `n` lines, oldest first.
    std::vector<JournalLine> last(std::size_t n) const;

    // Every new line.
    Publisher<JournalLine>& appended() { return appended_; }

    std::size_t undo_depth() const { return undo_.size(); }
    std::size_t redo_depth() const { return redo_.size(); }
    // Fields held by the undo and redo entries, for the memory bound.
    std::size_t stored_fields() const { return stored_fields_; }

    static std::string time_text(const WallTime& t);

private:
    struct FieldChange {
        uint16_t unit;
        uint16_t slot;
        FieldValue before;
        FieldValue after;
    };
    struct Entry {
        std::string text;
        std::vector<FieldChange> changes;
    };
    enum class Direction { Undo, Redo };

    void observe(const StateChange& change);
    void note(const std::string& text);
    void fold_processor_change(const std::vector<int>& units, ChangeOrigin origin);
    std::vector<FieldChange> take_changes(const std::vector<int>& units, bool undoable_only);
    std::vector<SceneDiffEntry> describe(const std::vector<FieldChange>& changes) const;
    std::string entry_text(const std::vector<SceneDiffEntry>& fields, ChangeOrigin origin,
                           const std::string& label) const;
    void push_undo(Entry entry);
    std::optional<UndoOutcome> apply(Direction direction);
    void append(JournalLine line);
    void flush_report();
    void store_baseline(int unit);

    ActionContext& ctx_;
    std::unique_ptr<DeviceState> baseline_;
    std::vector<bool> pending_;
    bool any_pending_ = false;
    ChangeOrigin pending_origin_ = ChangeOrigin::Operator;
    bool applying_ = false;
    std::deque<Entry> undo_;
    std::vector<Entry> redo_;
    std::size_t stored_fields_ = 0;
    std::deque<JournalLine> lines_;
    // The report line that later reports of the same origin may still join.
    std::optional<ChangeOrigin> open_report_;
    Clock::TimePoint open_report_at_{};
    std::vector<FieldChange> open_report_changes_;
    Publisher<JournalLine> appended_;
    Publisher<StateChange>::Subscription subscription_;
    Publisher<std::string>::Subscription notes_;
};

}  // namespace kestra
