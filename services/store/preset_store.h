#pragma once

#include "recall/preset_library.h"
#include "store/preset_database.h"

namespace kestra {

// The preset tables in the preset database.
class PresetStore final : public PresetLibrary {
public:
    explicit PresetStore(PresetDatabase& db) : db_(db) {}

    std::optional<std::vector<PresetItem>> list(PresetTable table) override;
    std::optional<int> highest_id(PresetTable table) override;
    bool insert(PresetTable table, const PresetItem& item, const std::string& data) override;
    StoreResult read(PresetTable table, int id, std::string& data) override;
    StoreResult rename(PresetTable table, int id, const std::string& name) override;
    StoreResult remove(PresetTable table, int id) override;

private:
    PresetDatabase& db_;
};

}  // namespace kestra
