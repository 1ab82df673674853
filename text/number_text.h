// Numbers as the texts stored in numeric and memo fields.
//
// The decimal point of these texts is always ".", whatever the decimal sign
// setting says: they are the stored form, not the shown one.
#pragma once

#include <string>
#include <string_view>

namespace vortel {

// Longest text the two formatters pad to; wider requests are cut to it.
inline constexpr int number_text_width_max = 255;

// x in fixed notation, right-aligned in `width` characters with `decimals`
// decimals (-1 or 0: none, and no point). A number that does not fit in
// `width` with decimals becomes "0." and `decimals` zeros.
std::string number_to_text(long double x, int width, int decimals);

// n right-aligned in `width` characters.
std::string long_to_text(long n, int width);

// True when the leading number of the text is 0, or there is none.
bool is_zero_number(std::string_view text);

}  // namespace vortel
