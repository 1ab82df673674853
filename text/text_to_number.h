// Reading numbers out of texts: settings values, field values, typed input.
//
// Both readers take what a number looks like at the start of the text and
// ignore the rest; a text without a number reads as 0. They never depend on
// the process locale, so "." is always the decimal point.
#pragma once

#include <string_view>

namespace vortel {

// Leading blanks, an optional sign, then decimal digits up to the first
// non-digit. Values beyond the range of long saturate at its limits.
long text_to_long(std::string_view text);

// Leading blanks, an optional sign, digits, an optional point with digits, an
// optional exponent. Values beyond the range of double become +-HUGE_VAL.
double text_to_double(std::string_view text);

}  // namespace vortel
