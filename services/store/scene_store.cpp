#include "store/scene_store.h"

#include <algorithm>
#include <filesystem>
#include <regex>

#include "actions/action_context.h"
#include "model/state_image.h"
#include "recall/store_rows.h"

namespace kestra {

namespace {

constexpr const char* kSelectAll = "select ID, NAME, FILENAME from DeviceDATA";

bool is_scene_file_name(const std::string& name) {
    static const std::regex pattern("SAVE[0-9]+\\.dat");
    return std::regex_match(name, pattern);
}

}  // namespace

void SceneStore::notice(const std::string& text) {
    last_error_ = text;
    notices_.notice(text, NoticeSink::kCaption);
}

std::string SceneStore::file_for(int id) const {
    return resolve("SAVE" + std::to_string(id) + ".dat");
}

std::string SceneStore::resolve(const std::string& column) const {
    const std::string name = StoreRows::scene_file_name(column);
    return name.empty() ? std::string() : (std::filesystem::path(folder_) / name).string();
}

// Every readable row in ID order, files resolved; rows without an ID or a column are left
// out, and told once.
std::optional<std::vector<SceneEntry>> SceneStore::rows() {
    keep_orphans_of_a_new_database();
    const auto rows = db_.query(kSelectAll);
    if (!rows) {
        last_error_ = db_.last_error();
        return std::nullopt;
    }
    std::vector<SceneEntry> entries;
    std::size_t unreadable = 0;
    for (const auto& row : *rows) {
        if (std::optional<SceneEntry> e = StoreRows::scene(row)) {
            e->file = resolve(e->file);
            entries.push_back(std::move(*e));
        } else {
            ++unreadable;
        }
    }
    if (unreadable > 0 && !bad_rows_told_) {
        bad_rows_told_ = true;
        notice("Rows of the scene table without a number as their ID are not shown: " +
               std::to_string(unreadable) + ".");
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const SceneEntry& a, const SceneEntry& b) { return a.id < b.id; });
    return entries;
}

std::optional<std::vector<SceneEntry>> SceneStore::list() {
    return rows();
}

std::optional<int> SceneStore::highest_id() {
    const auto entries = rows();
    if (!entries) {
        return std::nullopt;
    }
    return entries->empty() ? 0 : entries->back().id;
}

// A file in the way of a save that no row lists goes aside under a name of its own, so that
// nothing a folder holds is overwritten; a file another row lists stops the save.
bool SceneStore::keep_aside(const std::string& path, const std::vector<SceneEntry>& rows) {
    if (!SceneFile::exists(path)) {
        return true;
    }
    for (const SceneEntry& e : rows) {
        if (e.file == path) {
            notice("The scene file " + path + " belongs to scene " + e.text() +
                   "; nothing was saved.");
            return false;
        }
    }
    std::string moved_to;
    std::string error;
    if (!SceneFile::move_aside(path, moved_to, error)) {
        notice(error);
        return false;
    }
    return true;
}

// A database made anew (missing or found empty) lists no scene, so every scene file in the
// folder is one no row lists: each goes aside, and the operator is told where.
void SceneStore::keep_orphans_of_a_new_database() {
    if (orphans_checked_ || !db_.open()) {
        return;
    }
    orphans_checked_ = true;
    if (!db_.started_new()) {
        return;
    }
    std::error_code ec;
    std::string moved;
    for (const auto& item : std::filesystem::directory_iterator(folder_, ec)) {
        const std::string name = item.path().filename().string();
        std::string to;
        std::string error;
        if (!item.is_regular_file(ec) || !is_scene_file_name(name)) {
            continue;
        }
        if (SceneFile::move_aside(item.path().string(), to, error)) {
            moved += (moved.empty() ? "" : ", ") + name + " -> " +
                     std::filesystem::path(to).filename().string();
        } else {
            notice(error);
        }
    }
    if (!moved.empty()) {
        notice("No scene lists these scene files; they were kept aside: " + moved + ".");
    }
}

std::optional<SceneEntry> SceneStore::add(int id, const std::string& name,
                                          std::span<const uint8_t> scene) {
    const auto listed = rows();
    if (!listed) {
        return std::nullopt;
    }
    const std::string file_name = "SAVE" + std::to_string(id) + ".dat";
    SceneEntry entry{id, name, resolve(file_name)};
    PresetDatabase::Transaction tx(db_);
    if (!tx.begun() ||
        !db_.execute("insert into DeviceDATA values(?,?,?)", {id, name, file_name})) {
        last_error_ = db_.last_error();
        return std::nullopt;
    }
    // The row commits only after its file is complete in place: a crash before that leaves
    // at most a file that no row names.
    std::string error;
    bool kept = true;
    const auto before_rename = [&] {
        if (before_rename_ && !before_rename_()) {
            return false;
        }
        kept = keep_aside(entry.file, *listed);
        return kept;
    };
    if (!SceneFile::write(entry.file, scene, error, before_rename)) {
        if (!kept) {
            std::error_code ignored;
            std::filesystem::remove(entry.file + ".tmp", ignored);
        } else {
            notice(error);
        }
        return std::nullopt;  // the row goes with the transaction
    }
    if (after_rename_) {
        after_rename_();
    }
    if (!tx.commit()) {
        last_error_ = db_.last_error();
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
    const auto rows = db_.query(std::string(kSelectAll) + " where ID=?", {id});
    if (!rows) {
        return StoreResult::Failed;
    }
    for (const auto& row : *rows) {
        if (const std::optional<SceneEntry> e = StoreRows::scene(row)) {
            file = resolve(e->file);
            if (file.empty()) {
                notice("Scene " + std::to_string(id) + " names no file.");
                return StoreResult::Failed;
            }
            return StoreResult::Done;
        }
    }
    return StoreResult::Missing;
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
    if (!SceneFile::read(file, bytes, error, StateImage::kSceneSize)) {
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
