#include "history/undo_history.h"

#include <memory>
#include <utility>

#include "history/change_words.h"
#include "session/field_write_back.h"
#include "session/full_state_writer.h"

namespace kestra {

void UndoHistory::push(UndoEntry entry) {
    for (const UndoEntry& e : redo_) {
        stored_fields_ -= e.changes.size();
    }
    redo_.clear();
    stored_fields_ += entry.changes.size();
    undo_.push_back(std::move(entry));
    keep_bounded();
}

void UndoHistory::keep_bounded() {
    while (undo_.size() > 1 && (undo_.size() > kDepth || stored_fields_ > kMaxFields)) {
        stored_fields_ -= undo_.front().changes.size();
        undo_.pop_front();
    }
}

std::optional<UndoOutcome> UndoHistory::undo() {
    return apply(Direction::Undo);
}
std::optional<UndoOutcome> UndoHistory::redo() {
    return apply(Direction::Redo);
}

std::string UndoHistory::undo_text() const {
    return undo_.empty() ? "" : undo_.back().text;
}
std::string UndoHistory::redo_text() const {
    return redo_.empty() ? "" : redo_.back().text;
}

std::optional<UndoOutcome> UndoHistory::apply(Direction direction) {
    if (ctx_.read_back_expected()) {
        // The recall would write its scene over the values taken back.
        ctx_.notice(kComparing, kCaption);
        return std::nullopt;
    }
    const bool undoing = direction == Direction::Undo;
    if (undoing ? undo_.empty() : redo_.empty()) {
        return std::nullopt;
    }
    UndoEntry entry = undoing ? std::move(undo_.back()) : std::move(redo_.back());
    if (undoing) {
        undo_.pop_back();
    } else {
        redo_.pop_back();
    }
    const auto before = std::make_unique<DeviceState>(ctx_.state());
    DeviceState& state = ctx_.state();
    std::vector<FieldChange> kept;
    std::vector<FieldValue> values;
    int values_of = -1;
    for (auto it = entry.changes.rbegin(); it != entry.changes.rend(); ++it) {
        if (it->unit != values_of) {
            values_of = it->unit;
            values = StateFields::values(state, values_of);
        }
        const FieldValue& from = undoing ? it->after : it->before;
        const FieldValue& to = undoing ? it->before : it->after;
        // Where the processor or a later entry holds another value than the entry left.
        if (!(values[it->slot] == from)) {
            kept.push_back(*it);
            continue;
        }
        StateFields::assign(state, it->unit, it->slot, to);
    }
    UndoOutcome outcome{entry.text, {}};
    const NameCodec fallback;
    const NameCodec& codec = ctx_.names().codec != nullptr ? *ctx_.names().codec : fallback;
    for (const SceneDiffEntry& e : ChangeWords::describe(state, kept, codec)) {
        outcome.kept.push_back(e.channel + " " + e.parameter);
    }
    publish_applied();
    FieldWriteBack::write(ctx_, WriteSteps::every_field(FullStateWriter::kRecallNamePause),
                          *before);
    if (!outcome.kept.empty()) {
        ctx_.notice(std::string(kKept) + listed_lines(outcome.kept, kMaxKeptShown), kCaption);
    }
    if (undoing) {
        redo_.push_back(std::move(entry));
    } else {
        stored_fields_ -= entry.changes.size();  // counted again on the undo side
        undo_.push_back(std::move(entry));
        stored_fields_ += undo_.back().changes.size();
        keep_bounded();
    }
    return outcome;
}

// Every view follows the published change; the journal knows it for its own.
void UndoHistory::publish_applied() {
    applying_ = true;
    const ActionContext::OriginScope scope(ctx_, ChangeOrigin::Undo);
    ctx_.changed({StateChange::Scope::Everything, StateChange::kEvery, StateChange::Block::All});
    applying_ = false;
}

}  // namespace kestra
