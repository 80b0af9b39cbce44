#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recall/preset_library.h"
#include "recall/scene_library.h"

namespace kestra {

// The rows of the preset database as the store reads them, as text. The file may have been
// made or edited by another program, so nothing about a row is taken for granted: a column
// may be missing and an ID may be any text.
class StoreRows {
public:
    // A decimal ID from 1 to 2147483647 and nothing else (blanks around it are allowed).
    static std::optional<int> id(std::string_view text);
    // ID, NAME and FILENAME; nullopt when a column is missing or the ID is no ID. The file is
    // the column as stored: resolve it with scene_file_name.
    static std::optional<SceneEntry> scene(const std::vector<std::string>& row);
    // ID and NAME; nullopt when a column is missing or the ID is no ID.
    static std::optional<PresetItem> preset(const std::vector<std::string>& row);
    // The scene file a FILENAME column names inside the data folder: its last path component,
    // so that rows of earlier versions, which hold a whole path (of this system or of another
    // one, with "\" between folders), still find their file in a moved or copied folder.
    // Empty when no usable name is left ("", ".", "..").
    static std::string scene_file_name(std::string_view column);
};

}  // namespace kestra
