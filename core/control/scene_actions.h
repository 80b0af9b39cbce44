#pragma once

#include <optional>
#include <string>
#include <vector>

#include "control/action_context.h"
#include "control/full_state_writer.h"
#include "control/scene_library.h"

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

    SceneActions(ActionContext& context, SceneLibrary& library, FullStateWriter& writer)
        : context_(context), library_(library), writer_(writer) {}

    // At most the first 32 rows in ID order; empty after a noticed store error.
    std::vector<SceneEntry> list();

    // A new scene of the current state with the next ID, named "SAVE<id>" unless `name` is
    // given. Nothing (and no message) when the highest ID is already 32; nothing after a
    // noticed store error.
    std::optional<SceneEntry> save(const std::optional<std::string>& name = std::nullopt);

    bool rename(int id, const std::string& name);
    // Asks first; false when declined or the store failed.
    bool remove(int id);
    // Asks first; the file is read and checked before anything changes. `connected` and
    // `connecting` stay as they were, group activations are switched off.
    bool recall(int id);
    // The state a recall of `id` would leave, the current state untouched: nullopt when the
    // store failed or the file is damaged (with the recall's notice).
    std::optional<DeviceState> load(int id);

    static std::string default_name(int id) { return "SAVE" + std::to_string(id); }

private:
    void check_known(StoreResult result, int id) const;

    ActionContext& context_;
    SceneLibrary& library_;
    FullStateWriter& writer_;
};

}  // namespace kestra
