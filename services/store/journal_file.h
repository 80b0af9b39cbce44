#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "history/change_journal.h"

namespace kestra {

// The change journal on disk: "journal.jsonl" in the data folder, one JSON object a line
// ({"time", "origin", "text", "fields"}). Lines are written as they come; they reach the
// disk (fsync) at most once a second, so a crash loses at most the last second and may
// leave a torn last line, which reading skips. At 10 MB the file becomes "journal.1.jsonl"
// (replacing the one before) and a new file starts.
class JournalFile {
public:
    static constexpr const char* kFileName = "journal.jsonl";
    static constexpr const char* kRotatedName = "journal.1.jsonl";
    static constexpr std::size_t kRotateBytes = 10u * 1024u * 1024u;
    static constexpr std::chrono::seconds kSyncInterval{1};

    using TimePoint = std::chrono::steady_clock::time_point;

    explicit JournalFile(std::string folder, std::size_t rotate_bytes = kRotateBytes);
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    // Appends one line; false (with error()) when the file cannot be written.
    bool append(const JournalLine& line, TimePoint now);
    // Syncs what was written when the last sync is a second old; `force` syncs at once.
    void flush(TimePoint now, bool force = false);

    // The last `last_n` readable lines of the file's first `end` bytes, oldest first, read
    // from their end; lines that are not a journal object (a torn last line) are skipped and
    // counted in `skipped`.
    static std::vector<JournalLine> read(const std::string& path, std::size_t last_n,
                                         std::size_t* skipped = nullptr,
                                         std::uintmax_t end = UINTMAX_MAX);

    static std::string encode(const JournalLine& line);

    std::string path() const;
    std::string rotated_path() const;
    // How often the file was renamed to the rotated name since this object opened it.
    int rotations() const { return rotations_; }
    const std::string& error() const { return error_; }

private:
    bool open();
    void rotate();

    std::string folder_;
    std::size_t rotate_bytes_;
    int fd_ = -1;
    std::size_t size_ = 0;
    bool unsynced_ = false;
    int rotations_ = 0;
    TimePoint last_sync_{};
    std::string error_;
};

}  // namespace kestra
