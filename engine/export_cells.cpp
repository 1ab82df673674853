#include "engine/export_cells.h"

#include "engine/field_copy.h"
#include "engine/field_decode.h"

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

cell_value text_cell(std::string_view text)
{
    return {text.empty() ? cell_kind::empty : cell_kind::text, text, {}, false};
}

}  // namespace

// The plain field type a shown value is read as: binary numbers are
// numbers, a binary date a date (shown as its eight digits), a binary memo
// reference the memo; every other shown text (timestamps, placeholders) is
// text.
char plain_type(char type)
{
    switch (type) {
    case 'I':
    case '+':
    case 'B':
    case 'O':
    case 'Y':
    case 'N':
    case 'F': return 'N';
    case 'D':
    case 'L':
    case 'M': return type;
    default: return 'C';
    }
}

// The decimals of a shown number, as engine/field_decode.cpp writes them.
int shown_decimals(const table_dialect& dialect, const field_descriptor& field)
{
    switch (descriptor_type(field)) {
    case 'I':
    case '+': return dialect.family == table_family::dbase7 ? 0 : field.bytes[17];
    case 'B': return std::min<int>(field.bytes[17], 15);
    case 'Y': return 4;
    case 'O': return 0;
    default: return descriptor_decimals(field);
    }
}

// The value of a field of `type` whose text is `stored`.
bool read_value(table_object& table, char type, std::string_view stored, std::string& memo, cell_value& cell)
{
    // Texts keep their leading blanks; a memo field holds a block number.
    const bool typed_value = type == 'N' || type == 'F' || type == 'D' || type == 'L';
    const std::string_view value = typed_value ? trimmed(stored) : std::string_view{};
    switch (type) {
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

std::vector<export_field> export_fields(const table_object& table)
{
    std::vector<export_field> fields;
    for (int i = 0; i < field_count(table); ++i) {
        if (i == table.null_flags_field) continue;  // shown in the fields it covers
        export_field field{i, field_info(table, i), field_is_decoded(table, i)};
        if (field.shown) {
            const field_descriptor& descriptor = table.fields[static_cast<std::size_t>(i)];
            field.info.type = plain_type(field.info.type);
            field.info.length = static_cast<int>(shown_width(table.dialect, descriptor));
            field.info.decimals = shown_decimals(table.dialect, descriptor);
        }
        fields.push_back(std::move(field));
    }
    return fields;
}

bool read_cell(table_object& table, const field_information& field, const std::uint8_t* bytes,
               std::string& memo, cell_value& cell)
{
    return read_value(table, field.type, stored_text(bytes, static_cast<std::size_t>(field.length)), memo, cell);
}

bool read_shown_cell(table_object& table, const export_field& field, std::string& shown, std::string& memo,
                     cell_value& cell)
{
    shown = field_text(table, field.index);
    return read_value(table, field.info.type, shown, memo, cell);
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
