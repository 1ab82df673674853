// The quoting rules of comma-separated text, shared by what writes it and
// what reads it: a field is quoted only when it must be, that is when it
// holds the delimiter, a double quote, a CR or an LF; inside quotes every
// double quote is doubled. Nothing else (blanks at either end, a leading
// zero, an "=") makes a field quoted, so a value reads back exactly as it
// was written by any reader that keeps these rules.
#pragma once

#include <string>
#include <string_view>

namespace vortel {

inline constexpr char csv_quote = '"';

bool csv_needs_quotes(std::string_view field, char delimiter);

// Appends `field` to `line`, quoted when it needs to be.
void append_csv_field(std::string& line, std::string_view field, char delimiter);

// A cell of tab-separated text as vortel-cli prints it: a tab, CR, LF or
// backslash inside the value is written \t, \r, \n or \\, so that no
// value can pass for more cells or rows.
std::string escaped_tab_cell(std::string_view text);

}  // namespace vortel
