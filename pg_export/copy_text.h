// Records as lines of the text format of PostgreSQL's COPY FROM STDIN.
//
//  1. Values are separated by a tab and a line ends with "\n"; a NULL is
//     "\N".
//  2. Inside a text a backslash, tab, newline and carriage return are
//     written "\\", "\t", "\n" and "\r", so that no value can pass for
//     another value, another line, a NULL or the end mark "\.".
//  3. A blank number, date or logical (and the "?" logical, and a number
//     field filled with asterisks, which writers store for a number with
//     no value) is NULL; a blank character or memo field is the empty
//     text, as a dBase table cannot tell the two apart there.
//  4. A value its column would not keep exactly is refused, never sent to
//     be rounded or cut by the server: a number with more digits than its
//     numeric holds, text where a number, date or logical belongs, a text
//     holding a zero byte or a byte its code page has no character for.
#pragma once

#include "engine/export_cells.h"
#include "engine/export_rows.h"
#include "pg_export/pg_columns.h"

#include <optional>
#include <string>
#include <string_view>

namespace vortel {

// Appends `cell` as `column` takes it to `line`; "" when it did, else why
// the column refuses the value (and `line` then holds an unfinished value).
std::string append_copy_value(std::string& line, const pg_column& column, const cell_value& cell,
                              const text_recoder& recoder);

// The digits of the value a number spells ("-0012.50", "1.3945052E+02"):
// how many stand from its first significant digit to the point, and from
// the point to its last significant one. None when it spells no number.
struct decimal_extent {
    long whole = 0;
    long fraction = 0;
};
std::optional<decimal_extent> decimal_extent_of(std::string_view spelling);

// What an unbounded numeric holds at most, before and after the point.
inline constexpr long numeric_whole_digits_max = 131072;
inline constexpr long numeric_fraction_digits_max = 16383;

// Why the column would not keep the number `spelling` exactly (or why it
// is no number); "" when it would.
std::string numeric_refusal(std::string_view spelling, const pg_column& column);

}  // namespace vortel
