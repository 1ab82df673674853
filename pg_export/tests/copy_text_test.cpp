// Values as COPY's text format carries them, and the values a column would
// not keep exactly, which are refused instead of sent.
#include "pg_export/copy_text.h"

#include <gtest/gtest.h>

namespace vortel {
namespace {

cell_value text(std::string_view t) { return {cell_kind::text, t, {}, false}; }
cell_value number(std::string_view t) { return {cell_kind::number, t, {}, false}; }

struct copy_case {
    const char* name;
    pg_column column;
    cell_value cell;
    const char* line;     // what is appended, when taken
    const char* refusal;  // the start of the refusal, when refused
};

TEST(copy_text, each_value_is_written_whole_or_refused_with_the_reason)
{
    const pg_column numeric{"n", column_kind::numeric, 10, 2};
    const pg_column whole{"i", column_kind::numeric, 3, 0};
    const pg_column unbounded{"f", column_kind::numeric, 0, 0};
    const pg_column varchar{"c", column_kind::varchar, 20, 0};
    const pg_column text_column{"m", column_kind::text, 0, 0};
    const pg_column date{"d", column_kind::date, 0, 0};
    const pg_column logical{"l", column_kind::boolean, 0, 0};
    const copy_case cases[] = {
        {"blank number is NULL", numeric, {}, "\\N", ""},
        {"blank date is NULL", date, {}, "\\N", ""},
        {"unknown logical is NULL", logical, {}, "\\N", ""},
        {"blank text is empty", varchar, {}, "", ""},
        {"number as stored", numeric, number("-1234567.25"), "-1234567.25", ""},
        {"zeros around change nothing", whole, number("0007.000"), "0007.000", ""},
        {"19 digits stay", pg_column{"i", column_kind::numeric, 19, 0}, number("1234567890123456789"),
         "1234567890123456789", ""},
        {"a decimal too many", numeric, number("1.255"), "", "1.255 has more decimals than the column's numeric(10,2)"},
        {"a digit too many", whole, number("-1000"), "", "-1000 has more digits before the point"},
        {"letters in a number", numeric, text("12a"), "", "12a is not a number"},
        {"thousands separator", numeric, text("1,200.00"), "", "1,200.00 is not a number"},
        {"exponent that fits", numeric, text("1.2345E+02"), "1.2345E+02", ""},
        {"exponent past the decimals", numeric, text("1.3945052E+02"), "", "1.3945052E+02 has more decimals"},
        {"exponent past the digits", numeric, text("1e+008"), "", "1e+008 has more digits before the point"},
        {"zero with an exponent", numeric, text("0.00000000000e+000"), "0.00000000000e+000", ""},
        {"unbounded takes any decimals", unbounded, text("1.3945052E+02"), "1.3945052E+02", ""},
        {"unbounded takes small ones", unbounded, text("-5.5e-300"), "-5.5e-300", ""},
        {"unbounded has its limits", unbounded, text("1e+999999"), "", "1e+999999 has more digits than"},
        {"asterisks are no value", numeric, text("*****"), "\\N", ""},
        {"asterisks among digits are no number", numeric, text("12**"), "", "12** is not a number"},
        {"a lone exponent is no number", unbounded, text("1e"), "", "1e is not a number"},
        {"date", date, {cell_kind::date, "20240131", {2024, 1, 31}, false}, "2024-01-31", ""},
        {"early year", date, {cell_kind::date, "00990309", {99, 3, 9}, false}, "0099-03-09", ""},
        {"not a date", date, text("20241399"), "", "20241399 is not a date"},
        {"true", logical, {cell_kind::logical, "Y", {}, true}, "t", ""},
        {"false", logical, {cell_kind::logical, "n", {}, false}, "f", ""},
        {"not a logical", logical, text("X"), "", "X is not a logical value"},
        {"control characters escaped", text_column, text("a\\b\tc\r\nd\\N"), "a\\\\b\\tc\\r\\nd\\\\N", ""},
        {"the end mark cannot appear", text_column, text("\\."), "\\\\.", ""},
        {"code page 852 to UTF-8", varchar, text("\xA0rv\xA1zt\xFBr\x8B t\x81k\x94rf\xA3r\xA2g\x82p"),
         "\xC3\xA1rv\xC3\xADzt\xC5\xB1r\xC5\x91 t\xC3\xBCk\xC3\xB6rf\xC3\xBAr\xC3\xB3g\xC3\xA9p", ""},
        {"zero byte", text_column, text(std::string_view("a\0b", 3)), "", "the text holds a zero byte"},
    };
    const text_recoder recoder(code_page::cp852, true);
    for (const copy_case& c : cases) {
        std::string line = "x\t";
        const std::string refusal = append_copy_value(line, c.column, c.cell, recoder);
        if (*c.refusal == '\0') {
            EXPECT_EQ(refusal, "") << c.name;
            EXPECT_EQ(line, std::string("x\t") + c.line) << c.name;
        } else {
            EXPECT_TRUE(refusal.starts_with(c.refusal)) << c.name << ": " << refusal;
        }
    }
}

// A byte its code page has no character for would arrive as U+FFFD, a
// changed text; a U+FFFD the table itself holds is a character like any.
TEST(copy_text, a_byte_the_code_page_cannot_read_is_refused_not_replaced)
{
    const pg_column column{"m", column_kind::text, 0, 0};
    const struct {
        code_page page;
        std::string_view stored;
        bool taken;
    } cases[] = {
        {code_page::utf8, "ok \xEF\xBF\xBD kept", true},
        {code_page::utf8, "broken \xC3 here", false},
        {code_page::cp1250, "undefined \x81 byte", false},
        {code_page::cp1250, "\xEF\xBF\xBD is three letters", true},
    };
    for (const auto& c : cases) {
        std::string line;
        const std::string refusal = append_copy_value(line, column, text(c.stored), text_recoder(c.page, true));
        EXPECT_EQ(refusal.empty(), c.taken) << c.stored << ": " << refusal;
    }
}

}  // namespace
}  // namespace vortel
