#include "text/text_case.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "shell/settings.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

using text_case = testing_support::with_default_settings;

TEST_F(text_case, upper_cases_by_the_letter_lists_and_knows_letters_and_digits)
{
    // "árvíztűrő tükörfúrógép" holds every accented lower-case letter.
    EXPECT_EQ(text_upper("\xE1rv\xEDzt\xFBr\xF5 t\xFCk\xF6rf\xFAr\xF3g\xE9p"),
              "\xC1RV\xCDZT\xDBR\xD5 T\xDCK\xD6RF\xDAR\xD3G\xC9P");
    // ß, ç, ä and ô are lower-case letters of Windows-1250 that are not listed.
    const std::string others = "\xDF\xE7\xE4\xF4 0123456789 !@#[]{}~ ABC \xC1\x80\xFF";
    EXPECT_EQ(text_upper(others), others);
    EXPECT_EQ(text_upper(std::string("a\0b", 3)), std::string("A\0B", 3));

    for (char c : std::string("azAZ09\xF6\xD6\xDB\xFB")) EXPECT_TRUE(is_letter_or_digit(c)) << int(c);
    for (char c : std::string(" -_.\xE4\xDF\x80", 7)) EXPECT_FALSE(is_letter_or_digit(c)) << int(c);
    EXPECT_FALSE(is_letter_or_digit('\0'));

    // The letter lists are read at every call; only their first nine pairs map.
    struct row { std::string lower, upper, text, expected; };
    const row rows[] = {
        // ä added as a tenth pair stays lower case.
        {"\xF6\xFC\xF3\xF5\xFA\xE9\xE1\xFB\xED\xE4", "\xD6\xDC\xD3\xD5\xDA\xC9\xC1\xDB\xCD\xC4",
         "\xE4\xED", "\xE4\xCD"},
        // A lower letter without a partner keeps its case.
        {"\xF6\xFC\xF3\xF5\xFA\xE9\xE1\xFB\xED", "\xD6\xDC", "\xF6\xFC\xF3", "\xD6\xDC\xF3"},
        {"\xE4", "\xC4", "\xF6\xE4", "\xF6\xC4"},
        // Listed ASCII characters are not letters to upper-case.
        {"1_", "!?", "1_a", "1_A"},
    };
    for (const row& r : rows) {
        setting_by_index(SET_HUN_LOWER, r.lower);
        setting_by_index(SET_HUN_UPPER, r.upper);
        EXPECT_EQ(text_upper(r.text), r.expected);
        for (std::size_t i = 0; i < r.text.size(); ++i) EXPECT_EQ(char_upper(r.text[i]), r.expected[i]);
    }
    setting_by_index(SET_HUN_LOWER, "\xF6\xFC\xF3\xF5\xFA\xE9\xE1\xFB\xED\xE4");
    EXPECT_TRUE(is_letter_or_digit('\xE4'));  // a tenth letter still counts as a letter
}

}  // namespace
}  // namespace vortel
