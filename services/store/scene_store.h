#pragma once

#include <functional>
#include <string>

#include "protocol/frame_sink.h"
#include "recall/scene_library.h"
#include "store/preset_database.h"
#include "store/scene_file.h"

namespace kestra {

// The scene table of the preset database and the scene files "SAVE<n>.dat" in the data
// folder. Every committed row names a complete file: a save commits its row after the file is
// in place, a delete commits the row's removal before it moves the file to the trash. A file
// that no row names (a save or a delete cut short) is never listed, and never overwritten:
// a save that finds one in its place moves it aside first ("SAVE3.dat.orphan-<time>").
// Rows keep the file's name only; rows of earlier versions, which hold a whole path, are
// read by the name at its end, in this data folder.
class SceneStore final : public SceneLibrary {
public:
    SceneStore(PresetDatabase& db, std::string folder, NoticeSink& notices)
        : db_(db), folder_(std::move(folder)), notices_(notices) {}

    std::optional<std::vector<SceneEntry>> list() override;
    std::optional<int> highest_id() override;
    std::optional<SceneEntry> add(int id, const std::string& name,
                                  std::span<const uint8_t> scene) override;
    StoreResult rename(int id, const std::string& name) override;
    StoreResult remove(int id) override;
    StoreResult read(int id, std::vector<uint8_t>& scene) override;
    std::string last_error() const override { return last_error_; }

    std::string file_for(int id) const;
    // The path of a stored FILENAME column in this data folder; empty when it names no file.
    std::string resolve(const std::string& column) const;

    // Tests stop a write between the flush and the rename with this, as a crash would.
    void set_before_rename(SceneFile::BeforeRename hook) { before_rename_ = std::move(hook); }
    // Runs right after a save's file has replaced its old one and after a delete's file has
    // gone to the trash; tests end the process there.
    void set_after_rename(std::function<void()> hook) { after_rename_ = std::move(hook); }

private:
    std::optional<std::vector<SceneEntry>> rows();
    StoreResult file_of(int id, std::string& file);
    bool keep_aside(const std::string& path, const std::vector<SceneEntry>& rows);
    void keep_orphans_of_a_new_database();
    void notice(const std::string& text);

    PresetDatabase& db_;
    std::string folder_;
    NoticeSink& notices_;
    SceneFile::BeforeRename before_rename_;
    std::function<void()> after_rename_;
    std::string last_error_;
    bool orphans_checked_ = false;
    bool bad_rows_told_ = false;
};

}  // namespace kestra
