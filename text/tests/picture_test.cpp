#include "text/picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/settings.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

using picture = testing_support::with_default_settings;

struct format_row {
    std::string raw;
    std::string picture;
    std::string shown;
};

void expect_formats(const std::vector<format_row>& rows)
{
    for (const format_row& r : rows) {
        std::string raw = r.raw;
        EXPECT_EQ(picture_format(raw, r.picture), r.shown) << '"' << r.raw << "\" with \"" << r.picture << '"';
    }
}

TEST_F(picture, dates_follow_the_date_format)
{
    struct row {
        std::string raw;
        std::string date_format;
        std::string shown;
    };
    const row rows[] = {
        {"19991231", "YYYY.MM.DD", "1999.12.31"},
        {"19991231", "DD.MM.YYYY", "31.12.1999"},
        {"19991231", "YY.MM.DD", "19.12.31"},
        {"19991231", "yyyy.MM.DD", "yyyy.12.31"},  // only capitals are placeholders
        {"", "YYYY.MM.DD", ""},
        // A partly typed date shows the separators its digits have reached.
        {"1999", "YYYY.MM.DD", "1999"},
        {"19991", "YYYY.MM.DD", "1999.1"},
        {"199912", "YYYY.MM.DD", "1999.12"},
        {"1999123", "YYYY.MM.DD", "1999.12.3"},
        {"1999123145", "YYYY.MM.DD", "1999.12.31"},
        // Digits the value does not have yet show as blanks.
        {"1999", "DD.MM.YYYY", "  . "},
        {"19991231", "YYYYY-MM-DD", "1999 -12-3"},
    };
    for (const row& r : rows) {
        setting_by_index(SET_DATEFORMAT, r.date_format);
        std::string raw = r.raw;
        EXPECT_EQ(picture_format(raw, "@D"), r.shown) << '"' << r.raw << "\" as " << r.date_format;
    }
}

TEST_F(picture, numbers_through_a_template)
{
    expect_formats({
        {"1234", "@N 9,999", "1,234"},
        {"123", "@N 9,999", "  123"},
        {"1234567", "@N 9,999,999", "1,234,567"},
        {"-123", "@N 99,999", "  -123"},  // the sign takes the place of the separator
        {"-5", "@N 9,9", " -5"},
        {"-5", "@N 999", " -5"},
        {"123456", "@N 999", "456"},  // too wide: the low-order digits stay
        {"-123", "@N 999", "123"},
        {"12.9", "@N 999", " 12"},    // decimals are cut, not rounded
        {"12", "@N 999.99", " 12.00"},
        {"12.567", "@N 999.99", " 12.57"},
        {"-12", "@N 999.99", "-12.00"},
        {"-12.567", "@N 999.99", "-12.57"},
        {"-123", "@N 9,999.99", " -123.00"},
        {"-1234", "@N 99,999.99", "-1,234.00"},
        {"123.456", "@N 99.99", "23.46"},
        {"0.5", "@N 9.99", "0.50"},
        {".5", "@N 99.9", " 0.5"},
        {"12.6", "@N 999.", " 13."},
        {"7", "@N $ 999", "    7"},  // literals show only where digits reach
        {"", "@N 999.99", "   .00"},
        {"", "@N 999", "   "},
        {"1234", "@N ", ""},
        // A non-digit inside the value: blank there, and with decimals shown
        // blank everything left of it too.
        {"1-234", "@N 9,9,999", "1, ,234"},
        {"1-234", "@N 9,9,999.9", "   ,234.0"},
        {"1234", "@N", "1234"},  // no blank: not a number template
    });
}

TEST_F(picture, number_template_rewrites_the_callers_value_when_rounding)
{
    std::string raw = "12.567";
    EXPECT_EQ(picture_format(raw, "@N 999.99"), " 12.57");
    EXPECT_EQ(raw, "12.57");

    raw = "12";
    picture_format(raw, "@N 999.99");
    EXPECT_EQ(raw, "12");  // nothing to round without a decimal point

    raw = "12.567";
    picture_format(raw, "@N 999");
    EXPECT_EQ(raw, "12.567");
}

TEST_F(picture, number_template_with_a_decimal_comma)
{
    setting_by_index(SET_TIZEDESJEL, ",");
    std::string raw = "12,567";
    EXPECT_EQ(picture_format(raw, "@N 999,99"), " 12,57");
    EXPECT_EQ(raw, "12,57");
    expect_formats({
        {"1234", "@N 9.999,99", "1.234,00"},
        {"-1234,5", "@N 9.999,99", "1.234,50"},
        {"-123,5", "@N 9.999,99", " -123,50"},
    });
}

TEST_F(picture, logicals)
{
    expect_formats({
        {"TRUE", "@L", "I"},
        {"t", "@L", "N"},
        {"Y", "@L", "N"},
        {"", "@L", "N"},
    });
}

TEST_F(picture, strings_by_width_and_template)
{
    expect_formats({
        {"abcdefg", "@S5", "abcde"},
        {"ab", "@S5", "ab   "},
        {"abc", "@S", ""},
        {"ab", "@S5 ", "ab   "},
        {"123456789", "@S10 99-99", "12-3456789"},
        {"ab", "@S4 XXXX", "ab"},       // not padded for unused template positions
        {"a", "@S10 XX", "a        "},  // padding counts on from the template's length
        {"12ab", "@S4 AAAA", "..ab"},
        {"1-x ", "@S4 ####", "1-. "},
        {"1-x ", "@S4 9999", "1-  "},
        {std::string("a1_\xE1\xC1") + "~", "@S6 NNNNNN", "a1.\xE1\xC1."},
        {"TFt", "@S3 LLL", "INN"},
        {"ab", "@S3 ,X.X", ",a.b"},
        {"\xE1rv\xEDz", "@S5 !!!XX", "\xC1RV\xEDz"},
    });
}

TEST_F(picture, string_function_upper_cases_the_callers_value)
{
    std::string raw = "\xE1rv\xEDz";
    EXPECT_EQ(picture_format(raw, "@S10! XXXX"), "\xC1RV\xCDZ     ");
    EXPECT_EQ(raw, "\xC1RV\xCDZ");

    raw = "abcd";
    EXPECT_EQ(picture_format(raw, "@S3!"), "ABC");
    EXPECT_EQ(raw, "ABCD");

    raw = "abcd";
    picture_format(raw, "@S3 !!!");  // a template "!" changes only the shown text
    EXPECT_EQ(raw, "abcd");
}

TEST_F(picture, string_width_is_bounded)
{
    std::string raw = "ab";
    EXPECT_EQ(picture_format(raw, "@S99999999999999999999999").size(), 255u);
}

TEST_F(picture, other_pictures_show_the_value_unchanged)
{
    expect_formats({
        {"T", "L", "T"},
        {"abc", "", "abc"},
        {"19991231", "@d", "19991231"},
        {"abc", "S5", "abc"},
    });
}

TEST_F(picture, strip_turns_shown_text_into_stored_text)
{
    struct row {
        std::string edited;
        std::string picture;
        std::string stored;
    };
    const row rows[] = {
        {"-1,234.50", "@N", "-1234.50"},
        {"12-3", "@N", "123"},
        {"--5", "@N", "-5"},
        {"1999.12.31.", "@D", "19991231"},
        {"1999.12.31.5", "@D", "19991231"},
        {"31/12/99", "@D", "311299"},
        {" a b ", "@S5", " a b "},
    };
    for (const row& r : rows) {
        EXPECT_EQ(picture_strip(r.edited, r.picture), r.stored) << '"' << r.edited << "\" with " << r.picture;
    }

    setting_by_index(SET_TIZEDESJEL, ",");
    EXPECT_EQ(picture_strip("-1.234,50", "@N"), "-1234,50");
}

}  // namespace
}  // namespace vortel
