// An SQLite virtual-table module over open tables: each table reads as an
// SQL table with a column per field (query/sql_values.h) and two hidden
// columns, `_recno` and `_deleted` (1 for a deleted record, else 0).
//
// Invariants:
//  1. The module never writes: it has no xUpdate, so SQLite refuses every
//     change, and it reads the files only through bulk range reads.
//  2. Records are read a block at a time, in file order; a condition on
//     `_recno` (=, <, <=, >, >=) narrows the range read. SQLite checks the
//     condition again on every row, so the narrowing only has to be wide
//     enough.
//  3. A memo is read only when its column is asked for.
//  4. A cursor reads the table's record buffer and moves its file position;
//     the caller puts the table back on its record when the statement is
//     done (query/sql_session.h does).
#pragma once

#include "engine/table.h"

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace vortel {

// Which records a table shows through SQL.
enum class record_scope {
    as_navigated,  // deleted records only while the table's navigation shows them
    all,           // every record, deleted or not
};

struct module_table {
    table_object* table = nullptr;
    record_scope scope = record_scope::as_navigated;
};

// What the module's tables read from, shared with their owner.
struct module_state {
    std::vector<module_table> tables;
    // Records the cursors have read, for progress reports.
    std::int64_t records_read = 0;
};

inline constexpr const char* table_module_name = "vortel_table";

// Registers the module on `database`. A table is then made with
// CREATE VIRTUAL TABLE name USING vortel_table(N), N its index in
// `state.tables`. SQLITE_OK or SQLite's error code.
int register_table_module(sqlite3* database, module_state& state);

}  // namespace vortel
