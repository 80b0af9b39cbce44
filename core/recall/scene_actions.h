#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/action_context.h"
#include "history/scene_diff.h"
#include "recall/changes_recall.h"
#include "recall/scene_library.h"
#include "session/full_state_writer.h"

namespace kestra {

// The scene tab: complete settings saved to and recalled from the scene library. A recall
// loads the file into the state and, while connected, writes the whole state to the processor.
// IDs and names that do not exist or do not fit throw std::invalid_argument, nothing changed.
class SceneActions {
public:
    static constexpr int kMaxScenes = 32;
    static constexpr const char* kRecallQuestion = "Do you want to recall the setting\uFF1F";
    static constexpr const char* kDeleteQuestion = "Do you want to delete the setting\uFF1F";
    static constexpr const char* kTransferRunning =
        "The settings are still being written to the processor.";
    static constexpr const char* kDamaged = "The scene file is damaged.";
    static constexpr const char* kFull = "at most 32 scenes, and never above the highest ID";
    static constexpr const char* kNoFreshRead =
        "Only the changes can be recalled while the settings read from the processor at the "
        "connect are current; recall everything instead.";

    SceneActions(ActionContext& context, SceneLibrary& library, FullStateWriter& writer)
        : context_(context), library_(library), writer_(writer), changes_(context) {}

    // What a recall of a scene would do: the values it changes and, with a fresh read of the
    // processor, the commands a recall of only the changes sends.
    struct Preview {
        SceneDiff diff;
        bool changes_offered = false;
        std::vector<WriteStep> changes;
        std::chrono::milliseconds changes_time{0};
        std::chrono::milliseconds whole_time{0};
    };

    // At most the first 32 rows in ID order; empty after a noticed store error.
    std::vector<SceneEntry> list();

    // A new scene of the current state with the next ID, named "SAVE<id>" unless `name` is
    // given. Nothing (and no message) when the highest ID is already 32; nothing after a
    // noticed store error.
    std::optional<SceneEntry> save(const std::optional<std::string>& name = std::nullopt);
    // Why the last save saved nothing: kFull, or the store's own words (a full disk, a
    // database another program holds).
    const std::string& save_refusal() const { return save_refusal_; }

    bool rename(int id, const std::string& name);
    // Asks first; false when declined or the store failed.
    bool remove(int id);
    // Asks first; the file is read and checked before anything changes. `connected` and
    // `connecting` stay as they were, group activations are switched off. Once the whole
    // write has left, the processor is read back (changes_recall().finished() tells the end);
    // a write cut short is a journal line.
    bool recall(int id);
    // The RECALL question with what the recall changes: the counts under the question, the
    // list behind it, and, with a fresh read, the choice of only the changes or everything.
    bool recall_asking(int id);
    // Asks first; sends only the changed commands and reads the processor back (see
    // ChangesRecall). False when declined, without a fresh read, or while a transfer runs.
    bool recall_changes(int id);
    // Nothing when the scene cannot be read (with the recall's notice).
    std::optional<Preview> preview(int id);

    ChangesRecall& changes_recall() { return changes_; }
    // The whole-state write's planned time for the current state.
    std::chrono::milliseconds whole_write_time() const;

    // The state a recall of `id` would leave, the current state untouched: nullopt when the
    // store failed or the file is damaged or holds a value out of range (with a notice
    // naming the file and the first bad field).
    std::optional<DeviceState> load(int id);

    static std::string default_name(int id) { return "SAVE" + std::to_string(id); }

private:
    void check_known(StoreResult result, int id) const;
    bool busy();
    void recall_whole(int id, DeviceState staged);
    void whole_written(const DeviceState& scene, const std::string& title, bool completed);
    bool start_changes(int id, const DeviceState& staged);
    std::string scene_title(int id);
    std::string file_of(int id);

    ActionContext& context_;
    SceneLibrary& library_;
    FullStateWriter& writer_;
    ChangesRecall changes_;
    // The whole write's end comes from the writer, which may outlive these actions.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::string save_refusal_;
};

}  // namespace kestra
