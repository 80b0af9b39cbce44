#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "recall/store_result.h"

namespace kestra {

// One row of the scene table.
struct SceneEntry {
    int id = 0;
    std::string name;
    std::string file;  // the scene file's path in the data folder

    std::string text() const { return std::to_string(id) + ":" + name; }
    bool operator==(const SceneEntry&) const = default;
};

// The scene rows and their files. A failing store tells the operator itself (with the
// store's or the system's message) and answers nullopt, false or Failed; nothing is
// half-done: a row never points at a file that was not completely written.
class SceneLibrary {
public:
    virtual ~SceneLibrary() = default;

    // Rows in ID order.
    virtual std::optional<std::vector<SceneEntry>> list() = 0;
    // The highest ID, 0 for an empty table.
    virtual std::optional<int> highest_id() = 0;
    // Writes the file of scene `id` and adds its row; returns the row.
    virtual std::optional<SceneEntry> add(int id, const std::string& name,
                                          std::span<const uint8_t> scene) = 0;
    virtual StoreResult rename(int id, const std::string& name) = 0;
    // Moves the file to the trash and removes the row.
    virtual StoreResult remove(int id) = 0;
    // The whole file of scene `id`; Failed when it cannot be read or has the wrong size.
    virtual StoreResult read(int id, std::vector<uint8_t>& scene) = 0;
    // Why the last request failed, in the store's or the system's words; empty when unknown.
    virtual std::string last_error() const { return {}; }
};

}  // namespace kestra
