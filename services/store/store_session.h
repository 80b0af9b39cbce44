#pragma once

#include <string>

#include "operator/operator_actions.h"
#include "recall/preset_actions.h"
#include "recall/scene_actions.h"
#include "store/preset_database.h"
#include "store/preset_store.h"
#include "store/scene_store.h"

namespace kestra {

// The preset database and the scene files of one data folder, with the preset and scene
// actions working on a control surface's state. The database opens on first use.
class StoreSession {
public:
    StoreSession(const std::string& folder, OperatorActions& surface, NoticeSink& notices);

    PresetActions& presets() { return presets_; }
    SceneActions& scenes() { return scenes_; }
    SceneStore& scene_store() { return scene_store_; }
    PresetDatabase& database() { return db_; }
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
    PresetDatabase db_;
    PresetStore preset_store_;
    SceneStore scene_store_;
    EditorRecallTarget recall_target_;
    PresetActions presets_;
    SceneActions scenes_;
};

}  // namespace kestra
