#include "pg_export/pg_export.h"

#include "engine/export_rows.h"
#include "pg_export/copy_text.h"
#include "pg_export/libpq_library.h"
#include "pg_export/pg_columns.h"
#include "runtime/scope_exit.h"


#include <charconv>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace vortel {
namespace {

// The client library's functions. Whoever reaches the code below loaded
// the library first (export_to_postgresql, starts_with_keyword).
const libpq_functions& pq()
{
    std::string failure;
    return *libpq(failure);
}

struct result_release {
    void operator()(PGresult* result) const { pq().PQclear(result); }
};
using result_handle = std::unique_ptr<PGresult, result_release>;

constexpr std::string_view as_it_was = "The database is as it was.";
// COPY data goes to libpq in pieces of this size at least.
constexpr std::size_t copy_chunk_bytes = std::size_t{1} << 20;

std::string first_line(std::string_view text)
{
    text = text.substr(0, text.find('\n'));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.remove_suffix(1);
    return std::string(text);
}

// What the server said in `result`, or libpq when there was no answer.
std::string error_text(PGconn* connection, const PGresult* result)
{
    if (result != nullptr) {
        const char* primary = pq().PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
        if (primary != nullptr) {
            std::string text = primary;
            if (const char* detail = pq().PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL)) {
                text += ". " + first_line(detail);
            }
            return text;
        }
    }
    return first_line(pq().PQerrorMessage(connection));
}

// The line of COPY's data the server names in an error's context ("COPY t,
// line 3, column n: ..."); 0 when it names none.
std::int64_t copy_line_of(const PGresult* result)
{
    const char* context = result == nullptr ? nullptr : pq().PQresultErrorField(result, PG_DIAG_CONTEXT);
    if (context == nullptr) return 0;
    const std::string_view text(context);
    const std::size_t at = text.find(", line ");
    if (at == std::string_view::npos) return 0;
    const std::string_view digits = text.substr(at + 7);
    std::int64_t line = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), line);
    return line;
}

class session {
public:
    explicit session(const std::string& connection)
    {
        // The connection text is expanded as libpq's own (dbname with
        // expansion takes an address or key=value words whole).
        const char* keywords[] = {"dbname", "fallback_application_name", nullptr};
        const char* values[] = {connection.c_str(), "vortel", nullptr};
        connection_ = pq().PQconnectdbParams(keywords, values, 1);
        // Notices ("table does not exist, skipping") are no messages of ours.
        pq().PQsetNoticeProcessor(connection_, [](void*, const char*) {}, nullptr);
    }
    ~session() { pq().PQfinish(connection_); }
    session(const session&) = delete;
    session& operator=(const session&) = delete;

    PGconn* get() const { return connection_; }
    bool connected() const { return pq().PQstatus(connection_) == CONNECTION_OK; }

    // Runs `sql` with text parameters; the result when it gave `wanted`,
    // else null with `failure` set.
    result_handle run(const std::string& sql, const std::vector<std::string>& parameters, ExecStatusType wanted)
    {
        std::vector<const char*> values;
        for (const std::string& parameter : parameters) values.push_back(parameter.c_str());
        result_handle result(pq().PQexecParams(connection_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                                          values.data(), nullptr, nullptr, 0));
        if (pq().PQresultStatus(result.get()) == wanted) return result;
        failure = error_text(connection_, result.get());
        return {nullptr};
    }
    bool run(const std::string& sql) { return run(sql, {}, PGRES_COMMAND_OK) != nullptr; }

    std::string failure;

private:
    PGconn* connection_ = nullptr;
};

// The row writer that sends the records to an open COPY.
class copy_writer final : public row_writer {
public:
    copy_writer(table_object& table, session& db, const pg_export_options& options, std::string name)
        : table_(table), db_(db), options_(options), name_(std::move(name)), recoder_(table.codepage.page, true)
    {
    }

    bool begin(std::span<const field_information> fields, bool mark_deleted) override
    {
        fields_.assign(fields.begin(), fields.end());
        const std::vector<export_field> read = export_fields(table_);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            pg_column column = column_for(fields[i], lower_case_name(recoder_(fields[i].name)));
            // A binary double shows as many digits as it has, whatever
            // its field says: it takes any number, as an F does.
            const char stored = descriptor_type(table_.fields[static_cast<std::size_t>(read[i].index)]);
            if (read[i].shown && (stored == 'B' || stored == 'O')) column.precision = column.scale = 0;
            columns_.push_back(std::move(column));
        }
        mark_ = mark_deleted;
        if (mark_) columns_.push_back({std::string(deleted_column_name), column_kind::boolean, 0, 0});
        for (const pg_column& column : columns_) {
            if (std::string why = bad_name_reason(column.name); !why.empty()) {
                return failed("A column cannot be named so: " + why);
            }
        }
        if (!prepare_table()) return false;
        std::string names;
        for (const pg_column& column : columns_) names += (names.empty() ? "" : ", ") + quoted_name(column.name);
        if (!db_.run("COPY " + quoted_name(name_) + " (" + names + ") FROM STDIN", {}, PGRES_COPY_IN)) {
            return failed(db_.failure);
        }
        copying_ = true;
        line_.reserve(copy_chunk_bytes + copy_chunk_bytes / 4);
        return true;
    }

    bool row(std::int32_t record, std::span<const cell_value> cells, bool deleted) override
    {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i != 0) line_ += '\t';
            if (std::string refusal = append_copy_value(line_, columns_[i], cells[i], recoder_); !refusal.empty()) {
                note_failure(table_, cell_refusal(record, fields_[i], refusal));
                return false;
            }
        }
        if (mark_) {
            if (!cells.empty()) line_ += '\t';
            line_ += deleted ? 't' : 'f';
        }
        line_ += '\n';
        records_.push_back(record);
        return line_.size() < copy_chunk_bytes || send();
    }

    bool end() override
    {
        if (!send()) return false;
        copying_ = false;
        if (pq().PQputCopyEnd(db_.get(), nullptr) != 1) return copy_failed();
        return copy_result();
    }

    // Ends a COPY still open, so that the transaction can be rolled back.
    void abandon()
    {
        if (!copying_) return;
        copying_ = false;
        if (pq().PQputCopyEnd(db_.get(), "the export gave up") == 1) {
            while (result_handle result{pq().PQgetResult(db_.get())}) {
            }
        }
    }

private:
    bool failed(const std::string& why)
    {
        note_failure(table_, why);
        return false;
    }

    // The table as options_ want it, inside the transaction.
    bool prepare_table()
    {
        const std::string quoted = quoted_name(name_);
        const result_handle found =
            db_.run("SELECT a.attname, format_type(a.atttypid, a.atttypmod) "
                    "FROM (SELECT to_regclass($1) AS id) t LEFT JOIN pg_attribute a "
                    "ON a.attrelid = t.id AND a.attnum > 0 AND NOT a.attisdropped WHERE t.id IS NOT NULL",
                    {quoted}, PGRES_TUPLES_OK);
        if (!found) return failed(db_.failure);
        const bool exists = pq().PQntuples(found.get()) > 0;
        if (exists && options_.existing == existing_table::refuse) {
            return failed("The table " + name_ + " already exists in the database: replace it, or append the "
                          "records to it");
        }
        if (exists && options_.existing == existing_table::append) return check_columns(found.get());
        if (exists && !db_.run("DROP TABLE " + quoted)) return failed(db_.failure);
        std::string definition;
        for (const pg_column& column : columns_) {
            definition += (definition.empty() ? "" : ", ") + quoted_name(column.name) + " " + column_type_text(column);
        }
        if (!db_.run("CREATE TABLE " + quoted + " (" + definition + ")")) return failed(db_.failure);
        return true;
    }

    bool check_columns(const PGresult* found)
    {
        for (const pg_column& column : columns_) {
            std::optional<std::string> type;
            for (int row = 0; row < pq().PQntuples(found); ++row) {
                if (!pq().PQgetisnull(found, row, 0) && column.name == pq().PQgetvalue(found, row, 0)) {
                    type = pq().PQgetvalue(found, row, 1);
                }
            }
            const std::string why = type ? column_mismatch(column, *type) : "it has no column " + column.name;
            if (!why.empty()) return failed("The table " + name_ + " cannot take these records: " + why);
        }
        return true;
    }

    bool send()
    {
        if (!line_.empty() && pq().PQputCopyData(db_.get(), line_.data(), static_cast<int>(line_.size())) != 1) {
            return copy_failed();
        }
        line_.clear();
        return true;
    }

    // After the server refused the data or the connection was lost.
    bool copy_failed()
    {
        copying_ = false;
        result_handle result{pq().PQgetResult(db_.get())};
        return copy_result(std::move(result));
    }

    bool copy_result() { return copy_result(result_handle{pq().PQgetResult(db_.get())}); }

    bool copy_result(result_handle result)
    {
        const bool done = pq().PQresultStatus(result.get()) == PGRES_COMMAND_OK;
        std::string why = done ? std::string() : error_text(db_.get(), result.get());
        const std::int64_t line = copy_line_of(result.get());
        while (result_handle more{pq().PQgetResult(db_.get())}) {
        }
        if (done) return true;
        if (line > 0 && line <= static_cast<std::int64_t>(records_.size())) {
            return failed("Record " + std::to_string(records_[static_cast<std::size_t>(line - 1)]) + ": " + why);
        }
        if (pq().PQstatus(db_.get()) != CONNECTION_OK) {
            const std::string when = records_.empty() ? "before any record was sent"
                                                      : "while records up to " + std::to_string(records_.back()) +
                                                            " were sent";
            return failed("The connection to the database was lost " + when + ": " + why);
        }
        return failed(why);
    }

    table_object& table_;
    session& db_;
    const pg_export_options& options_;
    std::string name_;
    text_recoder recoder_;
    std::vector<field_information> fields_;
    std::vector<pg_column> columns_;
    bool mark_ = false;
    bool copying_ = false;
    std::string line_;
    // The record each line of COPY's data holds, for the server's errors,
    // which count lines.
    std::vector<std::int32_t> records_;
};

bool starts_with_keyword(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return false;
    std::string_view word = text.substr(0, equals);
    while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
    // Without the client library no database can be reached, by any words.
    std::string missing;
    if (libpq(missing) == nullptr) return false;
    PQconninfoOption* options = pq().PQconndefaults();
    if (options == nullptr) return false;
    bool found = false;
    for (const PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
        found = found || word == option->keyword;
    }
    pq().PQconninfoFree(options);
    return found;
}

}  // namespace

bool names_postgresql_database(std::string_view output)
{
    return output.starts_with("postgresql://") || output.starts_with("postgres://") || starts_with_keyword(output);
}

int export_to_postgresql(table_object& table, const pg_export_options& options,
                         const std::function<bool(int percent)>& progress)
{
    const std::string name = options.table.empty() ? table_name_for_file(table_file_name(table)) : options.table;
    if (std::string why = bad_name_reason(name); !why.empty()) {
        note_failure(table, "The table cannot be named so: " + why);
        return export_failed;
    }
    if (std::string missing; libpq(missing) == nullptr) {
        note_failure(table, "Can't connect to the database: " + missing);
        return export_failed;
    }
    session db(options.connection);
    if (!db.connected()) {
        note_failure(table, "Can't connect to the database: " + first_line(pq().PQerrorMessage(db.get())));
        return export_failed;
    }
    if (pq().PQsetClientEncoding(db.get(), "UTF8") != 0) {
        note_failure(table, "The database does not take UTF-8 texts: " + first_line(pq().PQerrorMessage(db.get())));
        return export_failed;
    }
    if (!lock_table(table)) return export_failed;
    const scope_exit put_back([&table, record = current_record(table)] {
        unlock(table);
        go_to(table, record);
    });
    if (!db.run("BEGIN")) {
        note_failure(table, db.failure);
        return export_failed;
    }

    export_options read;
    read.deleted = options.deleted;
    copy_writer writer(table, db, options, name);
    bool cancelled = false;
    const bool loaded = export_records(table, writer, read, progress, cancelled);
    bool committed = false;
    if (loaded) {
        // A transaction the server already aborted answers COMMIT with
        // ROLLBACK, which is no error.
        const result_handle result = db.run("COMMIT", {}, PGRES_COMMAND_OK);
        committed = result && std::string_view(pq().PQcmdStatus(result.get())) == "COMMIT";
        if (!result && !db.connected()) {
            note_failure(table, "The connection to the database was lost while it stored the table " + name +
                                    ": whether the database kept it is unknown");
            return export_failed;
        }
        if (!committed) {
            note_failure(table, "The database did not keep the table " + name + ": " +
                                    (db.failure.empty() ? std::string("the transaction was rolled back") : db.failure));
        }
    } else {
        writer.abandon();
        (void)db.run("ROLLBACK");
    }
    if (committed) return export_written;
    if (cancelled) {
        clear_failure(table);
        return export_cancelled;
    }
    note_failure(table, table.dbf);  // a failed read of the table notes nothing itself
    table.failure += table.failure.ends_with('.') ? " " : ". ";
    table.failure += as_it_was;
    return export_failed;
}

}  // namespace vortel
