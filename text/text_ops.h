// Small text operations shared by the table engine, the grid and the dialogs.
//
// "Blank" always means the blank character alone; tabs are not blanks.
// Positions are byte indexes, -1 when nothing is found.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortel {

std::string trim_left(std::string_view text);
std::string trim_right(std::string_view text);
// Trims `text` itself and returns it.
std::string& trim_both(std::string& text);

bool is_blank(std::string_view text);  // empty or blanks only
bool is_digit(char c);                 // "0" to "9"
bool char_in_set(char c, std::string_view set);
long count_char(std::string_view text, char c);

// First and last start index in `haystack` at which `needle` occurs.
long text_position(std::string_view needle, std::string_view haystack);
long text_last_position(std::string_view needle, std::string_view haystack);

// Inserts `c` before index `index`; an index past the end appends.
void insert_char(std::string& text, std::size_t index, char c);

// True when `path` names an existing file (not a directory). Asked through
// the active file operations, so that a failure injected there is seen.
bool file_exists(std::string_view path);

// True when `a` and `b` hold the same bytes, ASCII letters compared without
// their case: field names, file name extensions.
bool equal_ignoring_case(std::string_view a, std::string_view b);

}  // namespace vortel
