// Calendar dates as Julian Day Numbers.
//
// A date_value is valid when its day number lies between 1 January 1 and
// 31 December 9999; every failed construction yields day number 0. Stored
// (DBF) dates are the eight digits YYYYMMDD.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vortel {

struct date_value {
    std::uint32_t day_number = 0;  // 2451545 is 1 January 2000; 0 means no date

    friend auto operator<=>(const date_value&, const date_value&) = default;
};

struct date_parts {
    long year = 0;
    long month = 0;
    long day = 0;
};

// Today in local time.
date_value date_today();

// Years 0-99 mean 1900-1999. Anything outside the calendar gives day number 0.
date_value date_from_ymd(long year, long month, long day);

// A text of 10 or more characters is read from its first 10 as year, month
// and day separated by whatever stands at positions 4 and 7 ("2024.12.31",
// "2024-12-31"); a shorter one as the stored form "YYYYMMDD". Each number
// takes at most its width (4, 2, 2) after leading blanks and may carry a
// sign; reading stops at the first mismatch and unread parts count as 0.
// A NUL ends the text.
date_value date_parse(std::string_view text);
// As date_parse, after cutting `text` itself to its first 10 characters.
date_value date_parse_in_place(std::string& text);

bool date_is_valid(date_value date);
// Whether the parts name a day of the calendar, the year as it stands
// (year 24 is no 1924).
bool is_calendar_date(const date_parts& date);
bool is_leap_year(long year);

// All zero for an invalid date.
date_parts date_split(date_value date);
long date_year(date_value date);
long date_month(date_value date);
long date_day(date_value date);

// 1 = Monday ... 7 = Sunday; 0 for an invalid date.
int date_day_of_week(date_value date);
// 1 for 1 January; 0 for an invalid date.
long date_day_of_year(date_value date);
// The following give 0 (false) for an invalid date.
int date_days_in_month(date_value date);
int date_days_in_year(date_value date);
bool date_is_leap_year(date_value date);
// Day of the date's year on which `month` (1-12) begins; 0 for another month.
int date_month_start(date_value date, int month);

// Days from b to a, negative when a is earlier.
long date_days_between(date_value a, date_value b);
// Arithmetic keeps an invalid date invalid and gives an invalid date when the
// result leaves the years 1-9999.
date_value date_add_days(date_value date, long days);
date_value date_subtract_days(date_value date, long days);
date_value date_next_day(date_value date);
date_value date_previous_day(date_value date);

// "YYYYMMDD"; empty for an invalid date.
std::string date_to_dbf(date_value date);
// "YYYY-MM-DD" and "YYYY.MM.DD"; empty for an invalid date.
std::string date_to_dash(date_value date);
std::string date_to_dot(date_value date);

}  // namespace vortel
