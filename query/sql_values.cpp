#include "query/sql_values.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace vortel {
namespace {

bool text_type(char type) { return type == 'C' || type == 'M'; }

// Significant digits a field of this shape may hold.
int digits_possible(const field_information& info)
{
    return info.length - (info.decimals > 0 ? 1 : 0);
}

}  // namespace

std::vector<sql_field_column> sql_field_columns(const table_object& table)
{
    std::vector<sql_field_column> columns;
    const text_recoder recoder(table.codepage.page, true);
    for (export_field& field : export_fields(table)) {
        sql_field_column column;
        column.offset = static_cast<std::size_t>(field_offset(table, field.index));
        column.name = recoder(field.info.name);
        const char type = field.info.type;
        if (type == 'N' && field.info.decimals == 0) {
            column.declared_type = "INTEGER";
            column.exact_number = digits_possible(field.info) <= 18;
        } else if (type == 'N' || type == 'F') {
            column.declared_type = "REAL";
            column.exact_number = digits_possible(field.info) <= 15;
        } else if (type == 'L') {
            column.declared_type = "INTEGER";
        } else {
            column.declared_type = "TEXT";
        }
        column.field = std::move(field);
        columns.push_back(std::move(column));
    }
    return columns;
}

sql_value sql_number(std::string_view spelling, bool integer_field, bool reals)
{
    sql_value value;
    const std::string normal = json_number_text(spelling);
    if (integer_field && normal.find('.') == std::string::npos) {
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), number);
        if (error == std::errc{} && end == normal.data() + normal.size()) {
            value.type = sql_value::kind::integer;
            value.integer = number;
            return value;
        }
    }
    // A double holds the number only where writing it back with the
    // stored decimals gives the stored digits.
    const std::size_t point = normal.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(normal.size() - point - 1);
    const double real = std::strtod(normal.c_str(), nullptr);
    char written[400];
    const int length = std::snprintf(written, sizeof written, "%.*f", decimals, real);
    if (reals && length > 0 && static_cast<std::size_t>(length) < sizeof written &&
        std::string_view(written, static_cast<std::size_t>(length)) == normal) {
        value.type = sql_value::kind::real;
        value.real = real;
    } else {
        value.type = sql_value::kind::text;
        value.text = normal;
    }
    return value;
}

std::string sql_value_text(const sql_value& value)
{
    switch (value.type) {
    case sql_value::kind::null: return {};
    case sql_value::kind::integer: return std::to_string(value.integer);
    case sql_value::kind::text: return value.text;
    case sql_value::kind::real: break;
    }
    char written[64];
    std::snprintf(written, sizeof written, "%.15g", value.real);
    std::string text = written;
    // A real stays recognisable as one: 3.0, not 3.
    if (text.find_first_of(".eni") == std::string::npos) text += ".0";
    return text;
}

bool read_sql_value(table_object& table, const sql_field_column& column, std::span<const std::uint8_t> record,
                    const text_recoder& recoder, std::string& scratch, sql_value& value, bool reals)
{
    cell_value cell;
    std::string shown;
    const bool read = column.field.shown
                          ? read_shown_cell(table, column.field, shown, scratch, cell)
                          : read_cell(table, column.field.info, record.data() + column.offset, scratch, cell);
    if (!read) return false;
    value.text.clear();
    switch (cell.kind) {
    case cell_kind::empty:
        value.type = text_type(column.field.info.type) ? sql_value::kind::text : sql_value::kind::null;
        break;
    case cell_kind::text:
        value.type = sql_value::kind::text;
        recoder.append(value.text, cell.text);
        break;
    case cell_kind::number: {
        const char type = column.field.info.type;
        value = sql_number(cell.text, type == 'N' && column.field.info.decimals == 0, reals);
        break;
    }
    case cell_kind::date:
        value.type = sql_value::kind::text;
        value.text = iso_date_text(cell.date);
        break;
    case cell_kind::logical:
        value.type = sql_value::kind::integer;
        value.integer = cell.truth ? 1 : 0;
        break;
    }
    return true;
}

}  // namespace vortel
