#include "engine/export_cells.h"

#include "engine/field_copy.h"

#include <algorithm>

namespace vortel {
namespace {

std::string_view trimmed(std::string_view text)
{
    std::size_t first = 0;
    std::size_t end = text.size();
    while (first < end && text[first] == ' ') ++first;
    while (end > first && text[end - 1] == ' ') --end;
    return text.substr(first, end - first);
}

bool is_digit_char(char c) { return c >= '0' && c <= '9'; }

// Sign, digits, at most one point, and at least one digit.
bool spells_number(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (is_digit_char(text[i])) {
            ++digits;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}

bool is_calendar_date(const date_parts& date)
{
    static constexpr int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1) return false;
    const long days = month_days[date.month - 1] + (date.month == 2 && is_leap_year(date.year) ? 1 : 0);
    return date.day <= days;
}

cell_value text_cell(std::string_view text)
{
    return {text.empty() ? cell_kind::empty : cell_kind::text, text, {}, false};
}

}  // namespace

bool read_cell(table_object& table, const field_information& field, const std::uint8_t* bytes,
               std::string& memo, cell_value& cell)
{
    const std::string_view stored = stored_text(bytes, static_cast<std::size_t>(field.length));
    // Texts keep their leading blanks; a memo field holds a block number.
    const bool typed_value = field.type == 'N' || field.type == 'F' || field.type == 'D' || field.type == 'L';
    const std::string_view value = typed_value ? trimmed(stored) : std::string_view{};
    switch (field.type) {
    case 'N':
    case 'F':
        cell = spells_number(value) ? cell_value{cell_kind::number, value, {}, false} : text_cell(value);
        return true;
    case 'D': {
        if (value.empty() || value == "00000000") {
            cell = {};
            return true;
        }
        // The eight digits are read as they stand: a year is never widened
        // into another century, as the grid shows it.
        date_parts date;
        if (value.size() == 8 && std::all_of(value.begin(), value.end(), is_digit_char)) {
            const auto number = [&value](std::size_t from, std::size_t count) {
                long n = 0;
                for (std::size_t i = from; i < from + count; ++i) n = n * 10 + (value[i] - '0');
                return n;
            };
            date = {number(0, 4), number(4, 2), number(6, 2)};
        }
        cell = is_calendar_date(date) ? cell_value{cell_kind::date, value, date, false} : text_cell(value);
        return true;
    }
    case 'L':
        if (value.size() == 1 && std::string_view("TtYyFfNn").find(value[0]) != std::string_view::npos) {
            cell = {cell_kind::logical, value, {}, std::string_view("TtYy").find(value[0]) != std::string_view::npos};
        } else {
            cell = value == "?" ? cell_value{} : text_cell(value);
        }
        return true;
    case 'M':
        if (!memo_read_whole(table, stored, memo)) return false;
        cell = text_cell(memo);
        return true;
    default: {
        std::size_t end = stored.size();
        while (end > 0 && stored[end - 1] == ' ') --end;
        cell = text_cell(stored.substr(0, end));
        return true;
    }
    }
}

std::string json_number_text(std::string_view spelling)
{
    std::string number;
    std::size_t i = 0;
    if (spelling[i] == '+' || spelling[i] == '-') {
        if (spelling[i] == '-') number += '-';
        ++i;
    }
    const std::size_t point = spelling.find('.', i);
    std::string_view whole = spelling.substr(i, point == std::string_view::npos ? std::string_view::npos : point - i);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : spelling.substr(point + 1);
    while (whole.size() > 1 && whole[0] == '0') whole.remove_prefix(1);
    number += whole.empty() ? std::string_view("0") : whole;
    if (!fraction.empty()) {
        number += '.';
        number += fraction;
    }
    return number;
}

std::string iso_date_text(const date_parts& date)
{
    std::string text = "0000-00-00";
    const auto put = [&text](std::size_t end, std::size_t width, long value) {
        for (std::size_t i = 1; i <= width; ++i, value /= 10) text[end - i] = static_cast<char>('0' + value % 10);
    };
    put(4, 4, date.year);
    put(7, 2, date.month);
    put(10, 2, date.day);
    return text;
}

int significant_digits(std::string_view spelling)
{
    int count = 0;
    for (const char c : spelling) {
        if (c == '0' && count == 0) continue;
        if (is_digit_char(c)) ++count;
    }
    return count;
}

}  // namespace vortel
