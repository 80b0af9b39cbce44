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
    // Reads a regular file of at most `max_bytes`; anything else (a folder, a device, a pipe,
    // a larger file) is refused before a byte is read, and a file that grows meanwhile is
    // refused too.
    static bool read(const std::string& path, std::vector<uint8_t>& bytes, std::string& error,
                     std::size_t max_bytes);

    // The desktop trash when the user has one (~/.local/share/Trash); otherwise the "deleted"
    // folder beside the file, so that a deleted scene can always be brought back by hand.
    static bool move_to_trash(const std::string& path, std::string& error);

    static bool exists(const std::string& path);

    // Renames `path` beside itself to "<name>.orphan-<yyyymmdd-hhmmss>" (with "-2", "-3" ...
    // when taken), so that a file nothing lists is kept rather than overwritten.
    static bool move_aside(const std::string& path, std::string& moved_to, std::string& error);
};

}  // namespace kestra
