#include "query/sqlite_export.h"

#include "engine/output_refusal.h"
#include "engine/record_blocks.h"
#include "query/sql_session.h"
#include "query/sql_values.h"
#include "runtime/scope_exit.h"
#include "text/text_ops.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>

namespace vortel {
namespace {

struct statement_closer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using statement_handle = std::unique_ptr<sqlite3_stmt, statement_closer>;

// A column of the written table: its declared type decides how its values
// are bound.
struct written_column {
    const sql_field_column* field;
    std::string declared_type;
    bool exact_digits;  // a wide number: always its digits, never a double
};

std::vector<written_column> written_columns(const std::vector<sql_field_column>& fields)
{
    std::vector<written_column> columns;
    for (const sql_field_column& field : fields) {
        const char type = field.field.info.type;
        written_column column{&field, field.declared_type, false};
        if ((type == 'N' || type == 'F') && !field.exact_number) {
            column.declared_type = "TEXT";
            column.exact_digits = true;
        } else if (type == 'L') {
            column.declared_type = "BOOLEAN";
        }
        columns.push_back(column);
    }
    return columns;
}

class database_writer {
public:
    database_writer(sqlite3* database, std::string& refusal) : database_(database), refusal_(refusal) {}

    bool execute(const std::string& statement)
    {
        char* error = nullptr;
        if (sqlite3_exec(database_, statement.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return true;
        refusal_ = error ? error : sqlite3_errmsg(database_);
        sqlite3_free(error);
        return false;
    }

    statement_handle prepare(const std::string& text)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(database_, text.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            refusal_ = sqlite3_errmsg(database_);
        }
        return statement_handle(statement);
    }

    bool table_exists(const std::string& name)
    {
        const statement_handle query = prepare("SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') "
                                               "AND name = ?1 COLLATE NOCASE");
        if (!query) return false;
        sqlite3_bind_text(query.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
        return sqlite3_step(query.get()) == SQLITE_ROW;
    }

    bool step(sqlite3_stmt* statement)
    {
        const int status = sqlite3_step(statement);
        sqlite3_reset(statement);
        if (status == SQLITE_DONE) return true;
        refusal_ = sqlite3_errmsg(database_);
        return false;
    }

private:
    sqlite3* database_;
    std::string& refusal_;
};

void bind(sqlite3_stmt* statement, int place, const sql_value& value)
{
    switch (value.type) {
    case sql_value::kind::null: sqlite3_bind_null(statement, place); break;
    case sql_value::kind::integer: sqlite3_bind_int64(statement, place, value.integer); break;
    case sql_value::kind::real: sqlite3_bind_double(statement, place, value.real); break;
    case sql_value::kind::text:
        sqlite3_bind_text64(statement, place, value.text.data(), value.text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
}

// One table into the database, inside the caller's transaction.
bool write_table(database_writer& writer, const sqlite_table_source& source, const sqlite_export_options& options,
                 const std::function<bool(std::int64_t records)>& step_done, std::string& refusal)
{
    table_object& table = *source.table;
    const std::vector<sql_field_column> fields = sql_field_columns(table);
    const std::vector<written_column> columns = written_columns(fields);
    const bool mark = options.deleted == deleted_records::mark;

    if (writer.table_exists(source.name)) {
        if (!options.replace) {
            refusal = "the database already holds a table " + source.name + ", which is replaced only when asked";
            return false;
        }
        if (!writer.execute("DROP TABLE " + sql_quoted_name(source.name))) return false;
    }
    std::string create = "CREATE TABLE " + sql_quoted_name(source.name) + " (";
    std::string insert = "INSERT INTO " + sql_quoted_name(source.name) + " VALUES (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        create += (i ? ", " : "") + sql_quoted_name(columns[i].field->name) + " " + columns[i].declared_type;
        insert += (i ? ", ?" : "?");
    }
    if (mark) {
        create += std::string(columns.empty() ? "" : ", ") + "_deleted BOOLEAN NOT NULL";
        insert += columns.empty() ? "?" : ", ?";
    }
    if (!writer.execute(create + ")")) return false;
    const statement_handle row = writer.prepare(insert + ")");
    if (!row) return false;

    // Memo texts are wanted as stored, like every other text here.
    const scope_exit keep([&table, before = table.texts_as_stored] { table.texts_as_stored = before; });
    table.texts_as_stored = 1;
    const text_recoder recoder(table.codepage.page, true);
    record_block_reader reader(table);
    std::string scratch;
    sql_value value;
    bool any_shown = false;
    for (const sql_field_column& field : fields) any_shown = any_shown || field.field.shown;
    for (auto record = reader.next(); !record.empty(); record = reader.next()) {
        if (!step_done(reader.number())) return false;
        const bool deleted = record[0] == dbf_deleted_mark;
        if ((deleted && !mark) || filter_hides(table.navigation, reader.number())) continue;
        if (any_shown) std::copy(record.begin(), record.end(), table.record.begin());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const written_column& column = columns[i];
            if (!read_sql_value(table, *column.field, record, recoder, scratch, value, !column.exact_digits)) {
                refusal = cell_refusal(reader.number(), column.field->field.info, table.failure);
                return false;
            }
            bind(row.get(), static_cast<int>(i) + 1, value);
        }
        if (mark) sqlite3_bind_int(row.get(), static_cast<int>(columns.size()) + 1, deleted ? 1 : 0);
        if (!writer.step(row.get())) return false;
    }
    if (reader.failed()) {
        refusal = table.failure;
        return false;
    }
    return true;
}

}  // namespace

bool sqlite_file_name(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return false;
    const std::string_view extension = path.substr(dot + 1);
    return equal_ignoring_case(extension, "sqlite") || equal_ignoring_case(extension, "sqlite3") ||
           equal_ignoring_case(extension, "db");
}

int export_to_sqlite(std::span<const sqlite_table_source> tables, const std::string& path,
                     const sqlite_export_options& options, std::string& refusal,
                     const std::function<bool(int percent)>& progress)
{
    refusal.clear();
    for (const sqlite_table_source& source : tables) {
        if (std::string why = output_refusal(*source.table, path); !why.empty()) {
            refusal = std::move(why);
            return export_failed;
        }
    }
    // Every table under its lock for the whole run, and back on its record.
    std::vector<std::pair<table_object*, std::int32_t>> held;
    const scope_exit put_back([&held] {
        for (const auto& [table, record] : held) {
            unlock(*table);
            go_to(*table, record);
        }
    });
    std::int64_t total = 0;
    for (const sqlite_table_source& source : tables) {
        clear_failure(*source.table);
        if (!lock_table(*source.table)) {
            refusal = source.table->failure;
            return export_failed;
        }
        held.emplace_back(source.table, current_record(*source.table));
        total += record_count(*source.table);
    }

    std::error_code ignored;
    const bool existed = std::filesystem::exists(path, ignored);
    sqlite3* database = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const scope_exit close([&] {
        sqlite3_close_v2(database);
    });
    database_writer writer(database, refusal);
    if (opened != SQLITE_OK) {
        refusal = path + ": " + (database ? sqlite3_errmsg(database) : "out of memory");
        return export_failed;
    }
    bool cancelled = false;
    std::int64_t done_before = 0;
    const std::function<void(int)> told = [&](int percent) {
        if (progress && !progress(percent)) cancelled = true;
    };
    progress_meter meter(told, total);
    bool written = writer.execute("BEGIN IMMEDIATE");
    for (const sqlite_table_source& source : tables) {
        if (!written) break;
        const auto step_done = [&](std::int64_t records) {
            meter.step(done_before + records);
            return !cancelled;
        };
        written = write_table(writer, source, options, step_done, refusal);
        done_before += record_count(*source.table);
    }
    written = written && !cancelled && writer.execute("COMMIT");
    if (!written) {
        sqlite3_exec(database, "ROLLBACK", nullptr, nullptr, nullptr);
        if (!refusal.empty() && refusal.find(path) == std::string::npos && !cancelled) {
            refusal = path + ": " + refusal;
        }
        if (!existed) {
            sqlite3_close_v2(database);
            database = nullptr;
            std::filesystem::remove(path, ignored);
        }
        return cancelled ? export_cancelled : export_failed;
    }
    meter.finish();
    return export_written;
}

}  // namespace vortel
