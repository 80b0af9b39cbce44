#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "protocol/frame_sink.h"

struct sqlite3;

namespace kestra {

// The preset database file: one SQLite connection, opened on first use and created with all
// its tables when missing. Statements take their values as bound parameters only. Every
// failure goes to the notice sink with SQLite's own message; a failed open is tried again by
// the next statement. A statement waits up to kBusyTimeout while another program holds the
// file. A file found empty (0 bytes) is told before it is taken as a new database.
class PresetDatabase {
public:
    static constexpr const char* kFileName = "Tabla540.db";
    static constexpr int kBusyTimeoutMs = 3000;

    using Value = std::variant<int, std::string>;
    using Row = std::vector<std::string>;  // the columns in table order, as text

    PresetDatabase(std::string path, NoticeSink& notices);
    ~PresetDatabase();
    PresetDatabase(const PresetDatabase&) = delete;
    PresetDatabase& operator=(const PresetDatabase&) = delete;

    // An SQL identifier in double quotes: "LIMIT" is a keyword as well as a table name.
    static std::string quoted(std::string_view identifier);

    bool open();
    bool is_open() const { return db_ != nullptr; }
    // Whether the open made the database anew: the file was missing or empty.
    bool started_new() const { return started_new_; }
    // The message of the last failure told.
    const std::string& last_error() const { return last_error_; }
    const std::string& path() const { return path_; }

    // Rows of a select; nullopt after a noticed failure.
    std::optional<std::vector<Row>> query(const std::string& sql,
                                          const std::vector<Value>& params = {});
    // A statement without rows; the number of rows it changed, or nullopt after a failure.
    std::optional<int> execute(const std::string& sql, const std::vector<Value>& params = {});

    // A transaction that rolls back unless committed.
    class Transaction {
    public:
        explicit Transaction(PresetDatabase& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        bool begun() const { return begun_; }
        bool commit();

    private:
        PresetDatabase& db_;
        bool begun_ = false;
        bool done_ = false;
    };

private:
    bool create_tables();
    bool run_script(const std::string& sql);
    void fail();
    void tell(const std::string& text);

    std::string path_;
    NoticeSink& notices_;
    sqlite3* db_ = nullptr;
    bool started_new_ = false;
    std::string last_error_;
};

}  // namespace kestra
