// Records as lines of the text format of PostgreSQL's COPY FROM STDIN.
//
//  1. Values are separated by a tab and a line ends with "\n"; a NULL is
//     "\N".
//  2. Inside a text a backslash, tab, newline and carriage return are
//     written "\\", "\t", "\n" and "\r", so that no value can pass for
//     another value, another line, a NULL or the end mark "\.".
//  3. A blank number, date or logical (and the "?" logical) is NULL; a
//     blank character or memo field is the empty text, as a dBase table
//     cannot tell the two apart there.
//  4. A value its column would not keep exactly is refused, never sent to
//     be rounded or cut by the server: a number with more digits than its
//     numeric holds, text where a number, date or logical belongs, a text
//     holding a zero byte or a byte its code page has no character for.
#pragma once

#include "engine/export_cells.h"
#include "engine/export_rows.h"
#include "pg_export/pg_columns.h"

#include <string>

namespace vortel {

// Appends `cell` as `column` takes it to `line`; "" when it did, else why
// the column refuses the value (and `line` then holds an unfinished value).
std::string append_copy_value(std::string& line, const pg_column& column, const cell_value& cell,
                              const text_recoder& recoder);

// Why numeric(p,s) would not keep the number `spelling` (sign, digits and
// at most one point) exactly; "" when it would.
std::string numeric_refusal(std::string_view spelling, const pg_column& column);

}  // namespace vortel
