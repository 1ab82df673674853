#include "text/decimal_number.h"

#include <gtest/gtest.h>

namespace vortel {
namespace {

constexpr const char* no_number = "<no number>";
constexpr const char* too_wide = "<too wide>";

// What a field of `width` and `decimals` would hold for `text`.
std::string field_of(std::string_view text, number_spelling spelling, int width, int decimals)
{
    const std::optional<decimal_number> number = read_decimal(text, spelling);
    if (!number) return no_number;
    return format_decimal(*number, width, decimals).value_or(too_wide);
}

TEST(decimal_number, texts_become_field_texts_digit_for_digit_or_are_refused)
{
    const std::string nines(400, '9');
    const auto plain = number_spelling::plain;
    const auto exponent = number_spelling::with_exponent;
    struct row { const char* text; number_spelling spelling; int width, decimals; const char* stored; };
    const row rows[] = {
        // Beyond what a double carries: every digit stays.
        {"9007199254740993", plain, 19, 0, "   9007199254740993"},
        {"1234567890123456789", plain, 19, 0, "1234567890123456789"},
        {"-999999999999999999", plain, 19, 0, "-999999999999999999"},
        {"  1234567890123456.789 ", plain, 19, 2, "1234567890123456.79"},
        {"12345678901234567.5", plain, 19, 0, "  12345678901234568"},
        // Rounding is half away from zero, and carries through nines.
        {"2.5", plain, 3, 0, "  3"}, {"-2.5", plain, 3, 0, " -3"}, {"2.49999999999999999999", plain, 3, 0, "  2"},
        {"0.125", plain, 5, 2, " 0.13"}, {"99.95", plain, 5, 1, "100.0"}, {"99.95", plain, 4, 1, too_wide},
        {"-0.004", plain, 5, 2, " 0.00"},  // no negative zero
        {"-0", plain, 2, 0, " 0"}, {".5", plain, 4, 1, " 0.5"}, {"5.", plain, 4, 1, " 5.0"},
        {"+7", plain, 3, 0, "  7"}, {"007.50", plain, 6, 2, "  7.50"},
        // Too wide for the field.
        {"99999", plain, 5, 1, too_wide}, {"999", plain, 5, 1, "999.0"}, {nines.c_str(), plain, 8, 2, too_wide},
        {"12345", plain, 3, 0, too_wide},
        {"1", plain, 2, 1, too_wide},  // no room for "1.0"
        // Exponents only where the source may hold them; applied by shifting.
        {"1e3", exponent, 6, 1, "1000.0"}, {"1.5E-2", exponent, 6, 3, " 0.015"}, {"-25e-1", exponent, 4, 0, "  -3"},
        {"1e400", exponent, 8, 2, too_wide}, {"1e99999999999999999999", exponent, 8, 2, too_wide},
        {"1e-99999999999999999999", exponent, 8, 2, "    0.00"}, {"0e99999", exponent, 4, 1, " 0.0"},
        {"1e3", plain, 6, 1, no_number}, {"1e", exponent, 6, 1, no_number}, {"1e+", exponent, 6, 1, no_number},
        // Not numbers at all.
        {"", plain, 5, 0, no_number}, {"   ", plain, 5, 0, no_number}, {"-", plain, 5, 0, no_number},
        {".", plain, 5, 0, no_number}, {"inf", exponent, 5, 0, no_number}, {"-nan", exponent, 5, 0, no_number},
        {"0x1A", exponent, 5, 0, no_number}, {"1 000", plain, 5, 0, no_number}, {"1.2.3", plain, 5, 0, no_number},
        {"12,5", plain, 5, 1, no_number}, {"abc", plain, 5, 0, no_number}, {"12abc", plain, 5, 0, no_number},
        {"--1", plain, 5, 0, no_number},
    };
    for (const row& r : rows) {
        EXPECT_EQ(field_of(r.text, r.spelling, r.width, r.decimals), r.stored)
            << '"' << r.text << "\" in N(" << r.width << "," << r.decimals << ")";
    }
}

}  // namespace
}  // namespace vortel
