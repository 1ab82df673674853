#include "text/text_ops.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/scratch_dir.h"

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

}  // namespace
}  // namespace vortel
