// Upper-casing that knows the Hungarian accented letters.
//
// The accented letters come from the settings SET_HUN_LOWER and
// SET_HUN_UPPER, paired position by position and read at every call.
#pragma once

#include <string>
#include <string_view>

namespace vortel {

// "a"-"z" become "A"-"Z"; a letter among the first nine of SET_HUN_LOWER
// becomes its partner in SET_HUN_UPPER. Everything else stays unchanged.
char char_upper(char c);
std::string text_upper(std::string_view text);

// True for ASCII letters and digits and for every letter of the two lists.
bool is_letter_or_digit(char c);

}  // namespace vortel
