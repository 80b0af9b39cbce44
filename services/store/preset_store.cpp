#include "store/preset_store.h"

#include <cstdlib>

namespace kestra {

namespace {

// Table names come from the fixed table list, never from the operator; values are bound.
std::string name_of(PresetTable table) {
    return PresetDatabase::quoted(preset_table_info(table).table);
}

StoreResult changed(const std::optional<int>& rows) {
    if (!rows) {
        return StoreResult::Failed;
    }
    return *rows > 0 ? StoreResult::Done : StoreResult::Missing;
}

}  // namespace

std::optional<std::vector<PresetItem>> PresetStore::list(PresetTable table) {
    const auto rows = db_.query("select * from " + name_of(table) + " order by ID");
    if (!rows) {
        return std::nullopt;
    }
    std::vector<PresetItem> items;
    for (const auto& row : *rows) {
        items.push_back(PresetItem{std::atoi(row.at(0).c_str()), row.at(1)});
    }
    return items;
}

std::optional<int> PresetStore::highest_id(PresetTable table) {
    const auto rows = db_.query("select ID from " + name_of(table) + " order by ID desc limit 1");
    if (!rows) {
        return std::nullopt;
    }
    return rows->empty() ? 0 : std::atoi(rows->front().at(0).c_str());
}

bool PresetStore::insert(PresetTable table, const PresetItem& item, const std::string& data) {
    return db_
        .execute("insert into " + name_of(table) + " values(?,?,?)", {item.id, item.name, data})
        .has_value();
}

StoreResult PresetStore::read(PresetTable table, int id, std::string& data) {
    const auto rows = db_.query("select * from " + name_of(table) + " where ID=?", {id});
    if (!rows) {
        return StoreResult::Failed;
    }
    if (rows->empty()) {
        return StoreResult::Missing;
    }
    data = rows->front().at(2);
    return StoreResult::Done;
}

StoreResult PresetStore::rename(PresetTable table, int id, const std::string& name) {
    return changed(db_.execute("update " + name_of(table) + " set NAME=? where ID=?", {name, id}));
}

StoreResult PresetStore::remove(PresetTable table, int id) {
    return changed(db_.execute("delete from " + name_of(table) + " where ID=?", {id}));
}

}  // namespace kestra
