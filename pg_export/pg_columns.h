// A table's fields as the columns of a PostgreSQL table, and the names
// PostgreSQL is given.
//
// Each column takes every value its field can hold without changing it:
//  1. N: numeric(p,s), p the field's length (at least 1), s its decimals
//     (at most p). The length counts the sign and the point too, so p - s
//     digits before the point are always room enough; a numeric, never a
//     double, because the field stores decimal digits and 19 of them must
//     stay 19, as 0.1 must stay 0.1.
//  1a. F, and a double another dBase version stores in binary: numeric
//     without bounds. Such fields hold floating values: the programs that
//     write them (shapefile writers among them) put exponents and more
//     decimals in them than the field says ("1.3945052E+02" in an F of
//     3 decimals), which numeric(p,s) would round or refuse and a double
//     precision would round past 15 digits; an unbounded numeric keeps
//     every digit as written.
//  2. C: varchar(n), n the field's length in bytes; no code page holds
//     more characters than bytes.
//  3. D: date. L: boolean. M: text.
//  4. Names are lower-case, so that the usual unquoted SQL finds them, and
//     always sent quoted, so that a name that is a keyword (ORDER, USER)
//     or holds any other character still names exactly this column.
#pragma once

#include "engine/table.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vortel {

enum class column_kind { numeric, varchar, date, boolean, text };

struct pg_column {
    std::string name;  // UTF-8, unquoted
    column_kind kind = column_kind::text;
    int precision = 0;  // numeric: all digits, 0 for no bounds; varchar: characters
    int scale = 0;      // numeric: digits after the point
};

// PostgreSQL cuts longer names silently, so that a longer one would name
// another table or column than the one asked for.
inline constexpr std::size_t pg_name_bytes_max = 63;

// The name of the column that marks deleted records, as in the other exports.
inline constexpr std::string_view deleted_column_name = "_deleted";

// The column for a field whose name is already UTF-8.
pg_column column_for(const field_information& field, std::string utf8_name);

// "numeric(9,2)", "numeric", "varchar(30)", "date", "boolean", "text".
std::string column_type_text(const pg_column& column);

// `"name"`, with every '"' doubled.
std::string quoted_name(std::string_view name);

// ASCII letters lower-cased; other characters kept.
std::string lower_case_name(std::string_view name);

// The table name a table file gives by default: its file name without
// folder and extension, lower-cased ("DOLGOZO" for "data/DOLGOZO.DBF").
std::string table_name_for_file(std::string_view path);

// Why `name` cannot be a PostgreSQL name ("" when it can be): empty, too
// long, or holding a zero byte.
std::string bad_name_reason(std::string_view name);

// Why an existing column whose type PostgreSQL's format_type() spells
// `existing_type` cannot take every value of `wanted` unchanged; "" when it
// can (a wider numeric or varchar, an unbounded one, text for text).
std::string column_mismatch(const pg_column& wanted, std::string_view existing_type);

}  // namespace vortel
