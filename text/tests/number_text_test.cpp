#include "text/decimal_number.h"
#include "text/number_text.h"
#include "text/text_to_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "runtime/settings.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

TEST(text_to_number, reads_the_leading_number_and_stays_inside_a_view_without_terminator)
{
    const std::pair<const char*, long> rows[] = {
        {"", 0}, {"   42abc", 42}, {"-17", -17}, {"+5", 5},
        {" - 5", 0},  // the sign must touch the digits
        {"abc", 0},
        {"\t5", 0},  // only blanks are skipped
        {"9223372036854775807", LONG_MAX}, {"-9223372036854775808", LONG_MIN},
        {"99999999999999999999999999999", LONG_MAX}, {"-99999999999999999999999999999", LONG_MIN},
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(text_to_long(text), expected) << '"' << text << '"';

    // Doubles likewise, and neither reads past the end of a view.
    const std::pair<std::string, double> double_rows[] = {
        {"", 0.0}, {"  3.25", 3.25}, {"-2.5e2x", -250.0}, {"+.5", 0.5},
        {"1e", 1.0},  // an exponent without digits is not part of the number
        {"1e+", 1.0}, {"12,5", 12.0}, {"-.", 0.0}, {"inf", 0.0}, {"nan", 0.0}, {"0x10", 0.0}, {"1e400", HUGE_VAL},
        {"-1e400", -HUGE_VAL}, {"1e-400", 0.0}, {"0." + std::string(400, '0') + "1", 0.0},
        {"1" + std::string(400, '0'), HUGE_VAL},
    };
    for (const auto& [text, expected] : double_rows) EXPECT_EQ(text_to_double(text), expected) << '"' << text << '"';

    // Exactly sized heap buffers: the sanitized run reports any read past them.
    const auto buffer = std::make_unique<char[]>(5);
    std::memcpy(buffer.get(), "1.5e3", 5);
    EXPECT_EQ(text_to_double(std::string_view(buffer.get(), 4)), 1.5);
    EXPECT_EQ(text_to_double(std::string_view(buffer.get(), 5)), 1500.0);
    EXPECT_EQ(text_to_long(std::string_view(buffer.get(), 1)), 1);
}

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

using number_text = testing_support::with_default_settings;

TEST_F(number_text, numbers_become_right_aligned_text_in_bounded_widths_and_zero_is_recognised)
{
    struct row { long double x; int width, decimals; const char* expected; };
    const row rows[] = {
        {3.14159L, 8, 3, "   3.142"}, {2.7L, 4, 0, "   3"}, {-2.5L, 6, 1, "  -2.5"}, {0.0L, 5, 2, " 0.00"},
        {-0.001L, 5, 2, "-0.00"},
        {123456.7L, 5, 2, "0.00"},  // does not fit: zero with the decimals
        {123456.7L, 9, 2, "123456.70"},
        {1234.0L, 2, 0, "1234"},    // without decimals a wide number is kept
        {1e30L, 10, 3, "0.000"}, {7.0L, -3, 0, "7"}, {7.0L, 3, -5, "  7"},
    };
    for (const row& r : rows) {
        EXPECT_EQ(number_to_text(r.x, r.width, r.decimals), r.expected)
            << static_cast<double>(r.x) << " width " << r.width << " decimals " << r.decimals;
    }

    // The stored form keeps the point whatever the decimal sign; widths are
    // bounded; integers right-align.
    setting_by_index(SET_TIZEDESJEL, ",");
    EXPECT_EQ(number_to_text(1.5L, 6, 2), "  1.50");
    EXPECT_EQ(long_to_text(42, 10), "        42");
    EXPECT_EQ(long_to_text(-7, 3), " -7");
    EXPECT_EQ(long_to_text(LONG_MIN, 0), "-9223372036854775808");
    EXPECT_EQ(long_to_text(5, -4), "5");
    EXPECT_EQ(number_to_text(1.0L, 100000, 0).size(), 255u);
    EXPECT_EQ(long_to_text(1, 100000).size(), 255u);
    EXPECT_EQ(number_to_text(1.0L, 3, 1000), "0." + std::string(255, '0'));
    EXPECT_GE(number_to_text(1e4000L, 5, 0).size(), 4000u);  // every digit of a huge value

    for (const char* zero : {"", "0", "  0.000", "-0", "abc", "0e5", "   ", "."}) {
        EXPECT_TRUE(is_zero_number(zero)) << '"' << zero << '"';
    }
    for (const char* other : {"1", " 0.001", "-3", "1e-300", "5abc"}) EXPECT_FALSE(is_zero_number(other)) << other;
}

}  // namespace
}  // namespace vortel
