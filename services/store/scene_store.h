#pragma once

#include <functional>
#include <string>

#include "control/scene_library.h"
#include "protocol/frame_sink.h"
#include "store/preset_database.h"
#include "store/scene_file.h"

namespace kestra {

// The scene table of the preset database and the scene files "SAVE<n>.dat" in the data
// folder. Every committed row names a complete file: a save commits its row after the file is
// in place, a delete commits the row's removal before it moves the file to the trash. A file
// that no row names (a save or a delete cut short) is never listed.
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

    std::string file_for(int id) const;

    // Tests stop a write between the flush and the rename with this, as a crash would.
    void set_before_rename(SceneFile::BeforeRename hook) { before_rename_ = std::move(hook); }
    // Runs right after a save's file has replaced its old one and after a delete's file has
    // gone to the trash; tests end the process there.
    void set_after_rename(std::function<void()> hook) { after_rename_ = std::move(hook); }

private:
    StoreResult file_of(int id, std::string& file);
    void notice(const std::string& text);

    PresetDatabase& db_;
    std::string folder_;
    NoticeSink& notices_;
    SceneFile::BeforeRename before_rename_;
    std::function<void()> after_rename_;
};

}  // namespace kestra
