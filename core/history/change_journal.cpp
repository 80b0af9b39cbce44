#include "history/change_journal.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "history/change_words.h"

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

}  // namespace

ChangeJournal::ChangeJournal(ActionContext& context)
    : ctx_(context),
      history_(context),
      log_(context.clock()),
      baseline_(std::make_unique<DeviceState>(context.state())),
      pending_(StateFields::kUnitCount, false),
      subscription_(context.changes().subscribe([this](const StateChange& c) { observe(c); })),
      notes_(context.journal_notes().subscribe([this](const std::string& t) { note(t); })) {}

ChangeJournal::~ChangeJournal() = default;

void ChangeJournal::observe(const StateChange& change) {
    if (history_.applying()) {
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
    std::vector<FieldChange> changes = take_changes(free_units);
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
    std::string text = ChangeWords::line(fields, origin, label);
    log_.append(origin, std::move(text), std::move(fields));
}

void ChangeJournal::tick() {
    if (open_report_ && ctx_.clock().now() - open_report_at_ >= kReportMerge) {
        flush_report();
    }
}

std::vector<FieldChange> ChangeJournal::take_changes(const std::vector<int>& units) {
    std::vector<FieldChange> out;
    const DeviceState& now = ctx_.state();
    for (int u : units) {
        if (StateFields::same(*baseline_, now, u)) {
            continue;
        }
        const std::vector<FieldValue> was = StateFields::values(*baseline_, u);
        std::vector<FieldValue> is = StateFields::values(now, u);
        for (std::size_t k = 0; k < was.size() && k < is.size(); ++k) {
            if (was[k] == is[k]) {
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

// Written without a change published (the processor's faders while offline, an undo's own
// values): nobody's step, so nothing to undo either.
void ChangeJournal::follow_unpublished() {
    for (int u = 0; u < StateFields::kUnitCount; ++u) {
        if (!StateFields::same(*baseline_, ctx_.state(), u)) {
            store_baseline(u);
        }
    }
}

std::vector<SceneDiffEntry> ChangeJournal::describe(const std::vector<FieldChange>& changes) const {
    const NameCodec fallback;
    const NameCodec& codec = ctx_.names().codec != nullptr ? *ctx_.names().codec : fallback;
    return ChangeWords::describe(ctx_.state(), changes, codec);
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
            store_baseline(u);  // written without a change published
        }
    }
    std::fill(pending_.begin(), pending_.end(), false);
    any_pending_ = false;
    const ChangeOrigin origin = pending_origin_;
    std::vector<FieldChange> changes = take_changes(units);
    if (changes.empty()) {
        return;
    }
    // A group switched on or off is journaled but never undone.
    std::vector<FieldChange> undoable_changes;
    std::copy_if(changes.begin(), changes.end(), std::back_inserter(undoable_changes),
                 [](const FieldChange& c) { return undoable(c.unit, c.slot); });
    std::vector<SceneDiffEntry> fields = describe(changes);
    std::string text = ChangeWords::line(fields, origin, label);
    if (undoable_changes.size() == changes.size()) {
        history_.push({text, std::move(undoable_changes)});
    } else if (!undoable_changes.empty()) {
        std::string undone = ChangeWords::line(describe(undoable_changes), origin, label);
        history_.push({std::move(undone), std::move(undoable_changes)});
    }
    log_.append(origin, std::move(text), std::move(fields));
}

std::optional<UndoOutcome> ChangeJournal::undo() {
    settle();
    return applied(history_.undo(), true);
}

std::optional<UndoOutcome> ChangeJournal::redo() {
    settle();
    return applied(history_.redo(), false);
}

std::optional<UndoOutcome> ChangeJournal::applied(std::optional<UndoOutcome> outcome,
                                                  bool undoing) {
    if (!outcome) {
        return outcome;
    }
    follow_unpublished();
    log_.append(undoing ? "undo" : "redo", (undoing ? "Undone: " : "Redone: ") + outcome->text);
    return outcome;
}

// The step that led to the note comes first, so the note reads after it.
void ChangeJournal::note(const std::string& text) {
    settle();
    log_.append(ChangeOrigin::Recall, text);
}

}  // namespace kestra
