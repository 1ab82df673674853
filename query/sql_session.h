// SQL over open tables: an in-memory SQLite database in which each table
// added reads as a virtual table (query/table_module.h).
//
// The session never changes a table, nor any file: the tables are read
// only, the database lives in memory, and ATTACH is not allowed, so no
// statement reaches a file. A statement runs to its end, until the caller's
// keep_going says stop (checked every few thousand steps of SQLite's
// machine), or until the row sink refuses a row.
#pragma once

#include "query/sql_values.h"
#include "query/table_module.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

struct sqlite3;

namespace vortel {

// What run gives its results to; false from either stops the statement
// (the reason, when there is one, set by the sink in the refusal).
struct sql_row_sink {
    std::function<bool(std::span<const std::string> names)> columns;
    std::function<bool(std::span<const sql_value> values)> row;
};

inline constexpr const char* query_cancelled_text = "cancelled";

class sql_session {
public:
    sql_session();
    ~sql_session();
    sql_session(const sql_session&) = delete;
    sql_session& operator=(const sql_session&) = delete;

    // Makes `table` readable as `name` (UTF-8). The table must stay open
    // while the session lives. False, with the reason, when the name is
    // taken or SQLite refuses it.
    [[nodiscard]] bool add_table(table_object& table, std::string_view name, record_scope scope,
                                 std::string& refusal);

    // Called now and then while a statement runs; false cancels it.
    void keep_going_while(std::function<bool()> keep_going);

    // Runs one statement (UTF-8). False with a reason in plain words: SQLite's
    // own ("near \"SELEC\": syntax error"), query_cancelled_text, or why a
    // table could not be read. The tables stand on their records after.
    [[nodiscard]] bool run(std::string_view statement, const sql_row_sink& sink, std::string& refusal);

    // Records read from the tables since the session began.
    std::int64_t records_read() const { return state_.records_read; }

    // The database, for writing results elsewhere (query/sqlite_export.h).
    sqlite3* database() { return database_; }

private:
    sqlite3* database_ = nullptr;
    std::string open_problem_;
    module_state state_;
    std::function<bool()> keep_going_;
};

// The name a table file reads as: its file name without the extension,
// upper-case ("dolgozo.dbf" is DOLGOZO). UTF-8 in and out.
std::string sql_table_name(std::string_view path);

// A name quoted for SQL: "NAME", inner quotes doubled.
std::string sql_quoted_name(std::string_view name);

}  // namespace vortel
