#include "text/text_case.h"
#include "text/text_ops.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "runtime/settings.h"
#include "testing/scratch_dir.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

TEST(text_ops, trims_blanks_only_finds_positions_from_both_ends_tests_characters_and_files)
{
    struct row { const char* text; const char* left; const char* right; const char* both; };
    const row rows[] = {
        {"  ab c  ", "ab c  ", "  ab c", "ab c"}, {"   ", "", "", ""}, {"", "", "", ""},
        {"\tab\t", "\tab\t", "\tab\t", "\tab\t"}, {" \tx", "\tx", " \tx", "\tx"},
    };
    for (const row& r : rows) {
        EXPECT_EQ(trim_left(r.text), r.left) << '"' << r.text << '"';
        EXPECT_EQ(trim_right(r.text), r.right) << '"' << r.text << '"';
        std::string in_place = r.text;
        EXPECT_EQ(&trim_both(in_place), &in_place);
        EXPECT_EQ(in_place, r.both) << '"' << r.text << '"';
    }

    struct place { const char* needle; const char* haystack; long first, last; };
    const place places[] = {
        {"b", "abcb", 1, 3}, {"bc", "abcbc", 1, 3}, {"aa", "aaa", 0, 1},
        {"abcd", "abc", -1, -1},  // a needle running past the end never matches
        {"x", "", -1, -1}, {"", "abc", 0, 2}, {"", "", -1, -1}, {"\xE1", "\xE1rv\xE1", 0, 3},
    };
    for (const place& r : places) {
        EXPECT_EQ(text_position(r.needle, r.haystack), r.first) << r.needle << " in " << r.haystack;
        EXPECT_EQ(text_last_position(r.needle, r.haystack), r.last) << r.needle << " in " << r.haystack;
    }

    // Character tests, insertion, and files that exist.
    EXPECT_TRUE(is_blank("") && is_blank("   "));
    EXPECT_FALSE(is_blank(" \t "));
    EXPECT_TRUE(char_in_set('b', "abc"));
    EXPECT_FALSE(char_in_set('\0', "abc"));  // the end of a text is not one of its characters
    EXPECT_EQ(count_char("a,b,,c", ','), 3);

    std::string text = "ac";  // inserting shifts the rest right; past the end appends
    for (const auto& [at, c] : {std::pair{1, 'b'}, {0, '<'}, {4, '>'}, {99, '!'}}) insert_char(text, at, c);
    EXPECT_EQ(text, "<abc>!");

    const testing::scratch_dir folder;  // files are found, folders are not
    testing::write_file(folder.file("PEOPLE.DBF"), "x");
    EXPECT_TRUE(file_exists(folder.file("PEOPLE.DBF")));
    EXPECT_FALSE(file_exists(folder.path()) || file_exists(folder.file("MISSING.DBF")) || file_exists(""));
}

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
