#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "actions/action_context.h"
#include "history/field_change.h"

namespace kestra {

// What an undo or a redo did: the entry's text, and the fields it left alone because the
// processor changed them after the entry.
struct UndoOutcome {
    std::string text;
    std::vector<std::string> kept;  // "CH 03 VOL"
};

// One operator step that undo can take back: its journal text and every field it changed.
struct UndoEntry {
    std::string text;
    std::vector<FieldChange> changes;
};

// The operator's undo and redo. Taking a step back (or forth) stores the values in the state,
// publishes the whole state as a recall and sends what changed through the field write-back.
// A field the processor (or a later entry) changed after the entry keeps its value and is
// named in a notice. Depth and the fields held are bounded.
class UndoHistory {
public:
    static constexpr std::size_t kDepth = 1000;        // undo entries kept
    static constexpr std::size_t kMaxFields = 250000;  // fields kept in undo and redo
    static constexpr std::size_t kMaxKeptShown = 20;   // kept fields named in the notice
    static constexpr const char* kCaption = "Undo";
    static constexpr const char* kKept =
        "The processor changed these values after the entry; they were kept:";
    static constexpr const char* kComparing =
        "The recall is still comparing the processor with the scene; undo once it is done.";

    explicit UndoHistory(ActionContext& context) : ctx_(context) {}

    // A new step: it can be undone, and what was undone before can no longer be redone.
    void push(UndoEntry entry);

    // Nothing when there is nothing to undo (or redo), or while a recall's read-back is
    // awaited (with a notice).
    std::optional<UndoOutcome> undo();
    std::optional<UndoOutcome> redo();
    // The text of the entry undo (or redo) would apply; empty when there is none.
    std::string undo_text() const;
    std::string redo_text() const;

    std::size_t undo_depth() const { return undo_.size(); }
    std::size_t redo_depth() const { return redo_.size(); }
    // Fields held by the undo and redo entries, for the memory bound.
    std::size_t stored_fields() const { return stored_fields_; }
    // True while an undo or redo publishes its own change.
    bool applying() const { return applying_; }

private:
    enum class Direction { Undo, Redo };

    std::optional<UndoOutcome> apply(Direction direction);
    void keep_bounded();
    void publish_applied();

    ActionContext& ctx_;
    std::deque<UndoEntry> undo_;
    std::vector<UndoEntry> redo_;
    std::size_t stored_fields_ = 0;
    bool applying_ = false;
};

}  // namespace kestra
