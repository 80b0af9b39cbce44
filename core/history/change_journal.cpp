#include "history/change_journal.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "session/full_state_writer.h"
#include "session/write_steps.h"

namespace kestra {

namespace {

using Scope = StateChange::Scope;
using Block = StateChange::Block;

std::vector<int> every_unit() {
    std::vector<int> all(StateFields::kUnitCount);
    for (int u = 0; u < StateFields::kUnitCount; ++u) {
        all[static_cast<std::size_t>(u)] = u;
    }
    return all;
}

// The units a change may have rewritten.
std::vector<int> units_of(const StateChange& c) {
    switch (c.scope) {
        case Scope::Input:
            if (c.index >= 0 && c.index < kInputCount) {
                return {StateFields::input_unit(c.index)};
            }
            break;
        case Scope::Output:
            if (c.index >= 0 && c.index < kOutputCount) {
                return {StateFields::output_unit(c.index)};
            }
            break;
        case Scope::System:
        case Scope::Units:
            if (c.block != Block::Connection) {
                return {StateFields::kSystemUnit};
            }
            break;  // a "Y" also brings names, units and gain steps
        case Scope::Groups:
            return {StateFields::kGroupsUnit};
        case Scope::Everything:
            break;
    }
    return every_unit();
}

// A group's activation lives beside the state in the strips' copies; it is a mode of the
// page, not a value to take back.
bool undoable(int unit, int slot) {
    if (unit != StateFields::kGroupsUnit) {
        return true;
    }
    const std::string& path = StateFields::paths(unit)[static_cast<std::size_t>(slot)];
    return !path.starts_with("control_active") && path != "active_mute_group";
}

const char* origin_name(ChangeOrigin origin) {
    switch (origin) {
        case ChangeOrigin::Operator:
            return "operator";
        case ChangeOrigin::TypedEntry:
            return "typed";
        case ChangeOrigin::Recall:
            return "recall";
        case ChangeOrigin::ProcessorReport:
            return "processor";
        case ChangeOrigin::FullStateRead:
            return "read";
    }
    return "operator";
}

std::string values_text(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " value" : " values");
}

// Where the processor or a later entry holds another value than the one an entry left.
bool moved_since(const FieldValue& now, const FieldValue& left) {
    return !(now == left);
}

}  // namespace

ChangeJournal::ChangeJournal(ActionContext& context)
    : ctx_(context),
      baseline_(std::make_unique<DeviceState>(context.state())),
      pending_(StateFields::kUnitCount, false),
      subscription_(context.changes().subscribe([this](const StateChange& c) { observe(c); })),
      notes_(context.journal_notes().subscribe([this](const std::string& t) { note(t); })) {}

ChangeJournal::~ChangeJournal() = default;

std::string ChangeJournal::time_text(const WallTime& t) {
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.year},
                  unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second});
    return text;
}

void ChangeJournal::observe(const StateChange& change) {
    if (applying_ || change.block == Block::Levels) {
        return;
    }
    const bool read_back = change.origin == ChangeOrigin::FullStateRead ||
                           (change.from_processor() && change.block == Block::Connection);
    if (read_back && ctx_.read_back_expected()) {
        return;
    }
    const std::vector<int> units = units_of(change);
    if (change.from_processor()) {
        // The connect reply after a read brings names, units and gain steps: the same read.
        const bool joins_read =
            open_report_ == ChangeOrigin::FullStateRead && change.block == Block::Connection;
        fold_processor_change(units, joins_read ? ChangeOrigin::FullStateRead : change.origin);
        return;
    }
    for (int u : units) {
        pending_[static_cast<std::size_t>(u)] = true;
    }
    // A recall or a typed entry names the step rather than the plain operator origin.
    if (!any_pending_ || pending_origin_ == ChangeOrigin::Operator) {
        pending_origin_ = change.origin;
    }
    any_pending_ = true;
}

// A unit the operator is still changing keeps its baseline: the step's entry takes what it
// holds when the step settles.
void ChangeJournal::fold_processor_change(const std::vector<int>& units, ChangeOrigin origin) {
    std::vector<int> free_units;
    for (int u : units) {
        if (!pending_[static_cast<std::size_t>(u)]) {
            free_units.push_back(u);
        }
    }
    std::vector<FieldChange> changes = take_changes(free_units, false);
    if (changes.empty()) {
        return;
    }
    const auto now = ctx_.clock().now();
    if (open_report_ && (*open_report_ != origin || now - open_report_at_ >= kReportMerge)) {
        flush_report();
    }
    if (!open_report_) {
        open_report_ = origin;
        open_report_at_ = now;
    }
    if (open_report_changes_.empty()) {
        open_report_changes_ = std::move(changes);  // a whole read need not look for merges
        changes.clear();
    }
    for (FieldChange& c : changes) {
        const auto same_field = [&c](const FieldChange& o) {
            return o.unit == c.unit && o.slot == c.slot;
        };
        const auto known =
            std::find_if(open_report_changes_.begin(), open_report_changes_.end(), same_field);
        if (known != open_report_changes_.end()) {
            known->after = std::move(c.after);
        } else {
            open_report_changes_.push_back(std::move(c));
        }
    }
}

void ChangeJournal::flush_report() {
    if (!open_report_) {
        return;
    }
    const ChangeOrigin origin = *open_report_;
    std::vector<FieldChange> changes = std::move(open_report_changes_);
    open_report_.reset();
    open_report_changes_.clear();
    std::erase_if(changes, [](const FieldChange& c) { return c.before == c.after; });
    if (changes.empty()) {
        return;
    }
    std::vector<SceneDiffEntry> fields = describe(changes);
    const std::string label =
        origin == ChangeOrigin::FullStateRead ? "State read from the processor" : "";
    JournalLine line{time_text(ctx_.clock().wall_now()),
                     origin_name(origin),
                     entry_text(fields, origin, label),
                     {}};
    if (fields.size() <= JournalLine::kMaxFieldsShown) {
        line.fields = std::move(fields);
    }
    append(std::move(line));
}

void ChangeJournal::tick() {
    if (open_report_ && ctx_.clock().now() - open_report_at_ >= kReportMerge) {
        flush_report();
    }
}

std::vector<ChangeJournal::FieldChange> ChangeJournal::take_changes(const std::vector<int>& units,
                                                                    bool undoable_only) {
    std::vector<FieldChange> out;
    const DeviceState& now = ctx_.state();
    for (int u : units) {
        if (StateFields::same(*baseline_, now, u)) {
            continue;
        }
        const std::vector<FieldValue> was = StateFields::values(*baseline_, u);
        std::vector<FieldValue> is = StateFields::values(now, u);
        for (std::size_t k = 0; k < was.size() && k < is.size(); ++k) {
            if (was[k] == is[k] || (undoable_only && !undoable(u, static_cast<int>(k)))) {
                continue;
            }
            out.push_back(
                {static_cast<uint16_t>(u), static_cast<uint16_t>(k), was[k], std::move(is[k])});
        }
        store_baseline(u);
    }
    return out;
}

void ChangeJournal::store_baseline(int unit) {
    const DeviceState& now = ctx_.state();
    if (StateFields::is_input(unit)) {
        baseline_->inputs[static_cast<std::size_t>(unit)] =
            now.inputs[static_cast<std::size_t>(unit)];
    } else if (StateFields::is_output(unit)) {
        const auto m = static_cast<std::size_t>(unit - kInputCount);
        baseline_->outputs[m] = now.outputs[m];
    } else if (unit == StateFields::kSystemUnit) {
        baseline_->system = now.system;
    } else {
        baseline_->groups = now.groups;
    }
}

// The read-out's texts need whole states: two copies of the state, one with every change's
// value before in its field, one with the value after.
std::vector<SceneDiffEntry> ChangeJournal::describe(const std::vector<FieldChange>& changes) const {
    auto before = std::make_unique<DeviceState>(ctx_.state());
    auto after = std::make_unique<DeviceState>(ctx_.state());
    for (const FieldChange& c : changes) {
        StateFields::assign(*before, c.unit, c.slot, c.before);
        StateFields::assign(*after, c.unit, c.slot, c.after);
    }
    const NameCodec fallback;
    const NameCodec& codec = ctx_.names().codec != nullptr ? *ctx_.names().codec : fallback;
    std::vector<SceneDiffEntry> out;
    out.reserve(changes.size());
    for (const FieldChange& c : changes) {
        out.push_back(
            SceneDiff::describe(*before, *after, c.unit, c.slot, c.before, c.after, codec));
    }
    return out;
}

std::string ChangeJournal::entry_text(const std::vector<SceneDiffEntry>& fields,
                                      ChangeOrigin origin, const std::string& label) const {
    if (!label.empty()) {
        const bool counted =
            origin == ChangeOrigin::Recall || origin == ChangeOrigin::FullStateRead;
        return counted ? label + ", " + values_text(fields.size()) + " changed" : label;
    }
    if (fields.empty()) {
        return {};
    }
    const SceneDiffEntry& first = fields.front();
    if (fields.size() == 1) {
        return first.text();
    }
    const bool alike = std::all_of(fields.begin(), fields.end(), [&first](const auto& e) {
        return e.parameter == first.parameter && e.before == first.before && e.after == first.after;
    });
    if (alike) {
        return first.text() + " on " + std::to_string(fields.size()) + " channels";
    }
    const std::size_t more = fields.size() - 1;
    return first.text() + " and " + std::to_string(more) +
           (more == 1 ? " more value" : " more values");
}

void ChangeJournal::settle() {
    flush_report();
    const std::string label = ctx_.take_label();  // a step that changed nothing drops its own
    if (!any_pending_) {
        return;
    }
    std::vector<int> units;
    for (int u = 0; u < StateFields::kUnitCount; ++u) {
        if (pending_[static_cast<std::size_t>(u)]) {
            units.push_back(u);
        } else if (!StateFields::same(*baseline_, ctx_.state(), u)) {
            // Written without a change published (the processor's faders while offline):
            // nobody's step, so nothing to undo either.
            store_baseline(u);
        }
    }
    std::fill(pending_.begin(), pending_.end(), false);
    any_pending_ = false;
    const ChangeOrigin origin = pending_origin_;
    std::vector<FieldChange> changes = take_changes(units, true);
    if (changes.empty()) {
        return;
    }
    std::vector<SceneDiffEntry> fields = describe(changes);
    Entry entry{entry_text(fields, origin, label), std::move(changes)};
    JournalLine line{time_text(ctx_.clock().wall_now()), origin_name(origin), entry.text, {}};
    if (fields.size() <= JournalLine::kMaxFieldsShown) {
        line.fields = std::move(fields);
    }
    for (const Entry& e : redo_) {
        stored_fields_ -= e.changes.size();
    }
    redo_.clear();
    push_undo(std::move(entry));
    append(std::move(line));
}

void ChangeJournal::push_undo(Entry entry) {
    stored_fields_ += entry.changes.size();
    undo_.push_back(std::move(entry));
    while (undo_.size() > 1 && (undo_.size() > kDepth || stored_fields_ > kMaxFields)) {
        stored_fields_ -= undo_.front().changes.size();
        undo_.pop_front();
    }
}

std::optional<UndoOutcome> ChangeJournal::undo() {
    return apply(Direction::Undo);
}
std::optional<UndoOutcome> ChangeJournal::redo() {
    return apply(Direction::Redo);
}

std::string ChangeJournal::undo_text() const {
    return undo_.empty() ? "" : undo_.back().text;
}
std::string ChangeJournal::redo_text() const {
    return redo_.empty() ? "" : redo_.back().text;
}

std::optional<UndoOutcome> ChangeJournal::apply(Direction direction) {
    settle();
    if (ctx_.read_back_expected()) {
        // The recall would write its scene over the values taken back.
        ctx_.notice(kComparing, kUndoCaption);
        return std::nullopt;
    }
    const bool undoing = direction == Direction::Undo;
    if (undoing ? undo_.empty() : redo_.empty()) {
        return std::nullopt;
    }
    Entry entry = undoing ? std::move(undo_.back()) : std::move(redo_.back());
    if (undoing) {
        undo_.pop_back();
    } else {
        redo_.pop_back();
    }
    const auto before = std::make_unique<DeviceState>(ctx_.state());
    DeviceState& state = ctx_.state();
    UndoOutcome outcome{entry.text, {}};
    std::vector<FieldChange> kept;
    std::vector<int> units;
    std::vector<FieldValue> values;
    int values_of = -1;
    for (auto it = entry.changes.rbegin(); it != entry.changes.rend(); ++it) {
        if (it->unit != values_of) {
            values_of = it->unit;
            values = StateFields::values(state, values_of);
            units.push_back(values_of);
        }
        const FieldValue& from = undoing ? it->after : it->before;
        const FieldValue& to = undoing ? it->before : it->after;
        if (moved_since(values[it->slot], from)) {
            kept.push_back(*it);
            continue;
        }
        StateFields::assign(state, it->unit, it->slot, to);
    }
    for (const SceneDiffEntry& e : describe(kept)) {
        outcome.kept.push_back(e.channel + " " + e.parameter);
    }
    std::sort(units.begin(), units.end());
    units.erase(std::unique(units.begin(), units.end()), units.end());
    for (int u : units) {
        store_baseline(u);
    }
    {
        applying_ = true;
        const ActionContext::OriginScope scope(ctx_, ChangeOrigin::Recall);
        ctx_.changed({Scope::Everything, StateChange::kEvery, Block::All},
                     ActionContext::Publish::Always);
        applying_ = false;
    }
    const std::vector<WriteStep> steps = WriteSteps::drawable(
        WriteSteps::differing(WriteSteps::every_field(FullStateWriter::kRecallNamePause), *before,
                              state),
        ctx_.names());
    ctx_.send(WriteSteps::encode_all(state, steps, ctx_.names()));
    if (!outcome.kept.empty()) {
        ctx_.notice(std::string(kKept) + listed_lines(outcome.kept, JournalLine::kMaxFieldsShown),
                    kUndoCaption);
    }
    if (undoing) {
        redo_.push_back(std::move(entry));
    } else {
        stored_fields_ -= entry.changes.size();  // counted again on the undo side
        push_undo(std::move(entry));
    }
    append({time_text(ctx_.clock().wall_now()),
            undoing ? "undo" : "redo",
            (undoing ? "Undone: " : "Redone: ") + outcome.text,
            {}});
    return outcome;
}

// The step that led to the note comes first, so the note reads after it.
void ChangeJournal::note(const std::string& text) {
    settle();
    append({time_text(ctx_.clock().wall_now()), origin_name(ChangeOrigin::Recall), text, {}});
}

void ChangeJournal::add_history(std::vector<JournalLine> lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (lines_.size() >= kMaxLines) {
            break;
        }
        lines_.push_front(std::move(*it));
    }
}

std::vector<JournalLine> ChangeJournal::last(std::size_t n) const {
    const std::size_t from = lines_.size() > n ? lines_.size() - n : 0;
    return {lines_.begin() + static_cast<std::ptrdiff_t>(from), lines_.end()};
}

void ChangeJournal::append(JournalLine line) {
    lines_.push_back(std::move(line));
    while (lines_.size() > kMaxLines) {
        lines_.pop_front();
    }
    appended_.publish(lines_.back());
}

}  // namespace kestra
