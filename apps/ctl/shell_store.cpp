// Shell commands of the data folder: scenes, presets and the recovery.
#include <algorithm>
#include <cctype>
#include <climits>
#include <functional>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "history/scene_diff.h"
#include "shell.h"

namespace kestra::ctl {

namespace {

constexpr const char* kSceneUsage =
    "usage: scene save [NAME] | scene list | scene recall ID [--changes] | scene rename ID NAME | "
    "scene delete ID | scene diff ID [ID2]";
constexpr const char* kPresetUsage =
    "usage: preset TABLE list | preset TABLE save CHANNEL [NAME] | preset TABLE recall ID "
    "CHANNEL | preset TABLE rename ID NAME | preset TABLE delete ID  (TABLE: PEQ GEQ "
    "Compressor LIMIT)";

// The tables an editor shows; the others are kept but have no view.
constexpr PresetTable kShellTables[] = {PresetTable::Peq, PresetTable::Geq, PresetTable::Compressor,
                                        PresetTable::Limit};

// Words from `first` on, joined by one blank: a name may hold blanks.
std::string rest_of(const Words& w, std::size_t first) {
    std::string text;
    for (std::size_t i = first; i < w.size(); ++i) {
        text += (i > first ? " " : "") + w[i];
    }
    return text;
}

std::optional<std::string> optional_name(const Words& w, std::size_t first) {
    return w.size() > first ? std::optional(rest_of(w, first)) : std::nullopt;
}

int word_id(const Words& w, std::size_t i) {
    return word_int(w, i, 1, INT_MAX, "ID");
}

void expect(bool ok, const char* usage) {
    if (!ok) {
        throw CommandError(usage);
    }
}

bool same_letters(const std::string& a, const char* b) {
    const std::string other(b);
    return std::equal(a.begin(), a.end(), other.begin(), other.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

PresetTable table_word(const std::string& word) {
    for (PresetTable t : kShellTables) {
        if (same_letters(word, preset_table_info(t).table)) {
            return t;
        }
    }
    throw CommandError("unknown preset table '" + word + "' (PEQ GEQ Compressor LIMIT)");
}

// Lets a recall or recovery transfer drain so that the script's next line sees its result;
// prints the progress every hundred commands.
void wait_for_transfer(ShellEnv& env) {
    FullStateWriter& writer = env.controller.surface().full_state;
    if (!writer.running()) {
        return;
    }
    int shown = 0;
    auto sub = writer.progress().subscribe([&](const FullStateProgress& p) {
        if (p.sent >= shown + 100 || (!p.running && p.sent != shown)) {
            shown = p.sent;
            env.err << "sent " << p.sent << " of " << p.total << " commands" << std::endl;
        }
    });
    if (!env.controller.wait_for_transfer()) {
        throw CommandError("the transfer to the processor did not finish in time");
    }
    if (!writer.current().completed) {
        throw CommandError("the transfer to the processor was cut short");
    }
}

// Every round may write the whole state again; this only guards against a loop that never
// ends the read-back.
std::chrono::milliseconds read_back_limit(SceneActions& scenes) {
    return (std::chrono::milliseconds(RecallReadBack::kReadBackLimit) + scenes.whole_write_time()) *
               RecallReadBack::kRounds +
           RecallReadBack::kReplyWait + std::chrono::seconds(1);
}

// One line a parameter: "peq_on<TAB>cannot be verified on CH 01, CH 02".
void print_unverifiable(ShellEnv& env, const std::vector<SceneDiffEntry>& fields) {
    std::vector<std::pair<std::string, std::string>> lines;
    for (const SceneDiffEntry& e : fields) {
        const auto same = std::find_if(lines.begin(), lines.end(),
                                       [&e](const auto& l) { return l.first == e.parameter; });
        if (same == lines.end()) {
            lines.emplace_back(e.parameter, e.channel);
        } else {
            same->second += ", " + e.channel;
        }
    }
    for (const auto& [parameter, channels] : lines) {
        env.out << parameter << "\tcannot be verified on " << channels << '\n';
    }
}

// The read-back's verdict after the "sent" line: "verified", or what differed; the line fails
// unless the processor answered and holds what was written.
void print_read_back(ShellEnv& env, const ReadBackResult& r, const std::string& what) {
    if (!r.read_back) {
        throw CommandError(
            "the processor did not answer the read-back; its settings were not "
            "compared with " +
            what);
    }
    if (!r.differed.empty()) {
        for (const SceneDiffEntry& e : r.differed) {
            env.out << e.tab_line() << '\n';
        }
        env.out << r.differed.size() << " fields differed and were written again" << std::endl;
    }
    print_unverifiable(env, r.unverifiable);
    if (!r.remaining.empty()) {
        for (const SceneDiffEntry& e : r.remaining) {
            env.out << e.tab_line() << '\n';
        }
        env.out << std::flush;
        throw CommandError(std::to_string(r.remaining.size()) + " fields still differ from " +
                           what + " after " + std::to_string(r.rounds) + " read-backs");
    }
    env.out << "verified" << std::endl;
}

// The end of a read-back, subscribed before the action starts so that no end is missed.
class ReadBackWait {
public:
    explicit ReadBackWait(Publisher<ReadBackResult>& finished)
        : sub_(finished.subscribe([this](const ReadBackResult& r) { result_ = r; })) {}

    // Runs the owner loop until the read-back ended, or until `running` tells that none is
    // awaited (the write ended without one).
    const ReadBackResult& wait(ShellEnv& env, const std::function<bool()>& running,
                               std::chrono::milliseconds limit) {
        env.controller.run_until([&] { return result_.has_value() || !running(); }, limit);
        if (!result_) {
            throw CommandError(running() ? "the read-back did not finish in time"
                                         : "the processor was not read back");
        }
        return *result_;
    }

private:
    std::optional<ReadBackResult> result_;
    Publisher<ReadBackResult>::Subscription sub_;
};

DeviceState scene_state(SceneActions& scenes, int id) {
    std::optional<DeviceState> state = scenes.load(id);
    if (!state) {
        throw CommandError("scene " + std::to_string(id) + " not read");
    }
    return std::move(*state);
}

// Against the current state, or between two scenes; each side as a recall would leave it.
void scene_diff(ShellEnv& env, SceneActions& scenes, const Words& w) {
    expect(w.size() == 3 || w.size() == 4, kSceneUsage);
    auto& session = env.controller.session();
    const DeviceState first = scene_state(scenes, word_id(w, 2));
    const SceneDiff diff =
        w.size() == 4
            ? SceneDiff::between(first, scene_state(scenes, word_id(w, 3)), session.codec())
            : SceneDiff::between(session.state(), first, session.codec());
    for (const SceneDiffEntry& e : diff.entries()) {
        env.out << e.tab_line() << '\n';
    }
    env.out << diff.summary_text() << std::endl;
}

// Sends the changed commands, waits for the read-back, and prints what it found.
void recall_changes(ShellEnv& env, SceneActions& scenes, int id) {
    ChangesRecall& recall = scenes.changes_recall();
    ReadBackWait read_back(recall.finished());
    if (!scenes.recall_changes(id)) {
        throw CommandError("scene not recalled");
    }
    const ReadBackResult& r = read_back.wait(
        env, [&] { return recall.running(); }, read_back_limit(scenes));
    env.out << "sent " << r.sent << " of " << r.total << " commands" << std::endl;
    print_read_back(env, r, ChangesRecall::kScene);
}

// The whole write, then the same read-back as a recall of the changes.
void recall_whole(ShellEnv& env, SceneActions& scenes, int id) {
    ChangesRecall& recall = scenes.changes_recall();
    ReadBackWait read_back(recall.finished());
    if (!scenes.recall(id)) {
        throw CommandError("scene not recalled");
    }
    if (!env.controller.session().state().system.connected &&
        !env.controller.surface().full_state.running()) {
        return;  // offline: the state alone
    }
    wait_for_transfer(env);
    print_read_back(env,
                    read_back.wait(
                        env, [&] { return recall.running(); }, read_back_limit(scenes)),
                    ChangesRecall::kScene);
}

void scene_command(ShellEnv& env, const Words& w) {
    expect(w.size() >= 2, kSceneUsage);
    SceneActions& scenes = env.controller.stores().scenes();
    const std::string& verb = w[1];
    if (verb == "list") {
        expect(w.size() == 2, kSceneUsage);
        for (const SceneEntry& e : scenes.list()) {
            env.out << e.text() << '\n';
        }
        env.out << std::flush;
    } else if (verb == "save") {
        const auto saved = scenes.save(optional_name(w, 2));
        if (!saved) {
            throw CommandError("no scene saved: " + scenes.save_refusal());
        }
        env.out << saved->text() << std::endl;
    } else if (verb == "recall" && w.size() == 4 && w[3] == "--changes") {
        recall_changes(env, scenes, word_id(w, 2));
    } else if (verb == "recall") {
        expect(w.size() == 3, kSceneUsage);
        recall_whole(env, scenes, word_id(w, 2));
    } else if (verb == "rename") {
        expect(w.size() >= 4, kSceneUsage);
        if (!scenes.rename(word_id(w, 2), rest_of(w, 3))) {
            throw CommandError("scene not renamed");
        }
    } else if (verb == "diff") {
        scene_diff(env, scenes, w);
    } else if (verb == "delete") {
        expect(w.size() == 3, kSceneUsage);
        if (!scenes.remove(word_id(w, 2))) {
            throw CommandError("scene not deleted");
        }
    } else {
        throw CommandError(kSceneUsage);
    }
}

void preset_command(ShellEnv& env, const Words& w) {
    expect(w.size() >= 3, kPresetUsage);
    const PresetTable table = table_word(w[1]);
    const int channels = preset_table_info(table).channels;
    PresetActions& presets = env.controller.stores().presets();
    const std::string& verb = w[2];
    if (verb == "list") {
        expect(w.size() == 3, kPresetUsage);
        const auto items = presets.list(table);
        if (!items) {
            throw CommandError("the presets could not be read");
        }
        for (const PresetItem& item : *items) {
            env.out << item.text() << '\n';
        }
        env.out << std::flush;
    } else if (verb == "save") {
        expect(w.size() >= 4, kPresetUsage);
        const int channel = word_int(w, 3, 1, channels, "channel");
        const auto saved = presets.save(table, channel - 1, optional_name(w, 4));
        if (!saved) {
            throw CommandError("no preset saved");
        }
        env.out << saved->text() << std::endl;
    } else if (verb == "recall") {
        expect(w.size() == 5, kPresetUsage);
        const int id = word_id(w, 3);
        const int channel = word_int(w, 4, 1, channels, "channel");
        if (!presets.recall(table, id, channel - 1)) {
            throw CommandError("preset not recalled");
        }
        // The block's commands leave before the next line runs.
        env.controller.run_until([&] { return env.controller.console().waiting_frames() == 0; },
                                 std::chrono::seconds(2));
    } else if (verb == "rename") {
        expect(w.size() >= 5, kPresetUsage);
        if (!presets.rename(table, word_id(w, 3), rest_of(w, 4))) {
            throw CommandError("preset not renamed");
        }
    } else if (verb == "delete") {
        expect(w.size() == 4, kPresetUsage);
        if (!presets.remove(table, word_id(w, 3))) {
            throw CommandError("preset not deleted");
        }
    } else {
        throw CommandError(kPresetUsage);
    }
}

void recovery_command(ShellEnv& env, const Words& w) {
    expect(w.size() == 1, "usage: recovery");
    RecoveryActions& recovery = env.controller.surface().recovery;
    ReadBackWait read_back(recovery.read_back().finished());
    const bool writing = env.controller.session().state().system.connected != 0;
    if (!recovery.start_recovery()) {
        throw CommandError("recovery refused");
    }
    if (!writing) {
        return;  // offline: the state alone
    }
    wait_for_transfer(env);
    const std::chrono::milliseconds limit =
        (std::chrono::milliseconds(RecallReadBack::kReadBackLimit) +
         env.controller.surface().full_state.planned_duration()) *
            RecallReadBack::kRounds +
        RecallReadBack::kReplyWait + std::chrono::seconds(1);
    print_read_back(env,
                    read_back.wait(
                        env, [&] { return recovery.read_back().running(); }, limit),
                    RecoveryActions::kFactoryValues);
}

}  // namespace

void add_store_commands(ShellRegistry& registry) {
    registry.add("scene", scene_command);
    registry.add("preset", preset_command);
    registry.add("recovery", recovery_command);
}

}  // namespace kestra::ctl
