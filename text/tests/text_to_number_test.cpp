#include "text/text_to_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace vortel {
namespace {

TEST(text_to_long, reads_the_leading_integer)
{
    struct row {
        const char* text;
        long expected;
    };
    const row rows[] = {
        {"", 0}, {"   42abc", 42}, {"-17", -17}, {"+5", 5},
        {" - 5", 0},  // the sign must touch the digits
        {"abc", 0},
        {"\t5", 0},  // only blanks are skipped
        {"9223372036854775807", LONG_MAX}, {"-9223372036854775808", LONG_MIN},
        {"99999999999999999999999999999", LONG_MAX}, {"-99999999999999999999999999999", LONG_MIN},
    };
    for (const row& r : rows) EXPECT_EQ(text_to_long(r.text), r.expected) << '"' << r.text << '"';
}

TEST(text_to_double, reads_the_leading_number)
{
    struct row {
        const char* text;
        double expected;
    };
    const row rows[] = {
        {"", 0.0}, {"  3.25", 3.25}, {"-2.5e2x", -250.0}, {"+.5", 0.5},
        {"1e", 1.0},  // an exponent without digits is not part of the number
        {"1e+", 1.0}, {"12,5", 12.0}, {"-.", 0.0}, {"inf", 0.0}, {"nan", 0.0}, {"0x10", 0.0}, {"1e400", HUGE_VAL},
        {"-1e400", -HUGE_VAL}, {"1e-400", 0.0},
    };
    for (const row& r : rows) EXPECT_EQ(text_to_double(r.text), r.expected) << '"' << r.text << '"';

    const std::string tiny = "0." + std::string(400, '0') + "1";
    EXPECT_EQ(text_to_double(tiny), 0.0);
    const std::string huge = "1" + std::string(400, '0');
    EXPECT_EQ(text_to_double(huge), HUGE_VAL);
}

TEST(text_to_number, stays_inside_a_view_without_terminator)
{
    // Exactly sized heap buffers: the sanitized run reports any read past them.
    const auto buffer = std::make_unique<char[]>(5);
    std::memcpy(buffer.get(), "1.5e3", 5);
    EXPECT_EQ(text_to_double(std::string_view(buffer.get(), 4)), 1.5);
    EXPECT_EQ(text_to_double(std::string_view(buffer.get(), 5)), 1500.0);
    EXPECT_EQ(text_to_long(std::string_view(buffer.get(), 1)), 1);
}

}  // namespace
}  // namespace vortel
