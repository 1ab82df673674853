// What a stored field holds, as the CSV, JSON Lines and spreadsheet exports
// write it: one reading of the bytes for all three, so that a value is the
// same value in every format.
//
// Rules, each keeping every byte that means something:
//  1. Blank fields (and the zero date "00000000" some programs write) are
//     empty: an empty cell, a JSON null.
//  2. C: the bytes up to the first zero byte, trailing blanks dropped.
//  3. N and F: the stored spelling, blanks around it dropped, never through
//     a double, so 19 digits stay 19 digits.
//  4. D: a valid date as its year, month and day.
//  5. L: T, t, Y, y true; F, f, N, n false; "?" unknown, an empty cell.
//  6. M: the memo text whole, as stored.
//  7. A value its type cannot read (letters in a number, "20241399" in a
//     date, "X" in a logical) is written as its text, never dropped or
//     guessed at.
//  8. A table of another dBase-family version: a field stored in binary,
//     or one its null flags cover, is read from the text the grid shows,
//     as the plain field its value is (integers, doubles and currency as
//     numbers, binary dates as dates, timestamps and what cannot be shown
//     as texts); the null flags field itself is never written.
// Texts are the table's stored bytes; writers convert them.
#pragma once

#include "engine/table.h"
#include "text/date_value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vortel {

enum class cell_kind { empty, text, number, date, logical };

struct cell_value {
    cell_kind kind = cell_kind::empty;
    // text: stored bytes; number: the stored spelling trimmed; date: the
    // eight stored digits.
    std::string_view text;
    date_parts date;
    bool truth = false;
};

// A field as the exports write it: its index in the table, and what a
// writer needs to know of it. A `shown` field is read through field_text;
// its information is then that of the plain field its text is read as.
struct export_field {
    int index = 0;
    field_information info;
    bool shown = false;
};

// The fields an export writes, in the table's order.
std::vector<export_field> export_fields(const table_object& table);

// The value of a field of `type` stored in `bytes`. A memo field's value is
// read into `memo`, which the text then points into; false when the memo
// could not be read whole (the reason noted on the table).
bool read_cell(table_object& table, const field_information& field, const std::uint8_t* bytes,
               std::string& memo, cell_value& cell);
// The same for a `shown` field of the table's current record: its text is
// kept in `shown`, which the cell then points into.
bool read_shown_cell(table_object& table, const export_field& field, std::string& shown, std::string& memo,
                     cell_value& cell);

// A stored number spelling as JSON writes numbers: no "+", a digit before
// the point, no point without digits after it, no leading zeros ("+.50" is
// "0.50", "007." is "7"). The digits themselves never change.
std::string json_number_text(std::string_view spelling);

// "2024-01-31".
std::string iso_date_text(const date_parts& date);

// Digits from the first non-zero one on, as a double holds at most 15 of
// them exactly.
int significant_digits(std::string_view spelling);

}  // namespace vortel
