#include "text/picture.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/settings.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

using picture = testing_support::with_default_settings;

TEST_F(picture, values_show_through_their_picture_and_the_settings_and_strip_back)
{
    struct row {
        std::string raw, picture, shown;
        const char* date_format = "YYYY.MM.DD";
        const char* decimal_sign = ".";
    };
    const row rows[] = {
        // Dates follow the date format; only capitals are placeholders.
        {"19991231", "@D", "1999.12.31"}, {"19991231", "@D", "31.12.1999", "DD.MM.YYYY"},
        {"19991231", "@D", "19.12.31", "YY.MM.DD"}, {"19991231", "@D", "yyyy.12.31", "yyyy.MM.DD"},
        {"", "@D", ""},
        // A partly typed date shows the separators its digits have reached.
        {"1999", "@D", "1999"}, {"19991", "@D", "1999.1"}, {"199912", "@D", "1999.12"},
        {"1999123", "@D", "1999.12.3"}, {"1999123145", "@D", "1999.12.31"},
        // Digits the value does not have yet show as blanks.
        {"1999", "@D", "  . ", "DD.MM.YYYY"}, {"19991231", "@D", "1999 -12-3", "YYYYY-MM-DD"},
        // Numbers through a template.
        {"1234", "@N 9,999", "1,234"}, {"123", "@N 9,999", "  123"}, {"1234567", "@N 9,999,999", "1,234,567"},
        {"-123", "@N 99,999", "  -123"},  // the sign takes the place of the separator
        {"-5", "@N 9,9", " -5"}, {"-5", "@N 999", " -5"},
        {"123456", "@N 999", "456"},  // too wide: the low-order digits stay
        {"-123", "@N 999", "123"},
        {"12.9", "@N 999", " 12"},  // decimals are cut, not rounded
        {"12", "@N 999.99", " 12.00"}, {"12.567", "@N 999.99", " 12.57"}, {"-12", "@N 999.99", "-12.00"},
        {"-12.567", "@N 999.99", "-12.57"}, {"-123", "@N 9,999.99", " -123.00"},
        {"-1234", "@N 99,999.99", "-1,234.00"}, {"123.456", "@N 99.99", "23.46"}, {"0.5", "@N 9.99", "0.50"},
        {".5", "@N 99.9", " 0.5"}, {"12.6", "@N 999.", " 13."},
        {"7", "@N $ 999", "    7"},  // literals show only where digits reach
        {"", "@N 999.99", "   .00"}, {"", "@N 999", "   "}, {"1234", "@N ", ""},
        // A non-digit inside the value: blank there, and with decimals shown
        // blank everything left of it too.
        {"1-234", "@N 9,9,999", "1, ,234"}, {"1-234", "@N 9,9,999.9", "   ,234.0"},
        {"1234", "@N", "1234"},  // no blank: not a number template
        // With a decimal comma the point and the comma trade places.
        {"12,567", "@N 999,99", " 12,57", "YYYY.MM.DD", ","}, {"1234", "@N 9.999,99", "1.234,00", "YYYY.MM.DD", ","},
        {"-1234,5", "@N 9.999,99", "1.234,50", "YYYY.MM.DD", ","},
        {"-123,5", "@N 9.999,99", " -123,50", "YYYY.MM.DD", ","},
        // Logicals.
        {"TRUE", "@L", "I"}, {"t", "@L", "N"}, {"Y", "@L", "N"}, {"", "@L", "N"},
        // Strings by width and template.
        {"abcdefg", "@S5", "abcde"}, {"ab", "@S5", "ab   "}, {"abc", "@S", ""}, {"ab", "@S5 ", "ab   "},
        {"123456789", "@S10 99-99", "12-3456789"},
        {"ab", "@S4 XXXX", "ab"},       // not padded for unused template positions
        {"a", "@S10 XX", "a        "},  // padding counts on from the template's length
        {"12ab", "@S4 AAAA", "..ab"}, {"1-x ", "@S4 ####", "1-. "}, {"1-x ", "@S4 9999", "1-  "},
        {std::string("a1_\xE1\xC1") + "~", "@S6 NNNNNN", "a1.\xE1\xC1."}, {"TFt", "@S3 LLL", "INN"},
        {"ab", "@S3 ,X.X", ",a.b"}, {"\xE1rv\xEDz", "@S5 !!!XX", "\xC1RV\xEDz"},
        // Other pictures show the value unchanged.
        {"T", "L", "T"}, {"abc", "", "abc"}, {"19991231", "@d", "19991231"}, {"abc", "S5", "abc"},
    };
    for (const row& r : rows) {
        setting_by_index(SET_DATEFORMAT, r.date_format);
        setting_by_index(SET_TIZEDESJEL, r.decimal_sign);
        std::string raw = r.raw;
        EXPECT_EQ(picture_format(raw, r.picture), r.shown)
            << '"' << r.raw << "\" with \"" << r.picture << "\" as " << r.date_format << ' ' << r.decimal_sign;
    }
    std::string raw = "ab";
    EXPECT_EQ(picture_format(raw, "@S99999999999999999999999").size(), 255u) << "the width is bounded";

    // Rounding by a number template and the "!" function rewrite the caller's
    // value; a template "!" changes only the shown text.
    struct rewrite { std::string raw, picture, shown, raw_after; const char* decimal_sign = "."; };
    const rewrite rewrites[] = {
        {"12.567", "@N 999.99", " 12.57", "12.57"},
        {"12", "@N 999.99", " 12.00", "12"},  // nothing to round without a decimal point
        {"12.567", "@N 999", " 12", "12.567"}, {"12,567", "@N 999,99", " 12,57", "12,57", ","},
        {"\xE1rv\xEDz", "@S10! XXXX", "\xC1RV\xCDZ     ", "\xC1RV\xCDZ"}, {"abcd", "@S3!", "ABC", "ABCD"},
        {"abcd", "@S3 !!!", "ABC", "abcd"},
    };
    for (const rewrite& r : rewrites) {
        setting_by_index(SET_TIZEDESJEL, r.decimal_sign);
        std::string rewritten = r.raw;
        EXPECT_EQ(picture_format(rewritten, r.picture), r.shown) << '"' << r.raw << "\" with \"" << r.picture << '"';
        EXPECT_EQ(rewritten, r.raw_after) << '"' << r.raw << "\" with \"" << r.picture << '"';
    }

    // Stripping turns shown text back into stored text.
    struct strip_row { std::string edited, picture, stored; const char* decimal_sign = "."; };
    const strip_row strip_rows[] = {
        {"-1,234.50", "@N", "-1234.50"}, {"12-3", "@N", "123"}, {"--5", "@N", "-5"},
        {"1999.12.31.", "@D", "19991231"}, {"1999.12.31.5", "@D", "19991231"}, {"31/12/99", "@D", "311299"},
        {" a b ", "@S5", " a b "}, {"-1.234,50", "@N", "-1234,50", ","},
    };
    for (const strip_row& r : strip_rows) {
        setting_by_index(SET_TIZEDESJEL, r.decimal_sign);
        EXPECT_EQ(picture_strip(r.edited, r.picture), r.stored) << '"' << r.edited << "\" with " << r.picture;
    }
}

}  // namespace
}  // namespace vortel
