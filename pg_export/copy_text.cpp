#include "pg_export/copy_text.h"

#include <algorithm>

namespace vortel {
namespace {

// The value in a refusal, when it is plain ASCII a message can show as it
// is; otherwise the message speaks of "the value".
std::string shown_value(std::string_view value)
{
    const bool printable = !value.empty() && value.size() <= 40 &&
                           std::all_of(value.begin(), value.end(), [](char c) { return c >= ' ' && c <= '~'; });
    return printable ? std::string(value) : std::string("the value");
}

// Escapes the text appended to `line` from `start` on; false when it holds
// a zero byte, which no PostgreSQL text can hold.
bool escape_text_from(std::string& line, std::size_t start)
{
    static constexpr std::string_view special("\\\t\n\r\0", 5);
    std::size_t at = line.find_first_of(special, start);
    if (at == std::string::npos) return true;
    std::string escaped(line, at);
    line.resize(at);
    for (const char c : escaped) {
        switch (c) {
        case '\0': return false;
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += c; break;
        }
    }
    return true;
}

std::size_t replacement_characters(std::string_view text)
{
    static constexpr std::string_view replacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
    std::size_t count = 0;
    for (std::size_t at = text.find(replacement); at != std::string_view::npos;
         at = text.find(replacement, at + replacement.size())) {
        ++count;
    }
    return count;
}

void append_four_digits(std::string& line, long value)
{
    char digits[4];
    for (int i = 3; i >= 0; --i, value /= 10) digits[i] = static_cast<char>('0' + value % 10);
    line.append(digits, 4);
}

void append_two_digits(std::string& line, long value)
{
    line += static_cast<char>('0' + value / 10 % 10);
    line += static_cast<char>('0' + value % 10);
}

}  // namespace

std::string numeric_refusal(std::string_view spelling, const pg_column& column)
{
    const std::string_view stored = spelling;
    if (!spelling.empty() && (spelling.front() == '+' || spelling.front() == '-')) spelling.remove_prefix(1);
    const std::size_t point = spelling.find('.');
    std::string_view whole = spelling.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view{} : spelling.substr(point + 1);
    // Zeros in front of the number and behind its fraction change nothing.
    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    if (static_cast<int>(fraction.size()) > column.scale) {
        return shown_value(stored) + " has more decimals than the column's " + column_type_text(column) + " keeps";
    }
    if (static_cast<int>(whole.size()) > column.precision - column.scale) {
        return shown_value(stored) + " has more digits before the point than the column's " +
               column_type_text(column) + " holds";
    }
    return {};
}

std::string append_copy_value(std::string& line, const pg_column& column, const cell_value& cell,
                              const text_recoder& recoder)
{
    const bool is_text = column.kind == column_kind::varchar || column.kind == column_kind::text;
    if (cell.kind == cell_kind::empty) {
        line += is_text ? "" : "\\N";
        return {};
    }
    switch (column.kind) {
    case column_kind::numeric:
        if (cell.kind != cell_kind::number) return shown_value(cell.text) + " is not a number";
        if (std::string refusal = numeric_refusal(cell.text, column); !refusal.empty()) return refusal;
        line += cell.text;
        return {};
    case column_kind::date:
        if (cell.kind != cell_kind::date) return shown_value(cell.text) + " is not a date";
        append_four_digits(line, cell.date.year);
        line += '-';
        append_two_digits(line, cell.date.month);
        line += '-';
        append_two_digits(line, cell.date.day);
        return {};
    case column_kind::boolean:
        if (cell.kind != cell_kind::logical) return shown_value(cell.text) + " is not a logical value";
        line += cell.truth ? 't' : 'f';
        return {};
    case column_kind::varchar:
    case column_kind::text: {
        // Converted first: the escapes are ASCII, and UTF-8 never holds an
        // ASCII byte inside another character.
        const std::size_t start = line.size();
        recoder.append(line, cell.text);
        // The conversion writes U+FFFD for a byte the code page has no
        // character for; more of them than the stored bytes spell means
        // the text would arrive changed.
        if (replacement_characters(std::string_view(line).substr(start)) > replacement_characters(cell.text)) {
            return "the text holds a byte its code page has no character for";
        }
        if (!escape_text_from(line, start)) return "the text holds a zero byte, which PostgreSQL cannot store";
        return {};
    }
    }
    return {};
}

}  // namespace vortel
