// Shell commands of the data folder: scenes, presets and the recovery.
#include <algorithm>
#include <cctype>
#include <climits>
#include <ostream>

#include "control/scene_diff.h"
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
    std::optional<ChangesRecallResult> result;
    auto sub = recall.finished().subscribe([&](const ChangesRecallResult& r) { result = r; });
    if (!scenes.recall_changes(id)) {
        throw CommandError("scene not recalled");
    }
    const auto limit =
        std::chrono::milliseconds(ChangesRecall::kReadBackLimit) * 2 + scenes.whole_write_time();
    env.controller.run_until([&] { return result.has_value(); }, limit);
    if (!result) {
        throw CommandError("the recall of the changes did not finish in time");
    }
    env.out << "sent " << result->sent << " of " << result->total << " commands" << std::endl;
    if (!result->read_back) {
        throw CommandError("the processor's state did not come back for the comparison");
    }
    if (result->verified()) {
        env.out << "verified" << std::endl;
        return;
    }
    for (const SceneDiffEntry& e : result->differed) {
        env.out << e.tab_line() << '\n';
    }
    env.out << result->differed.size() << " fields differed and were written again" << std::endl;
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
        if (!scenes.recall(word_id(w, 2))) {
            throw CommandError("scene not recalled");
        }
        wait_for_transfer(env);
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
        env.controller.run_until([&] { return env.controller.session().transport().queued() == 0; },
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
    if (!env.controller.surface().recovery.start_recovery()) {
        throw CommandError("recovery refused");
    }
    wait_for_transfer(env);
}

}  // namespace

void add_store_commands(ShellRegistry& registry) {
    registry.add("scene", scene_command);
    registry.add("preset", preset_command);
    registry.add("recovery", recovery_command);
}

}  // namespace kestra::ctl
