#include "pg_export/pg_columns.h"

#include <algorithm>
#include <charconv>

namespace vortel {
namespace {

// The numbers in "numeric(10,2)" or "character varying(30)" after
// `prefix`; false when the text is not that type.
bool type_arguments(std::string_view type, std::string_view prefix, std::vector<int>& numbers)
{
    numbers.clear();
    if (!type.starts_with(prefix)) return false;
    type.remove_prefix(prefix.size());
    if (type.empty()) return true;
    if (type.front() != '(' || type.back() != ')') return false;
    type = type.substr(1, type.size() - 2);
    while (!type.empty()) {
        int number = 0;
        const auto [end, error] = std::from_chars(type.data(), type.data() + type.size(), number);
        if (error != std::errc{}) return false;
        numbers.push_back(number);
        type.remove_prefix(static_cast<std::size_t>(end - type.data()));
        if (!type.empty()) {
            if (type.front() != ',') return false;
            type.remove_prefix(1);
        }
    }
    return true;
}

bool takes_numeric(const pg_column& wanted, std::string_view existing)
{
    std::vector<int> numbers;
    if (!type_arguments(existing, "numeric", numbers)) return false;
    if (numbers.empty()) return true;  // any number, as written
    if (wanted.precision == 0) return false;
    const int precision = numbers[0];
    const int scale = numbers.size() > 1 ? numbers[1] : 0;
    return scale >= wanted.scale && precision - scale >= wanted.precision - wanted.scale;
}

bool takes_text(const pg_column& wanted, std::string_view existing)
{
    if (existing == "text") return true;
    std::vector<int> numbers;
    if (!type_arguments(existing, "character varying", numbers)) return false;
    return numbers.empty() || (wanted.kind == column_kind::varchar && numbers[0] >= wanted.precision);
}

}  // namespace

pg_column column_for(const field_information& field, std::string utf8_name)
{
    pg_column column;
    column.name = std::move(utf8_name);
    switch (field.type) {
    case 'N':
        column.kind = column_kind::numeric;
        column.precision = std::max(field.length, 1);
        column.scale = std::clamp(field.decimals, 0, column.precision);
        break;
    case 'F': column.kind = column_kind::numeric; break;
    case 'D': column.kind = column_kind::date; break;
    case 'L': column.kind = column_kind::boolean; break;
    case 'M': column.kind = column_kind::text; break;
    default:
        column.kind = column_kind::varchar;
        column.precision = std::max(field.length, 1);
        break;
    }
    return column;
}

std::string column_type_text(const pg_column& column)
{
    switch (column.kind) {
    case column_kind::numeric:
        if (column.precision == 0) return "numeric";
        return "numeric(" + std::to_string(column.precision) + "," + std::to_string(column.scale) + ")";
    case column_kind::varchar: return "varchar(" + std::to_string(column.precision) + ")";
    case column_kind::date: return "date";
    case column_kind::boolean: return "boolean";
    case column_kind::text: return "text";
    }
    return "text";
}

std::string quoted_name(std::string_view name)
{
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string lower_case_name(std::string_view name)
{
    std::string lower(name);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string table_name_for_file(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot != 0) name = name.substr(0, dot);
    return lower_case_name(name);
}

std::string bad_name_reason(std::string_view name)
{
    if (name.empty()) return "an empty name names nothing in PostgreSQL";
    if (name.find('\0') != std::string_view::npos) return "a name cannot hold a zero byte";
    if (name.size() > pg_name_bytes_max) {
        return "the name " + std::string(name) + " is longer than the 63 bytes PostgreSQL keeps of a name";
    }
    return {};
}

std::string column_mismatch(const pg_column& wanted, std::string_view existing_type)
{
    bool takes = false;
    switch (wanted.kind) {
    case column_kind::numeric: takes = takes_numeric(wanted, existing_type); break;
    case column_kind::varchar:
    case column_kind::text: takes = takes_text(wanted, existing_type); break;
    case column_kind::date: takes = existing_type == "date"; break;
    case column_kind::boolean: takes = existing_type == "boolean"; break;
    }
    if (takes) return {};
    return "its column " + wanted.name + " is " + std::string(existing_type) + ", which cannot hold every value of " +
           column_type_text(wanted);
}

}  // namespace vortel
