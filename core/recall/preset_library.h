#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/preset_codec.h"
#include "recall/store_result.h"

namespace kestra {

// One row of a preset table as its selector shows it.
struct PresetItem {
    int id = 0;
    std::string name;

    std::string text() const { return std::to_string(id) + ":" + name; }
    bool operator==(const PresetItem&) const = default;
};

// The preset tables as stored rows. A failing store tells the operator itself (with the
// store's own message) and answers nullopt, false or Failed; nothing is half-done.
class PresetLibrary {
public:
    virtual ~PresetLibrary() = default;

    // Rows in ID order.
    virtual std::optional<std::vector<PresetItem>> list(PresetTable table) = 0;
    // The highest ID, 0 for an empty table.
    virtual std::optional<int> highest_id(PresetTable table) = 0;
    virtual bool insert(PresetTable table, const PresetItem& item, const std::string& data) = 0;
    virtual StoreResult read(PresetTable table, int id, std::string& data) = 0;
    virtual StoreResult rename(PresetTable table, int id, const std::string& name) = 0;
    virtual StoreResult remove(PresetTable table, int id) = 0;
};

}  // namespace kestra
