#include "grid/key_filter.h"

#include "shell/settings.h"
#include "text/tests/default_settings.h"

#include <gtest/gtest.h>

namespace vortel {
namespace {

using key_filter_test = testing_support::with_default_settings;

edit_state all_selected(const std::string& text) { return {text, 0, static_cast<int>(text.size())}; }
edit_state caret_at(const std::string& text, int caret) { return {text, caret, caret}; }

TEST_F(key_filter_test, typing_lays_out_dates_stops_at_the_edit_length_and_characters_pass_by_picture_and_type)
{
    struct typed { char c; const char* text; int caret; };
    const typed steps[] = {{'2', "2", 1},          {'0', "20", 2},        {'0', "200", 3},
                           {'1', "2001", 4},       {'0', "2001.0", 6},    {'6', "2001.06", 7},
                           {'0', "2001.06.0", 9},  {'1', "2001.06.01", 10}};
    edit_state state = all_selected("2020.12.31");
    for (const typed& s : steps) {
        SCOPED_TRACE(s.text);
        EXPECT_TRUE(type_character(state, s.c, "@D", 'D', 10));
        EXPECT_EQ(state.text, s.text);
        EXPECT_EQ(state.selection_start, s.caret);
        EXPECT_EQ(state.selection_end, s.caret);
    }

    state = caret_at("", 0);
    for (const char c : std::string("abcdef")) type_character(state, c, "", 'C', 5);
    EXPECT_EQ(state.text, "abcde");

    EXPECT_TRUE(type_character(state, key_backspace, "", 'C', 5));
    EXPECT_EQ(state.text, "abcd");
    EXPECT_EQ(state.selection_start, 4);
    EXPECT_FALSE(type_character(state, key_carriage_return, "", 'C', 5));

    state = caret_at("2001.06.01", 10);
    EXPECT_TRUE(type_character(state, key_backspace, "@D", 'D', 10));
    EXPECT_EQ(state.text, "2001.06.0");

    state = all_selected("T");
    EXPECT_TRUE(type_character(state, 'f', "L", 'L', 1));
    EXPECT_EQ(state.text, "f");
    EXPECT_FALSE(type_character(state, 'T', "L", 'L', 1));

    setting_by_index(SET_TIZEDESJEL, ",");  // the decimal sign setting is typed in numbers
    EXPECT_EQ(filter_key(caret_at("12", 2), ',', "", 'N').verdict, key_verdict::accept);

    setting_by_index(SET_TIZEDESJEL, ".");  // the table below is read with the default sign
    struct filter_case {
        const char* name;
        edit_state state;
        char c;
        const char* picture;
        char type;
        key_verdict verdict;
    };
    const filter_case cases[] = {
        {"date_letter", caret_at("2001", 4), 'a', "@D", 'D', key_verdict::refuse},
        {"date_minus", caret_at("2001", 4), '-', "@D", 'D', key_verdict::refuse},
        {"date_backspace", caret_at("2001", 4), key_backspace, "@D", 'D', key_verdict::accept},
        {"date_arrow_codes_are_no_characters", caret_at("2001", 4), '%', "@D", 'D', key_verdict::refuse},
        {"logical_t", caret_at("", 0), 't', "L", 'L', key_verdict::accept},
        {"logical_F", all_selected("T"), 'F', "L", 'L', key_verdict::accept},
        {"logical_yes", caret_at("", 0), 'Y', "L", 'L', key_verdict::accept},
        {"logical_no", caret_at("", 0), 'n', "L", 'L', key_verdict::accept},
        {"logical_unknown", caret_at("", 0), '?', "L", 'L', key_verdict::accept},
        {"logical_other_letter", caret_at("", 0), 'x', "L", 'L', key_verdict::refuse},
        {"logical_apostrophe", caret_at("", 0), '\'', "L", 'L', key_verdict::refuse},
        {"logical_after_the_letter", caret_at("T", 1), 'T', "L", 'L', key_verdict::refuse},
        {"number_digit", caret_at("12", 2), '5', "", 'N', key_verdict::accept},
        {"number_point", caret_at("12", 2), '.', "", 'N', key_verdict::accept},
        {"number_comma", caret_at("12", 2), ',', "", 'N', key_verdict::accept},
        {"number_leading_minus", caret_at("12", 0), '-', "", 'N', key_verdict::accept},
        {"number_inner_minus", caret_at("12", 1), '-', "", 'N', key_verdict::refuse},
        {"number_letter", caret_at("12", 2), 'e', "", 'N', key_verdict::refuse},
        {"float_digit", caret_at("12", 2), '5', "", 'F', key_verdict::accept},
        {"float_letter", caret_at("12", 2), 'e', "", 'F', key_verdict::refuse},
        {"character_anything", caret_at("ab", 2), '%', "", 'C', key_verdict::accept},
        {"memo_anything", caret_at("", 0), 'x', "", 'M', key_verdict::accept},
    };
    for (const filter_case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(filter_key(c.state, c.c, c.picture, c.type).verdict, c.verdict);
    }
}

}  // namespace
}  // namespace vortel
