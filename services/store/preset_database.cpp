#include "store/preset_database.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "actions/action_context.h"
#include "model/preset_codec.h"

namespace kestra {

namespace {

// Finalizes on every path out of a statement.
struct Prepared {
    sqlite3_stmt* stmt = nullptr;
    ~Prepared() { sqlite3_finalize(stmt); }
};

bool bind_all(sqlite3_stmt* stmt, const std::vector<PresetDatabase::Value>& params) {
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int slot = static_cast<int>(i) + 1;
        const int rc = std::holds_alternative<int>(params[i])
                           ? sqlite3_bind_int(stmt, slot, std::get<int>(params[i]))
                           : sqlite3_bind_text(stmt, slot, std::get<std::string>(params[i]).c_str(),
                                               -1, SQLITE_TRANSIENT);
        if (rc != SQLITE_OK) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string PresetDatabase::quoted(std::string_view identifier) {
    std::string out = "\"";
    for (char c : identifier) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

PresetDatabase::PresetDatabase(std::string path, NoticeSink& notices)
    : path_(std::move(path)), notices_(notices) {}

PresetDatabase::~PresetDatabase() {
    sqlite3_close(db_);
}

void PresetDatabase::tell(const std::string& text) {
    last_error_ = text;
    notices_.notice(text, NoticeSink::kCaption);
}

void PresetDatabase::fail() {
    const char* message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    tell(message != nullptr ? message : "");
}

bool PresetDatabase::run_script(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) {
        return true;
    }
    // The rollback would replace the connection's message with its own.
    const std::string text = message != nullptr ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    tell(text);
    return false;
}

bool PresetDatabase::open() {
    if (db_ != nullptr) {
        return true;
    }
    struct stat st {};
    const bool missing = ::stat(path_.c_str(), &st) != 0;
    const bool empty = !missing && S_ISREG(st.st_mode) && st.st_size == 0;
    if (empty) {
        // SQLite takes an empty file for a new database without a word; the operator's
        // presets and scene list are gone, and that is worth telling.
        tell("The preset database " + path_ +
             " is empty (0 bytes): its presets and scenes are lost, and it starts anew.");
    }
    const int rc =
        sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        fail();
    } else {
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        // A double-quoted name that is no column must fail, not read as a text.
        sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    }
    if (rc != SQLITE_OK || !create_tables()) {
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    started_new_ = missing || empty;
    return true;
}

bool PresetDatabase::create_tables() {
    std::string sql = "BEGIN;";
    for (PresetTable t : kPresetTables) {
        const PresetTableInfo& info = preset_table_info(t);
        sql += "CREATE TABLE IF NOT EXISTS " + quoted(info.table) +
               " (ID INTEGER PRIMARY KEY, NAME TEXT NOT NULL, " + quoted(info.data_column) +
               " TEXT NOT NULL);";
    }
    sql +=
        "CREATE TABLE IF NOT EXISTS DeviceDATA (ID INTEGER PRIMARY KEY, NAME TEXT NOT NULL, "
        "FILENAME TEXT NOT NULL);COMMIT;";
    return run_script(sql);
}

std::optional<std::vector<PresetDatabase::Row>> PresetDatabase::query(
    const std::string& sql, const std::vector<Value>& params) {
    if (!open()) {
        return std::nullopt;
    }
    Prepared p;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &p.stmt, nullptr) != SQLITE_OK ||
        !bind_all(p.stmt, params)) {
        fail();
        return std::nullopt;
    }
    std::vector<Row> rows;
    for (;;) {
        const int rc = sqlite3_step(p.stmt);
        if (rc == SQLITE_DONE) {
            return rows;
        }
        if (rc != SQLITE_ROW) {
            fail();
            return std::nullopt;
        }
        Row row;
        const int columns = sqlite3_column_count(p.stmt);
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(p.stmt, c);
            row.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "");
        }
        rows.push_back(std::move(row));
    }
}

std::optional<int> PresetDatabase::execute(const std::string& sql,
                                           const std::vector<Value>& params) {
    if (!open()) {
        return std::nullopt;
    }
    Prepared p;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &p.stmt, nullptr) != SQLITE_OK ||
        !bind_all(p.stmt, params) || sqlite3_step(p.stmt) != SQLITE_DONE) {
        fail();
        return std::nullopt;
    }
    return sqlite3_changes(db_);
}

PresetDatabase::Transaction::Transaction(PresetDatabase& db) : db_(db) {
    begun_ = db_.execute("BEGIN IMMEDIATE").has_value();
}

PresetDatabase::Transaction::~Transaction() {
    if (begun_ && !done_) {
        sqlite3_exec(db_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

bool PresetDatabase::Transaction::commit() {
    if (!begun_ || done_) {
        return false;
    }
    done_ = true;
    if (db_.execute("COMMIT")) {
        return true;
    }
    sqlite3_exec(db_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

}  // namespace kestra
