#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "recall/scene_library.h"

namespace kestra::testing {

// Scenes kept in memory.
class SceneShelf final : public SceneLibrary {
public:
    std::optional<std::vector<SceneEntry>> list() override {
        std::vector<SceneEntry> rows;
        for (const auto& [id, scene] : scenes_) {
            rows.push_back({id, scene.first, {}});
        }
        return rows;
    }
    std::optional<int> highest_id() override {
        return scenes_.empty() ? 0 : scenes_.rbegin()->first;
    }
    std::optional<SceneEntry> add(int id, const std::string& name,
                                  std::span<const uint8_t> scene) override {
        scenes_[id] = {name, {scene.begin(), scene.end()}};
        return SceneEntry{id, name, {}};
    }
    StoreResult rename(int, const std::string&) override { return StoreResult::Failed; }
    StoreResult remove(int) override { return StoreResult::Failed; }
    StoreResult read(int id, std::vector<uint8_t>& scene) override {
        const auto it = scenes_.find(id);
        if (it == scenes_.end()) {
            return StoreResult::Missing;
        }
        scene = it->second.second;
        return StoreResult::Done;
    }

private:
    std::map<int, std::pair<std::string, std::vector<uint8_t>>> scenes_;
};

}  // namespace kestra::testing
