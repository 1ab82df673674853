#include "text/text_to_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

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

}  // namespace
}  // namespace vortel
