#include "text/number_text.h"

#include <gtest/gtest.h>

#include <climits>

#include "shell/settings.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

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
