#include "query/table_module.h"

#include "engine/record_blocks.h"
#include "query/sql_values.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

namespace vortel {
namespace {

// The bits of idxNum that say which bounds on `_recno` xFilter receives, in
// argument order: lower bound first, then the upper one.
constexpr int lower_bound_given = 1;
constexpr int upper_bound_given = 2;

struct table_vtab {
    sqlite3_vtab base{};
    module_state* state = nullptr;
    table_object* table = nullptr;
    record_scope scope = record_scope::as_navigated;
    std::vector<sql_field_column> columns;
    text_recoder recoder;
    bool any_shown = false;

    table_vtab(module_state& owner, const module_table& source)
        : state(&owner),
          table(source.table),
          scope(source.scope),
          columns(sql_field_columns(*source.table)),
          recoder(source.table->codepage.page, true)
    {
        for (const sql_field_column& column : columns) any_shown = any_shown || column.field.shown;
    }

    int recno_column() const { return static_cast<int>(columns.size()); }
    int deleted_column() const { return recno_column() + 1; }
};

struct table_cursor {
    sqlite3_vtab_cursor base{};
    std::unique_ptr<record_range_reader> reader;
    std::span<const std::uint8_t> record;
    std::string scratch;
    sql_value value;
};

table_vtab& vtab_of(sqlite3_vtab* base) { return *reinterpret_cast<table_vtab*>(base); }
table_cursor& cursor_of(sqlite3_vtab_cursor* base) { return *reinterpret_cast<table_cursor*>(base); }

void set_error(sqlite3_vtab* base, const std::string& message)
{
    sqlite3_free(base->zErrMsg);
    base->zErrMsg = sqlite3_mprintf("%s", message.c_str());
}

std::string quoted_identifier(std::string_view name)
{
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

int connect(sqlite3* database, void* aux, int argc, const char* const* argv, sqlite3_vtab** made, char** error)
{
    auto& state = *static_cast<module_state*>(aux);
    std::size_t index = state.tables.size();
    if (argc == 4) index = static_cast<std::size_t>(std::strtoul(argv[3], nullptr, 10));
    if (index >= state.tables.size() || state.tables[index].table == nullptr) {
        *error = sqlite3_mprintf("%s", "no such open table");
        return SQLITE_ERROR;
    }
    auto vtab = std::make_unique<table_vtab>(state, state.tables[index]);
    std::string declaration = "CREATE TABLE x(";
    for (const sql_field_column& column : vtab->columns) {
        declaration += quoted_identifier(column.name) + " " + column.declared_type + ", ";
    }
    declaration += "_recno INTEGER HIDDEN, _deleted INTEGER HIDDEN)";
    if (const int status = sqlite3_declare_vtab(database, declaration.c_str()); status != SQLITE_OK) {
        *error = sqlite3_mprintf("%s", sqlite3_errmsg(database));
        return status;
    }
    *made = &vtab.release()->base;
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab* base)
{
    sqlite3_free(base->zErrMsg);
    delete &vtab_of(base);
    return SQLITE_OK;
}

int best_index(sqlite3_vtab* base, sqlite3_index_info* info)
{
    const table_vtab& vtab = vtab_of(base);
    int lower = -1;
    int upper = -1;
    bool equal = false;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& constraint = info->aConstraint[i];
        if (!constraint.usable || constraint.iColumn != vtab.recno_column()) continue;
        switch (constraint.op) {
        case SQLITE_INDEX_CONSTRAINT_EQ:
            if (!equal) lower = upper = i;
            equal = true;
            break;
        case SQLITE_INDEX_CONSTRAINT_GT:
        case SQLITE_INDEX_CONSTRAINT_GE:
            if (lower < 0) lower = i;
            break;
        case SQLITE_INDEX_CONSTRAINT_LT:
        case SQLITE_INDEX_CONSTRAINT_LE:
            if (upper < 0) upper = i;
            break;
        default: break;
        }
    }
    int argument = 0;
    info->idxNum = 0;
    if (lower >= 0) {
        info->idxNum |= lower_bound_given;
        info->aConstraintUsage[lower].argvIndex = ++argument;
    }
    if (upper >= 0 && upper != lower) {
        info->idxNum |= upper_bound_given;
        info->aConstraintUsage[upper].argvIndex = ++argument;
    } else if (equal) {
        info->idxNum |= upper_bound_given;  // the same argument bounds both ends
    }
    // Every record read costs alike; a range costs its share.
    const double records = std::max(1.0, static_cast<double>(vtab.table->header.record_count));
    if (equal) {
        info->estimatedCost = 1;
        info->estimatedRows = 1;
        info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
    } else if (lower >= 0 && upper >= 0) {
        info->estimatedCost = records / 10;
        info->estimatedRows = static_cast<sqlite3_int64>(records / 10);
    } else if (lower >= 0 || upper >= 0) {
        info->estimatedCost = records / 2;
        info->estimatedRows = static_cast<sqlite3_int64>(records / 2);
    } else {
        info->estimatedCost = records;
        info->estimatedRows = static_cast<sqlite3_int64>(records);
    }
    // Records come in record number order.
    if (info->nOrderBy == 1 && info->aOrderBy[0].iColumn == vtab.recno_column() && !info->aOrderBy[0].desc) {
        info->orderByConsumed = 1;
    }
    return SQLITE_OK;
}

int open_cursor(sqlite3_vtab*, sqlite3_vtab_cursor** made)
{
    *made = &(new table_cursor)->base;
    return SQLITE_OK;
}

int close_cursor(sqlite3_vtab_cursor* base)
{
    delete &cursor_of(base);
    return SQLITE_OK;
}

// A bound on record numbers, widened to whole numbers; none for a value
// that is no number (SQLite's own check then decides every row).
std::optional<double> numeric_bound(sqlite3_value* value)
{
    const int type = sqlite3_value_numeric_type(value);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) return std::nullopt;
    return sqlite3_value_double(value);
}

std::int32_t clamp_record(double number)
{
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (number < 0) return 0;
    if (number > highest) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(number);
}

bool skipped(const table_vtab& vtab, std::span<const std::uint8_t> record)
{
    return vtab.scope == record_scope::as_navigated && vtab.table->navigation.hide_deleted &&
           record[0] == dbf_deleted_mark;
}

int next_record(sqlite3_vtab_cursor* base)
{
    table_cursor& cursor = cursor_of(base);
    table_vtab& vtab = vtab_of(base->pVtab);
    do {
        cursor.record = cursor.reader->next();
        if (!cursor.record.empty()) ++vtab.state->records_read;
    } while (!cursor.record.empty() && skipped(vtab, cursor.record));
    if (cursor.record.empty() && cursor.reader->failed()) {
        set_error(base->pVtab, "cannot read " + vtab.table->dbf_name + ": " + vtab.table->failure);
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor* base, int bounds, const char*, int argc, sqlite3_value** argv)
{
    table_cursor& cursor = cursor_of(base);
    table_vtab& vtab = vtab_of(base->pVtab);
    std::int32_t from = 1;
    std::int32_t to = record_count(*vtab.table);
    int argument = 0;
    if ((bounds & lower_bound_given) && argument < argc) {
        if (const auto low = numeric_bound(argv[argument])) from = std::max(from, clamp_record(std::floor(*low)));
        ++argument;
    }
    if (bounds & upper_bound_given) {
        // An equality gave one argument for both ends.
        sqlite3_value* high_value = argument < argc ? argv[argument] : argv[0];
        if (argc > 0) {
            if (const auto high = numeric_bound(high_value)) to = std::min(to, clamp_record(std::ceil(*high)));
        }
    }
    cursor.reader = std::make_unique<record_range_reader>(*vtab.table, from, to, 1);
    return next_record(base);
}

int at_end(sqlite3_vtab_cursor* base) { return cursor_of(base).record.empty() ? 1 : 0; }

int column_value(sqlite3_vtab_cursor* base, sqlite3_context* context, int index)
{
    table_cursor& cursor = cursor_of(base);
    table_vtab& vtab = vtab_of(base->pVtab);
    if (index == vtab.recno_column()) {
        sqlite3_result_int64(context, cursor.reader->number());
        return SQLITE_OK;
    }
    if (index == vtab.deleted_column()) {
        sqlite3_result_int(context, cursor.record[0] == dbf_deleted_mark ? 1 : 0);
        return SQLITE_OK;
    }
    const sql_field_column& column = vtab.columns[static_cast<std::size_t>(index)];
    // Another cursor over the same table may have filled the buffer since.
    if (column.field.shown) std::copy(cursor.record.begin(), cursor.record.end(), vtab.table->record.begin());
    if (!read_sql_value(*vtab.table, column, cursor.record, vtab.recoder, cursor.scratch, cursor.value)) {
        const std::string why = vtab.table->failure;
        clear_failure(*vtab.table);
        sqlite3_result_error(context, cell_refusal(cursor.reader->number(), column.field.info, why).c_str(), -1);
        return SQLITE_ERROR;
    }
    const sql_value& value = cursor.value;
    switch (value.type) {
    case sql_value::kind::null: sqlite3_result_null(context); break;
    case sql_value::kind::integer: sqlite3_result_int64(context, value.integer); break;
    case sql_value::kind::real: sqlite3_result_double(context, value.real); break;
    case sql_value::kind::text:
        sqlite3_result_text64(context, value.text.data(), value.text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    return SQLITE_OK;
}

int row_id(sqlite3_vtab_cursor* base, sqlite3_int64* id)
{
    *id = cursor_of(base).reader->number();
    return SQLITE_OK;
}

sqlite3_module make_module()
{
    sqlite3_module module{};
    module.iVersion = 1;
    module.xCreate = connect;
    module.xConnect = connect;
    module.xBestIndex = best_index;
    module.xDisconnect = disconnect;
    module.xDestroy = disconnect;
    module.xOpen = open_cursor;
    module.xClose = close_cursor;
    module.xFilter = filter;
    module.xNext = next_record;
    module.xEof = at_end;
    module.xColumn = column_value;
    module.xRowid = row_id;
    return module;
}

const sqlite3_module table_module = make_module();

}  // namespace

int register_table_module(sqlite3* database, module_state& state)
{
    return sqlite3_create_module(database, table_module_name, &table_module, &state);
}

}  // namespace vortel
