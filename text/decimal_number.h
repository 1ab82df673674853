// Numbers as decimal digits, never as binary floating point.
//
// A numeric field holds up to 19 digits, more than a double carries
// exactly (9007199254740993 would become ...992), so a value read from a
// text and written into a field of another width or scale is moved digit
// by digit: rounding and shifting are done on the digits themselves.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vortel {

// How a text may spell a number. Both allow blanks around it, an optional
// sign, digits and at most one "." with digits on either side of it.
enum class number_spelling {
    plain,          // typed values: nothing else
    with_exponent,  // text files and other programs' bytes: also "1.5e3", "2E-4"
};

// value = -1 (when negative) x digits x 10^exponent, exactly.
struct decimal_number {
    bool negative = false;
    std::string digits;         // no leading zeros; empty for zero
    std::int64_t exponent = 0;  // the power of ten of the last digit
};

// The number `text` spells, or nothing when it spells none: no digit,
// other characters, "inf", "nan" or hexadecimal forms.
std::optional<decimal_number> read_decimal(std::string_view text, number_spelling spelling);

// `number` rounded half away from zero to `decimals` places and
// right-aligned in `width` characters: "  -3.50". At least one digit
// stands before the point, and a value that rounds to zero is never
// "-0". Nothing when the text would be wider than `width`.
std::optional<std::string> format_decimal(const decimal_number& number, int width, int decimals);

}  // namespace vortel
