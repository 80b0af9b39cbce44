#include "store/preset_store.h"

#include <algorithm>

#include "recall/store_rows.h"

namespace kestra {

namespace {

// Table names come from the fixed table list, never from the operator; values are bound.
std::string name_of(PresetTable table) {
    return PresetDatabase::quoted(preset_table_info(table).table);
}

// The columns by name: a table made by another program may hold them in another order, and
// one without them fails with SQLite's "no such column" instead of a short row.
std::string columns_of(PresetTable table) {
    return "select ID, NAME, " + PresetDatabase::quoted(preset_table_info(table).data_column) +
           " from " + name_of(table);
}

StoreResult changed(const std::optional<int>& rows) {
    if (!rows) {
        return StoreResult::Failed;
    }
    return *rows > 0 ? StoreResult::Done : StoreResult::Missing;
}

}  // namespace

// Rows whose ID is no number are left out: nothing could address them.
std::optional<std::vector<PresetItem>> PresetStore::list(PresetTable table) {
    const auto rows = db_.query(columns_of(table));
    if (!rows) {
        return std::nullopt;
    }
    std::vector<PresetItem> items;
    for (const auto& row : *rows) {
        if (std::optional<PresetItem> item = StoreRows::preset(row)) {
            items.push_back(std::move(*item));
        }
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const PresetItem& a, const PresetItem& b) { return a.id < b.id; });
    return items;
}

std::optional<int> PresetStore::highest_id(PresetTable table) {
    const auto items = list(table);
    if (!items) {
        return std::nullopt;
    }
    return items->empty() ? 0 : items->back().id;
}

bool PresetStore::insert(PresetTable table, const PresetItem& item, const std::string& data) {
    return db_
        .execute("insert into " + name_of(table) + " values(?,?,?)", {item.id, item.name, data})
        .has_value();
}

StoreResult PresetStore::read(PresetTable table, int id, std::string& data) {
    const auto rows = db_.query(columns_of(table) + " where ID=?", {id});
    if (!rows) {
        return StoreResult::Failed;
    }
    if (rows->empty() || rows->front().size() < 3) {
        return StoreResult::Missing;
    }
    data = rows->front()[2];
    return StoreResult::Done;
}

StoreResult PresetStore::rename(PresetTable table, int id, const std::string& name) {
    return changed(db_.execute("update " + name_of(table) + " set NAME=? where ID=?", {name, id}));
}

StoreResult PresetStore::remove(PresetTable table, int id) {
    return changed(db_.execute("delete from " + name_of(table) + " where ID=?", {id}));
}

}  // namespace kestra
