#include "query/sql_session.h"

#include "platform/codepage.h"
#include "runtime/scope_exit.h"

#include <sqlite3.h>

#include <cstring>

namespace vortel {
namespace {

// Steps of SQLite's machine between two calls of keep_going: often enough
// that a cancel is felt at once, rare enough to cost nothing.
constexpr int steps_between_checks = 10000;

int progress_check(void* session_keep_going)
{
    const auto& keep_going = *static_cast<const std::function<bool()>*>(session_keep_going);
    return keep_going && !keep_going() ? 1 : 0;
}

bool blank(std::string_view text)
{
    return text.find_first_not_of(" \t\r\n;") == std::string_view::npos;
}

sql_value value_of(sqlite3_stmt* statement, int column)
{
    sql_value value;
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL: break;
    case SQLITE_INTEGER:
        value.type = sql_value::kind::integer;
        value.integer = sqlite3_column_int64(statement, column);
        break;
    case SQLITE_FLOAT:
        value.type = sql_value::kind::real;
        value.real = sqlite3_column_double(statement, column);
        break;
    default: {
        // A blob is given as its bytes.
        value.type = sql_value::kind::text;
        const auto* text = sqlite3_column_text(statement, column);
        const int length = sqlite3_column_bytes(statement, column);
        if (text != nullptr) value.text.assign(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
        break;
    }
    }
    return value;
}

}  // namespace

sql_session::sql_session()
{
    if (sqlite3_open_v2(":memory:", &database_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY,
                        nullptr) != SQLITE_OK) {
        open_problem_ = database_ ? sqlite3_errmsg(database_) : "out of memory";
        return;
    }
    // No statement reaches a file: none can be attached.
    sqlite3_limit(database_, SQLITE_LIMIT_ATTACHED, 0);
    if (register_table_module(database_, state_) != SQLITE_OK) open_problem_ = sqlite3_errmsg(database_);
    sqlite3_progress_handler(database_, steps_between_checks, progress_check, &keep_going_);
}

sql_session::~sql_session() { sqlite3_close_v2(database_); }

bool sql_session::add_table(table_object& table, std::string_view name, record_scope scope, std::string& refusal)
{
    if (!open_problem_.empty()) {
        refusal = open_problem_;
        return false;
    }
    state_.tables.push_back({&table, scope});
    const std::string statement = "CREATE VIRTUAL TABLE " + sql_quoted_name(name) + " USING " +
                                  table_module_name + "(" + std::to_string(state_.tables.size() - 1) + ")";
    char* error = nullptr;
    if (sqlite3_exec(database_, statement.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        refusal = error ? error : sqlite3_errmsg(database_);
        sqlite3_free(error);
        state_.tables.back().table = nullptr;
        return false;
    }
    return true;
}

void sql_session::keep_going_while(std::function<bool()> keep_going) { keep_going_ = std::move(keep_going); }

bool sql_session::run(std::string_view statement_text, const sql_row_sink& sink, std::string& refusal)
{
    if (!open_problem_.empty()) {
        refusal = open_problem_;
        return false;
    }
    // Each table goes back on the record it stood on, its buffer as it was,
    // and memos are read as stored, to be converted here like every text.
    struct kept_table {
        table_object* table;
        std::vector<std::uint8_t> record;
        int texts_as_stored;
    };
    std::vector<kept_table> kept;
    for (const module_table& source : state_.tables) {
        if (source.table == nullptr) continue;
        kept.push_back({source.table, source.table->record, source.table->texts_as_stored});
        source.table->texts_as_stored = 1;
    }
    const scope_exit restore([&kept] {
        for (kept_table& held : kept) {
            table_object& table = *held.table;
            table.record = std::move(held.record);
            table.texts_as_stored = held.texts_as_stored;
            const std::int64_t after = record_offset(table.header, table.current_record) + table.header.record_length;
            if (table.current_record > 0) fh_seek(table.dbf, after, seek_origin::begin);
        }
    });

    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(database_, statement_text.data(), static_cast<int>(statement_text.size()), &statement,
                           &tail) != SQLITE_OK) {
        refusal = sqlite3_errmsg(database_);
        return false;
    }
    const scope_exit finish([statement] { sqlite3_finalize(statement); });
    if (statement == nullptr) {
        refusal = "no statement given";
        return false;
    }
    const std::size_t used = static_cast<std::size_t>(tail - statement_text.data());
    if (!blank(statement_text.substr(used))) {
        refusal = "only one statement can be run at a time";
        return false;
    }

    const int count = sqlite3_column_count(statement);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.emplace_back(sqlite3_column_name(statement, i));
    if (sink.columns && !sink.columns(names)) return false;
    std::vector<sql_value> values(static_cast<std::size_t>(count));
    for (;;) {
        const int status = sqlite3_step(statement);
        if (status == SQLITE_DONE) return true;
        if (status != SQLITE_ROW) {
            refusal = status == SQLITE_INTERRUPT ? query_cancelled_text : sqlite3_errmsg(database_);
            return false;
        }
        for (int i = 0; i < count; ++i) values[static_cast<std::size_t>(i)] = value_of(statement, i);
        if (sink.row && !sink.row(values)) return false;
    }
}

std::string sql_table_name(std::string_view path)
{
    std::string_view name = path;
    if (const std::size_t slash = name.find_last_of('/'); slash != std::string_view::npos) name.remove_prefix(slash + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    // Letters outside ASCII are upper-cased where the program's text holds them.
    std::string program = utf8_to_ansi(name);
    if (ansi_to_utf8(program) == name) {
        ansi_upper(program);
        return ansi_to_utf8(program);
    }
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

std::string sql_quoted_name(std::string_view name)
{
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace vortel
