// How the fields of a table read as SQL values: one reading for the query
// module and the SQLite export, so that a value is the same value in both.
//
// The bytes are read as the exports read them (engine/export_cells.h); then:
//  1. N with no decimals: INTEGER where the digits fit 64 bits.
//  2. N with decimals, and F: REAL where the double, written back with the
//     stored number of decimals, gives the same digits; otherwise the
//     exact digits as TEXT, so that 19 digits stay 19 digits.
//  3. D: ISO text, 2024-01-31.
//  4. L: 1 for true, 0 for false.
//  5. C and M: TEXT in UTF-8, converted from the table's code page; a blank
//     one is the empty text.
//  6. A blank N, D or L (and "?" in L) is NULL; a value its type cannot
//     read ("20241399" in a date) is its text, never dropped.
#pragma once

#include "engine/export_cells.h"
#include "engine/export_rows.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vortel {

struct sql_value {
    enum class kind { null, integer, real, text };
    kind type = kind::null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;  // UTF-8
};

// A column over one field of a table.
struct sql_field_column {
    export_field field;
    std::size_t offset = 0;      // of the field in the record
    std::string name;            // UTF-8
    std::string declared_type;   // INTEGER, REAL or TEXT
    // A numeric field whose values all fit the declared type exactly: an
    // integer of at most 18 digits, or at most 15 significant digits.
    bool exact_number = false;
};

// The columns of a table's fields, in the table's order.
std::vector<sql_field_column> sql_field_columns(const table_object& table);

// Reads one field of `record` (the table's stored record) as the rules say.
// Memos are read only here, when asked; false when a memo cannot be read
// whole, the reason then noted on the table. `scratch` holds texts between
// calls; `shown` fields read the table's record buffer, which the caller
// filled with `record`.
// Without `reals` a number rule 2 would make REAL stays its digits.
bool read_sql_value(table_object& table, const sql_field_column& column, std::span<const std::uint8_t> record,
                    const text_recoder& recoder, std::string& scratch, sql_value& value, bool reals = true);

// A value as text: "" for NULL, integers in digits, reals with at most 15
// significant digits (12.5, 3.0), texts as they are.
std::string sql_value_text(const sql_value& value);

// The number a stored spelling (trimmed, a sign, digits, one point) holds,
// by rules 1 and 2; without `reals`, what would be REAL is its digits.
sql_value sql_number(std::string_view spelling, bool integer_field, bool reals = true);

}  // namespace vortel
