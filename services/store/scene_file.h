#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace kestra {

// Whole-file reads and crash-safe writes of scene files, and their removal to the trash.
// Failures return false with the system's reason in `error`.
class SceneFile {
public:
    // Called once the temporary file is complete and flushed, before it replaces `path`.
    // Returning false stops there as a crash would: no rename, the temporary is left behind.
    using BeforeRename = std::function<bool()>;

    // Writes `path` + ".tmp", flushes it to the disk, renames it over `path` and flushes the
    // folder, so `path` holds either the old or the new content, never a part.
    static bool write(const std::string& path, std::span<const uint8_t> bytes, std::string& error,
                      const BeforeRename& before_rename = {});
    static bool read(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

    // The desktop trash when the user has one (~/.local/share/Trash); otherwise the "deleted"
    // folder beside the file, so that a deleted scene can always be brought back by hand.
    static bool move_to_trash(const std::string& path, std::string& error);

    static bool exists(const std::string& path);
};

}  // namespace kestra
