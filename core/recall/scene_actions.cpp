#include "recall/scene_actions.h"

#include <memory>
#include <stdexcept>

#include "model/state_image.h"
#include "model/state_ranges.h"
#include "recall/store_rows.h"
#include "text/channel_name_rule.h"

namespace kestra {

namespace {

void check_name(const std::string& name) {
    if (!channel_name_fits(name)) {
        throw std::invalid_argument(kChannelNameTooLong);
    }
}

}  // namespace

void SceneActions::check_known(StoreResult result, int id) const {
    if (result == StoreResult::Missing) {
        throw std::invalid_argument("no scene " + std::to_string(id));
    }
}

std::vector<SceneEntry> SceneActions::list() {
    std::vector<SceneEntry> rows = library_.list().value_or(std::vector<SceneEntry>{});
    if (rows.size() > static_cast<std::size_t>(kMaxScenes)) {
        rows.resize(kMaxScenes);
    }
    return rows;
}

std::optional<SceneEntry> SceneActions::save(const std::optional<std::string>& name) {
    if (name) {
        check_name(*name);
    }
    save_refusal_.clear();
    const std::optional<int> highest = library_.highest_id();
    if (!highest) {
        save_refusal_ = library_.last_error();
        return std::nullopt;
    }
    if (*highest >= kMaxScenes) {
        save_refusal_ = kFull;
        return std::nullopt;
    }
    const int id = *highest + 1;
    std::optional<SceneEntry> added = library_.add(id, name.value_or(default_name(id)),
                                                   StateImage::encode_scene(context_.state()));
    if (!added) {
        save_refusal_ = library_.last_error();
    }
    return added;
}

bool SceneActions::rename(int id, const std::string& name) {
    check_name(name);
    const StoreResult r = library_.rename(id, name);
    check_known(r, id);
    return r == StoreResult::Done;
}

bool SceneActions::remove(int id) {
    if (!context_.ask(kDeleteQuestion)) {
        return false;
    }
    const StoreResult r = library_.remove(id);
    check_known(r, id);
    return r == StoreResult::Done;
}

// A recall keeps the connection's own fields and switches the group activations off.
std::optional<DeviceState> SceneActions::load(int id) {
    std::vector<uint8_t> bytes;
    const StoreResult r = library_.read(id, bytes);
    check_known(r, id);
    if (r != StoreResult::Done) {
        return std::nullopt;
    }
    const DeviceState& state = context_.state();
    DeviceState staged = state;
    if (!StateImage::decode_scene(bytes, staged)) {
        context_.notice(kDamaged);
        return std::nullopt;
    }
    // Nothing of a file with one value out of range is applied or sent.
    if (const std::optional<RangeFault> fault = StateRanges::first_fault(staged)) {
        context_.notice("The scene file " + file_of(id) + " is damaged: " + fault->text() +
                        ". Nothing was recalled.");
        return std::nullopt;
    }
    staged.system.connected = state.system.connected;
    staged.system.connecting = state.system.connecting;
    staged.system.last_report_at = context_.clock().wall_now();
    staged.groups.control_active = {};
    staged.groups.active_mute_group = 0;
    return staged;
}

bool SceneActions::busy() {
    // A read-back (of this recall or of a recovery) would write its target over the scene.
    if (writer_.running() || changes_.running() || context_.read_back_expected()) {
        context_.notice(kTransferRunning);
        return true;
    }
    return false;
}

std::string SceneActions::file_of(int id) {
    for (const SceneEntry& e : list()) {
        if (e.id == id) {
            return StoreRows::scene_file_name(e.file);
        }
    }
    return "of scene " + std::to_string(id);
}

std::string SceneActions::scene_title(int id) {
    for (const SceneEntry& e : list()) {
        if (e.id == id) {
            return "Scene " + e.text();
        }
    }
    return "Scene " + std::to_string(id);
}

bool SceneActions::recall(int id) {
    if (!context_.ask(kRecallQuestion) || busy()) {
        return false;
    }
    std::optional<DeviceState> staged = load(id);
    if (!staged) {
        return false;
    }
    recall_whole(id, std::move(*staged));
    return true;
}

void SceneActions::recall_whole(int id, DeviceState staged) {
    const std::string title = scene_title(id);
    context_.label(title + " recalled");
    context_.state() = std::move(staged);
    context_.active_groups() = ActiveGroups{};
    const ActionContext::OriginScope recalled(context_, ChangeOrigin::Recall);
    context_.changed({StateChange::Scope::Everything, -1, StateChange::Block::All});
    if (!context_.connected()) {
        return;
    }
    auto scene = std::make_shared<const DeviceState>(context_.state());
    const std::weak_ptr<int> alive = alive_;
    writer_.start(FullStateWriter::kRecallNamePause, [this, alive, scene, title](bool completed) {
        if (!alive.expired()) {
            whole_written(*scene, title, completed);
        }
    });
}

// Leaving the sender is not arriving: the processor is read back as after a recall of the
// changes. A cut transfer leaves the room half written, which the journal keeps.
void SceneActions::whole_written(const DeviceState& scene, const std::string& title,
                                 bool completed) {
    if (!completed) {
        context_.journal_note(title + " recall stopped: " + std::to_string(writer_.current().sent) +
                              " of " + std::to_string(FullStateWriter::kCommandCount) +
                              " commands written");
        return;
    }
    changes_.check(scene, FullStateWriter::kCommandCount, title + " recall");
}

bool SceneActions::start_changes(int id, const DeviceState& staged) {
    const std::string title = scene_title(id);
    context_.label(title + " recalled");
    return changes_.start(staged, title + " recall");
}

bool SceneActions::recall_changes(int id) {
    if (!context_.ask(kRecallQuestion) || busy()) {
        return false;
    }
    if (!context_.fresh_read()) {
        context_.notice(kNoFreshRead);
        return false;
    }
    std::optional<DeviceState> staged = load(id);
    return staged && start_changes(id, *staged);
}

std::chrono::milliseconds SceneActions::whole_write_time() const {
    return WriteSteps::planned(WriteSteps::whole(FullStateWriter::kRecallNamePause));
}

std::optional<SceneActions::Preview> SceneActions::preview(int id) {
    std::optional<DeviceState> staged = load(id);
    if (!staged) {
        return std::nullopt;
    }
    const NameCodec fallback;
    const NameCodec& codec = context_.names().codec != nullptr ? *context_.names().codec : fallback;
    Preview p;
    p.diff = SceneDiff::between(context_.state(), *staged, codec);
    p.whole_time = whole_write_time();
    p.changes_offered = context_.fresh_read();
    if (p.changes_offered) {
        p.changes = changes_.steps_for(*staged);
        p.changes_time = changes_.estimate(p.changes);
    }
    return p;
}

namespace {

std::string seconds_text(std::chrono::milliseconds t) {
    const long long tenths = (t.count() + 50) / 100;
    if (tenths < 100) {
        return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
    }
    return std::to_string((tenths + 5) / 10) + " s";
}

std::string will_change(const SceneDiff& diff) {
    if (diff.empty()) {
        return "No value will change.";
    }
    const SceneDiffSummary s = diff.summary();
    return std::to_string(s.values) + (s.values == 1 ? " value" : " values") + " on " +
           std::to_string(s.channels) + (s.channels == 1 ? " channel" : " channels") +
           " will change.";
}

std::string diff_list(const SceneDiff& diff) {
    std::string out;
    for (const SceneDiffEntry& e : diff.entries()) {
        out += e.tab_line() + "\n";
    }
    return out;
}

}  // namespace

bool SceneActions::recall_asking(int id) {
    if (busy()) {
        return false;
    }
    std::optional<Preview> p = preview(id);
    if (!p) {
        return false;
    }
    OperatorChoice choice{std::string(kRecallQuestion) + "\n" + will_change(p->diff),
                          NoticeSink::kCaption,
                          {},
                          diff_list(p->diff)};
    // The offer counts what the list shows, the values, not the commands that carry them:
    // one command may carry several values, and a value no command carries still changes.
    const int changes = p->diff.summary().values;
    if (p->changes_offered) {
        choice.options.push_back("Only the " + std::to_string(changes) +
                                 (changes == 1 ? " change" : " changes") + " (about " +
                                 seconds_text(p->changes_time) + ")");
    }
    if (context_.connected()) {
        choice.options.push_back("Everything (about " + seconds_text(p->whole_time) + ")");
    } else {
        choice.options.push_back("OK");
    }
    const int chosen = context_.choose(choice);
    if (chosen < 0 || chosen >= static_cast<int>(choice.options.size())) {
        return false;
    }
    // Read again: while the question was open the connection may have changed, and a staged
    // state carries the connection's fields of when it was read.
    std::optional<DeviceState> staged = load(id);
    if (!staged) {
        return false;
    }
    if (p->changes_offered && chosen == 0) {
        return start_changes(id, *staged);
    }
    recall_whole(id, std::move(*staged));
    return true;
}

}  // namespace kestra
