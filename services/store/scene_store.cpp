#include "store/scene_store.h"

#include <cstdlib>
#include <filesystem>

#include "control/action_context.h"
#include "model/state_image.h"

namespace kestra {

void SceneStore::notice(const std::string& text) {
    notices_.notice(text, ActionContext::kCaption);
}

std::string SceneStore::file_for(int id) const {
    return (std::filesystem::path(folder_) / ("SAVE" + std::to_string(id) + ".dat")).string();
}

std::optional<std::vector<SceneEntry>> SceneStore::list() {
    const auto rows = db_.query("select * from DeviceDATA order by ID");
    if (!rows) {
        return std::nullopt;
    }
    std::vector<SceneEntry> entries;
    for (const auto& row : *rows) {
        entries.push_back(SceneEntry{std::atoi(row.at(0).c_str()), row.at(1), row.at(2)});
    }
    return entries;
}

std::optional<int> SceneStore::highest_id() {
    const auto rows = db_.query("select ID from DeviceDATA order by ID desc limit 1");
    if (!rows) {
        return std::nullopt;
    }
    return rows->empty() ? 0 : std::atoi(rows->front().at(0).c_str());
}

std::optional<SceneEntry> SceneStore::add(int id, const std::string& name,
                                          std::span<const uint8_t> scene) {
    SceneEntry entry{id, name, file_for(id)};
    PresetDatabase::Transaction tx(db_);
    if (!tx.begun() ||
        !db_.execute("insert into DeviceDATA values(?,?,?)", {id, name, entry.file})) {
        return std::nullopt;
    }
    // The row commits only after its file is complete in place: a crash before that leaves
    // at most a file that no row names.
    std::string error;
    if (!SceneFile::write(entry.file, scene, error, before_rename_)) {
        notice(error);
        return std::nullopt;  // the row goes with the transaction
    }
    if (after_rename_) {
        after_rename_();
    }
    if (!tx.commit()) {
        return std::nullopt;
    }
    return entry;
}

StoreResult SceneStore::rename(int id, const std::string& name) {
    const auto rows = db_.execute("update DeviceDATA set NAME=? where ID=?", {name, id});
    if (!rows) {
        return StoreResult::Failed;
    }
    return *rows > 0 ? StoreResult::Done : StoreResult::Missing;
}

StoreResult SceneStore::file_of(int id, std::string& file) {
    const auto rows = db_.query("select * from DeviceDATA where ID=?", {id});
    if (!rows) {
        return StoreResult::Failed;
    }
    if (rows->empty()) {
        return StoreResult::Missing;
    }
    file = rows->front().at(2);
    return StoreResult::Done;
}

StoreResult SceneStore::remove(int id) {
    std::string file;
    {
        // The row goes first, so that no crash can leave a row whose file has already gone.
        PresetDatabase::Transaction tx(db_);
        if (!tx.begun()) {
            return StoreResult::Failed;
        }
        const StoreResult found = file_of(id, file);
        if (found != StoreResult::Done) {
            return found;
        }
        if (!db_.execute("delete from DeviceDATA where ID=?", {id}) || !tx.commit()) {
            return StoreResult::Failed;
        }
    }
    std::string error;
    // A file that is already gone leaves nothing to move. One that cannot be moved stays
    // where it is, unlisted; the scene itself is deleted.
    if (SceneFile::exists(file) && !SceneFile::move_to_trash(file, error)) {
        notice(error);
    } else if (after_rename_) {
        after_rename_();
    }
    return StoreResult::Done;
}

StoreResult SceneStore::read(int id, std::vector<uint8_t>& scene) {
    std::string file;
    const StoreResult found = file_of(id, file);
    if (found != StoreResult::Done) {
        return found;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!SceneFile::read(file, bytes, error)) {
        notice(error);
        return StoreResult::Failed;
    }
    if (bytes.size() != StateImage::kSceneSize) {
        notice("The scene file " + file + " holds " + std::to_string(bytes.size()) +
               " bytes instead of " + std::to_string(StateImage::kSceneSize) + ".");
        return StoreResult::Failed;
    }
    scene = std::move(bytes);
    return StoreResult::Done;
}

}  // namespace kestra
