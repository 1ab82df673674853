#include "text/date_names.h"

#include <gtest/gtest.h>

#include <string>

namespace vortel {
namespace {

TEST(date_names, names_by_number_and_numbers_by_name)
{
    EXPECT_EQ(month_name(1), "Janu\xE1r");
    EXPECT_EQ(month_name(10), "Oct\xF3" "ber");
    EXPECT_EQ(day_name(1), "H\xE9tf\xF5");
    EXPECT_EQ(day_name(7), "Vas\xE1rnap");
    for (long outside : {0L, 13L, -1L, 4294967297L}) EXPECT_EQ(month_name(outside), "") << outside;
    for (long outside : {0L, 8L}) EXPECT_EQ(day_name(outside), "") << outside;

    EXPECT_EQ(date_day_name(date_from_ymd(2000, 1, 1)), "Szombat");
    EXPECT_EQ(date_month_name(date_from_ymd(2000, 12, 1)), "December");
    EXPECT_EQ(date_day_name(date_value{}), "");

    struct row { std::string text; int month, weekday; };
    const row rows[] = {
        {"jan", 1, 0}, {"J\xDAN", 6, 0}, {"m\xC1rcius", 3, 0}, {"szer", 0, 3}, {"CS\xDCT", 0, 4},
        {"J\xDA", 7, 0},      // "JÚ": the later of JÚNIUS and JÚLIUS
        {"j\xFAn", 0, 0},     // "jún": accented letters compare exactly
        {"", 12, 7},          // an empty text matches the last entry
        {"OCT", 0, 0},        // the parsing list spells OKTÓBER
        {"DECEMBERX", 0, 0},  // longer than every name
        {"SZ", 9, 6},         // SZEPTEMBER; SZOMBAT after SZERDA
        {std::string("KEDD\0X", 6), 0, 2},  // a NUL ends the text
    };
    for (const row& r : rows) {
        EXPECT_EQ(month_from_name(r.text), r.month) << '"' << r.text << '"';
        EXPECT_EQ(weekday_from_name(r.text), r.weekday) << '"' << r.text << '"';
    }
}

}  // namespace
}  // namespace vortel
