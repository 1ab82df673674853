// A table loaded into a PostgreSQL database, through libpq: a typed table
// (pg_export/pg_columns.h) filled by COPY (pg_export/copy_text.h).
//
// Invariants:
//  1. Everything happens in one transaction: the database either gains the
//     whole table or stays as it was. A refused value, a server error, a
//     lost connection or a cancel rolls back, and the reason says what
//     failed and at which record.
//  2. The table is read under the table lock, so the database gets one
//     consistent state of it, and is put back on the record it stood on.
//  3. The session's client encoding is UTF8, set by us, whatever the
//     database or the user's environment say; texts are converted from the
//     table's code page.
//  4. The connection text is handed to libpq alone: its password (better
//     given through PGPASSWORD or ~/.pgpass) never appears in a message.
#pragma once

#include "engine/table.h"
#include "engine/table_export.h"

#include <functional>
#include <string>
#include <string_view>

namespace vortel {

// What to do when the database already has a table of the name.
enum class existing_table {
    refuse,   // change nothing and say so
    replace,  // drop it, then create it anew
    append,   // add the records, when its columns take them (created when missing)
};

struct pg_export_options {
    // As libpq takes it: postgresql://user@host/db, postgres://..., or
    // key=value words ("host=/run/postgresql dbname=sales").
    std::string connection;
    std::string table;  // UTF-8; "" names it after the table file
    existing_table existing = existing_table::refuse;
    deleted_records deleted = deleted_records::skip;
};

// Whether an export's output names a database rather than a file: a
// postgresql:// or postgres:// address, or libpq's key=value words.
bool names_postgresql_database(std::string_view output);

// Loads the table. export_written, export_failed (the reason noted on the
// table) or export_cancelled when `progress` answered false.
int export_to_postgresql(table_object& table, const pg_export_options& options,
                         const std::function<bool(int percent)>& progress = {});

}  // namespace vortel
