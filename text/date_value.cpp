#include "text/date_value.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdio>

#include "platform/clock.h"

namespace vortel {
namespace {

constexpr std::array<int, 13> days_per_month{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr std::array<int, 13> month_first_day{0, 1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};

// The 32-bit arithmetic below is exact only inside these years; outside them
// it would wrap into a day number that looks valid.
constexpr long first_year = 1;
constexpr long last_year = 9999;

// Day number of a checked date, without the two-digit year rule.
constexpr std::uint32_t day_number_of(std::uint32_t y, std::uint32_t m, std::uint32_t d)
{
    if (m > 2) {
        m -= 3;
    } else {
        m += 9;
        y -= 1;
    }
    const std::uint32_t c = y / 100;
    const std::uint32_t a = y - 100 * c;
    return (153 * m + 2) / 5 + (146097 * c) / 4 + (1461 * a) / 4 + d + 1721119;
}

constexpr std::uint32_t first_day_number = day_number_of(first_year, 1, 1);
constexpr std::uint32_t last_day_number = day_number_of(last_year, 12, 31);

int month_length(long year, long month)
{
    return days_per_month[static_cast<std::size_t>(month)] + (month == 2 && is_leap_year(year) ? 1 : 0);
}

date_value checked_date(long year, long month, long day)
{
    if (year < first_year || year > last_year || month < 1 || month > 12) return {};
    if (day < 1 || day > month_length(year, month)) return {};
    return {day_number_of(static_cast<std::uint32_t>(year), static_cast<std::uint32_t>(month),
                          static_cast<std::uint32_t>(day))};
}

// The reading rules of the date texts: blanks before a number are skipped, a
// number may carry a sign and takes at most `width` characters including it,
// a separator must match exactly, and the first mismatch stops all reading.
class date_scanner {
public:
    explicit date_scanner(std::string_view text) : text_(text) {}

    void number(int width, long& out)
    {
        if (stopped_) return;
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
        const std::size_t end = std::min(text_.size(), pos_ + static_cast<std::size_t>(width));
        std::size_t i = pos_;
        bool negative = false;
        if (i < end && (text_[i] == '+' || text_[i] == '-')) negative = text_[i++] == '-';
        long value = 0;
        const std::size_t digits_start = i;
        for (; i < end && text_[i] >= '0' && text_[i] <= '9'; ++i) value = value * 10 + (text_[i] - '0');
        if (i == digits_start) {
            stopped_ = true;
            return;
        }
        out = negative ? -value : value;
        pos_ = i;
    }

    void separator(char expected)
    {
        if (stopped_) return;
        if (pos_ < text_.size() && text_[pos_] == expected) {
            ++pos_;
        } else {
            stopped_ = true;
        }
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    bool stopped_ = false;
};

std::string format_date(date_value date, const char* separator)
{
    if (!date_is_valid(date)) return {};
    const date_parts p = date_split(date);
    char text[32];
    std::snprintf(text, sizeof text, "%04ld%s%02ld%s%02ld", p.year, separator, p.month, separator, p.day);
    return text;
}

}  // namespace

bool is_leap_year(long year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

date_value date_today()
{
    const local_time now = local_time_now();
    return date_from_ymd(now.year, now.month, now.day);
}

date_value date_from_ymd(long year, long month, long day)
{
    if (year >= 0 && year <= 99) year += 1900;
    return checked_date(year, month, day);
}

date_value date_parse(std::string_view text)
{
    // A NUL ends a text, as it does in a record buffer padded with zeros.
    text = text.substr(0, text.find('\0'));
    const bool separated = text.size() >= 10;
    if (separated) text = text.substr(0, 10);
    long year = 0;
    long month = 0;
    long day = 0;
    date_scanner scan(text);
    if (separated) {
        scan.number(4, year);
        scan.separator(text[4]);
        scan.number(2, month);
        scan.separator(text[7]);
        scan.number(2, day);
    } else {
        scan.number(4, year);
        scan.number(2, month);
        scan.number(2, day);
    }
    return date_from_ymd(year, month, day);
}

date_value date_parse_in_place(std::string& text)
{
    if (text.size() > 10) text.resize(10);
    return date_parse(text);
}

bool date_is_valid(date_value date)
{
    return date.day_number >= first_day_number && date.day_number <= last_day_number;
}

date_parts date_split(date_value date)
{
    // Outside the valid range 4j - 1 would wrap; inside it every step fits.
    if (!date_is_valid(date)) return {};
    const std::uint32_t j = date.day_number - 1721119;
    const std::uint32_t c = (4 * j - 1) / 146097;
    const std::uint32_t t = (4 * j - 1 - 146097 * c) / 4;
    const std::uint32_t a = (4 * t + 3) / 1461;
    const std::uint32_t u = (4 * t + 3 - 1461 * a + 4) / 4;
    std::uint32_t m = (5 * u - 3) / 153;
    const std::uint32_t d = (5 * u - 3 - 153 * m + 5) / 5;
    std::uint32_t y = 100 * c + a;
    if (m < 10) {
        m += 3;
    } else {
        m -= 9;
        y += 1;
    }
    return {static_cast<long>(y), static_cast<long>(m), static_cast<long>(d)};
}

long date_year(date_value date) { return date_split(date).year; }
long date_month(date_value date) { return date_split(date).month; }
long date_day(date_value date) { return date_split(date).day; }

int date_day_of_week(date_value date)
{
    if (!date_is_valid(date)) return 0;
    return static_cast<int>(((date.day_number + 1) % 7 + 6) % 7 + 1);
}

long date_day_of_year(date_value date)
{
    if (!date_is_valid(date)) return 0;
    // Computed without the two-digit rule: 31 December of year 99 is not 1999.
    const auto previous_year = static_cast<std::uint32_t>(date_year(date) - 1);
    return static_cast<long>(date.day_number - day_number_of(previous_year, 12, 31));
}

int date_days_in_month(date_value date)
{
    const date_parts p = date_split(date);
    return date_is_valid(date) ? month_length(p.year, p.month) : 0;
}

int date_days_in_year(date_value date)
{
    if (!date_is_valid(date)) return 0;
    return date_is_leap_year(date) ? 366 : 365;
}

bool date_is_leap_year(date_value date)
{
    return date_is_valid(date) && is_leap_year(date_year(date));
}

int date_month_start(date_value date, int month)
{
    if (month < 1 || month > 12) return 0;
    return month_first_day[static_cast<std::size_t>(month)] + (month > 2 && date_is_leap_year(date) ? 1 : 0);
}

long date_days_between(date_value a, date_value b)
{
    return static_cast<long>(a.day_number) - static_cast<long>(b.day_number);
}

date_value date_add_days(date_value date, long days)
{
    if (!date_is_valid(date)) return {};
    // Compared before adding, so that no sum can overflow.
    if (days > static_cast<long>(last_day_number - date.day_number)) return {};
    if (days < -static_cast<long>(date.day_number - first_day_number)) return {};
    return {static_cast<std::uint32_t>(static_cast<long>(date.day_number) + days)};
}

date_value date_subtract_days(date_value date, long days)
{
    if (days == LONG_MIN) return {};
    return date_add_days(date, -days);
}

date_value date_next_day(date_value date) { return date_add_days(date, 1); }
date_value date_previous_day(date_value date) { return date_add_days(date, -1); }

std::string date_to_dbf(date_value date) { return format_date(date, ""); }
std::string date_to_dash(date_value date) { return format_date(date, "-"); }
std::string date_to_dot(date_value date) { return format_date(date, "."); }

bool is_calendar_date(const date_parts& date)
{
    static constexpr int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1) return false;
    const long days = month_days[date.month - 1] + (date.month == 2 && is_leap_year(date.year) ? 1 : 0);
    return date.day <= days;
}

}  // namespace vortel
