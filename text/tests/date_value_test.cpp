#include "text/date_names.h"
#include "text/date_value.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/clock.h"

namespace vortel {
namespace {

constexpr std::uint32_t first_day = 1721426;  // 1 January 1
constexpr std::uint32_t last_day = 5373484;   // 31 December 9999

std::string dash(date_value d) { return date_to_dash(d); }

// Every day of the calendar follows its predecessor, and every day from year
// 100 on (the two-digit rule hides years 1-99) is rebuilt from its parts.
TEST(date_value, every_day_round_trips)
{
    date_parts previous = date_split(date_value{first_day});
    ASSERT_EQ(previous.year * 10000 + previous.month * 100 + previous.day, 10101);
    for (std::uint32_t n = first_day + 1; n <= last_day; ++n) {
        const date_value date{n};
        const date_parts p = date_split(date);
        const bool next_day = p.year == previous.year && p.month == previous.month && p.day == previous.day + 1;
        const bool next_month = p.year == previous.year && p.month == previous.month + 1 && p.day == 1;
        const bool next_year = p.year == previous.year + 1 && p.month == 1 && p.day == 1 && previous.month == 12;
        ASSERT_TRUE(next_day || next_month || next_year) << "day number " << n;
        if (p.day == 1) {
            ASSERT_EQ(previous.day, date_days_in_month(date_value{n - 1})) << "day number " << n;
        }
        if (p.year >= 100) {
            ASSERT_EQ(date_from_ymd(p.year, p.month, p.day).day_number, n);
        }
        previous = p;
    }
}

TEST(date_value, construction_and_parsing_check_the_calendar_and_today_is_the_local_date)
{
    struct row {
        long y, m, d;
        const char* dbf;  // "" when invalid
        std::uint32_t day_number = 0;  // 0: not checked
        int weekday = 0;
    };
    const row rows[] = {
        {100, 3, 1, "01000301", 1757644, 1},   {1582, 10, 15, "15821015", 2299161, 5},
        {1900, 3, 1, "19000301", 2415080, 4},  {2000, 1, 1, "20000101", 2451545, 6},
        {2024, 2, 29, "20240229", 2460370, 4}, {9999, 12, 31, "99991231", last_day, 5},
        {2023, 2, 29, ""}, {2000, 2, 29, "20000229"}, {1900, 2, 29, ""}, {2024, 4, 31, ""}, {2024, 13, 1, ""},
        {99, 1, 1, "19990101"}, {0, 6, 1, "19000601"}, {100, 1, 1, "01000101"}, {-1, 1, 1, ""}, {10000, 1, 1, ""},
        {LONG_MAX, 1, 1, ""}, {-4294965296, 1, 1, ""},  // 2000 once truncated to 32 bits
        {4294969296, 1, 1, ""}, {2024, 1, -4294967295, ""},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.y) + '-' + std::to_string(r.m) + '-' + std::to_string(r.d));
        const date_value date = date_from_ymd(r.y, r.m, r.d);
        EXPECT_EQ(date_to_dbf(date), r.dbf);
        if (r.day_number != 0) {
            EXPECT_EQ(std::pair(date.day_number, date_day_of_week(date)), std::pair(r.day_number, r.weekday));
        }
    }
    EXPECT_EQ(dash(date_from_ymd(2024, 2, 29)), "2024-02-29");
    EXPECT_EQ(date_to_dot(date_from_ymd(2000, 1, 1)), "2000.01.01");
    EXPECT_EQ(date_to_dbf(date_value{first_day}), "00010101");

    // Typed and stored texts parse into dates; today is the local date.
    const std::pair<std::string, const char*> texts[] = {  // dash form, "" when invalid
        {"19991231", "1999-12-31"}, {"1999123", "1999-12-03"}, {"2024", ""}, {"", ""},
        {"990315", ""},  // the year takes four digits: 9903, month 15
        {"2024.12.31", "2024-12-31"}, {"2024-12-31", "2024-12-31"}, {"2024/12/31", "2024-12-31"},
        {"2024x12-31", "2024-12-31"}, {"2024.12.31extra", "2024-12-31"}, {"2024.13.01", ""},
        {"2024.12.3", ""},  // nine characters: read as YYYYMMDD
        {"2024. 1. 5", "2024-01-05"}, {"  24.01.05", "1924-01-05"}, {"0000.01.01", "1900-01-01"},
        {"+999.01.01", "0999-01-01"}, {"-001.01.01", ""}, {"2024.1a.01", ""},
        {std::string("19991231\0\0", 10), "1999-12-31"},  // zero-padded field
    };
    for (const auto& [text, expected] : texts) EXPECT_EQ(dash(date_parse(text)), expected) << '"' << text << '"';

    std::string text = "2024.12.31extra";
    EXPECT_EQ(dash(date_parse_in_place(text)), "2024-12-31");
    EXPECT_EQ(text, "2024.12.31") << "parsing in place cuts the caller's text";

    // Today is parsed from the local clock's date.
    const local_time before = local_time_now();
    const date_value today = date_today();
    const local_time after = local_time_now();
    ASSERT_TRUE(date_is_valid(today));
    EXPECT_TRUE(today == date_from_ymd(before.year, before.month, before.day) ||
                today == date_from_ymd(after.year, after.month, after.day));
}

TEST(date_value, calendar_queries_answer_zero_for_invalid_dates_and_arithmetic_stays_inside_the_calendar)
{
    const date_value leap_march = date_from_ymd(2024, 3, 1);
    const date_value common_march = date_from_ymd(2023, 3, 1);

    EXPECT_EQ(date_day_of_year(leap_march), 61);
    EXPECT_EQ(date_day_of_year(common_march), 60);
    EXPECT_EQ(date_day_of_year(date_from_ymd(2024, 12, 31)), 366);
    EXPECT_EQ(date_day_of_year(date_from_ymd(100, 1, 1)), 1);  // not counted from 1999
    EXPECT_EQ(date_day_of_year(date_value{first_day}), 1);

    EXPECT_EQ(date_days_in_month(date_from_ymd(2024, 2, 10)), 29);
    EXPECT_EQ(date_days_in_month(date_from_ymd(2023, 2, 10)), 28);
    EXPECT_EQ(date_days_in_year(leap_march), 366);
    EXPECT_EQ(date_days_in_year(common_march), 365);

    EXPECT_EQ(date_month_start(leap_march, 2), 32);
    EXPECT_EQ(date_month_start(leap_march, 3), 61);
    EXPECT_EQ(date_month_start(common_march, 3), 60);
    EXPECT_EQ(date_month_start(leap_march, 13), 0);

    for (int k = 0; k < 7; ++k) EXPECT_EQ(date_day_of_week(date_from_ymd(2024, 1, 1 + k)), k + 1);  // a Monday

    // Invalid dates answer zero; arithmetic stays inside the calendar.
    for (const date_value date : {date_value{}, date_value{first_day - 1}, date_value{last_day + 1}}) {
        EXPECT_FALSE(date_is_valid(date));
        EXPECT_EQ(date_year(date) + date_month(date) + date_day(date) + date_day_of_week(date) +
                      date_day_of_year(date) + date_days_in_month(date) + date_days_in_year(date),
                  0);
        EXPECT_EQ(date_to_dbf(date) + date_to_dash(date) + date_to_dot(date), "");
    }

    const date_value feb28 = date_from_ymd(2024, 2, 28);
    const date_value mar1 = date_from_ymd(2024, 3, 1);
    EXPECT_EQ(dash(date_next_day(feb28)), "2024-02-29");
    EXPECT_EQ(dash(date_previous_day(mar1)), "2024-02-29");
    EXPECT_EQ(date_add_days(feb28, 2), mar1);
    EXPECT_EQ(date_subtract_days(mar1, 2), feb28);
    EXPECT_EQ(date_days_between(feb28, mar1), -2);
    EXPECT_LT(feb28, mar1);

    const date_value last{last_day};
    const date_value first{first_day};
    EXPECT_FALSE(date_is_valid(date_next_day(last)));
    EXPECT_FALSE(date_is_valid(date_previous_day(first)));
    EXPECT_EQ(date_add_days(first, last_day - first_day), last);
    EXPECT_FALSE(date_is_valid(date_add_days(first, LONG_MAX)));
    EXPECT_FALSE(date_is_valid(date_add_days(last, LONG_MIN)));
    EXPECT_FALSE(date_is_valid(date_subtract_days(last, LONG_MIN)));
    EXPECT_FALSE(date_is_valid(date_add_days(date_value{}, 2451545)));
    EXPECT_FALSE(date_is_valid(date_next_day(date_value{})));
}

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
