// Writing tables into an SQLite database file: a typed table per DBF, for
// programs that read SQLite, and for tables that outgrow a shared drive.
//
// Invariants:
//  1. One transaction: every table is written, or the database is as it
//     was (a file that did not exist before is removed again).
//  2. A table of the same name already in the database is refused unless
//     `replace` says to put the new one in its place; other tables stay.
//  3. Each DBF is read under its table lock, so the copy is one state of
//     the table, and is put back on the record it stood on.
//  4. Columns take the types of query/sql_values.h: INTEGER for N without
//     decimals, REAL for N with decimals and F, but TEXT with the exact
//     digits for N and F fields wide enough to hold values a double would
//     round (SQLite would turn such a text into a rounded number in an
//     INTEGER or REAL column); dates as TEXT 2024-01-31, logicals as
//     BOOLEAN 1/0, C and M as TEXT. A value its type cannot read keeps its
//     text.
#pragma once

#include "engine/table.h"
#include "engine/table_export.h"

#include <functional>
#include <span>
#include <string>

namespace vortel {

struct sqlite_table_source {
    table_object* table = nullptr;
    std::string name;  // UTF-8; query/sql_session.h's sql_table_name gives the usual one
};

struct sqlite_export_options {
    // Deleted records left out, or written with a `_deleted` column (1 for
    // them, 0 for the others).
    deleted_records deleted = deleted_records::skip;
    bool replace = false;
};

// Whether a name is one of a SQLite database file: .sqlite, .sqlite3, .db
// (any letter case).
bool sqlite_file_name(std::string_view path);

// Writes the tables into the database `path` (created when missing).
// `progress` sees the percentage of records read rise from 0 to 100 and
// answers whether to go on. export_written, export_cancelled (the database
// then as it was), or export_failed with the reason in `refusal`, in the
// words of the other exports' failures (paths as given), which is "" only
// when a table is busy: another process holds its lock.
int export_to_sqlite(std::span<const sqlite_table_source> tables, const std::string& path,
                     const sqlite_export_options& options, std::string& refusal,
                     const std::function<bool(int percent)>& progress = {});

}  // namespace vortel
