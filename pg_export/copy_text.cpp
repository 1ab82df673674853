#include "pg_export/copy_text.h"

#include <algorithm>
#include <optional>

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

std::optional<decimal_extent> decimal_extent_of(std::string_view spelling)
{
    std::size_t at = 0;
    if (at < spelling.size() && (spelling[at] == '+' || spelling[at] == '-')) ++at;
    std::string digits;
    long point = -1;
    for (; at < spelling.size(); ++at) {
        if (spelling[at] >= '0' && spelling[at] <= '9') {
            digits += spelling[at];
        } else if (spelling[at] == '.' && point < 0) {
            point = static_cast<long>(digits.size());
        } else {
            break;
        }
    }
    if (digits.empty()) return std::nullopt;
    if (point < 0) point = static_cast<long>(digits.size());
    if (at < spelling.size() && (spelling[at] == 'e' || spelling[at] == 'E')) {
        ++at;
        const bool negative = at < spelling.size() && spelling[at] == '-';
        if (at < spelling.size() && (spelling[at] == '+' || spelling[at] == '-')) ++at;
        long exponent = 0;
        const std::size_t first = at;
        // Past a million the number is beyond any numeric anyway.
        for (; at < spelling.size() && spelling[at] >= '0' && spelling[at] <= '9'; ++at) {
            exponent = std::min(exponent * 10 + (spelling[at] - '0'), 1000000L);
        }
        if (at == first) return std::nullopt;
        point += negative ? -exponent : exponent;
    }
    if (at != spelling.size()) return std::nullopt;
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return decimal_extent{};  // zero
    const long last = static_cast<long>(digits.find_last_not_of('0'));
    return decimal_extent{std::max(0L, point - static_cast<long>(first)), std::max(0L, last + 1 - point)};
}

std::string numeric_refusal(std::string_view spelling, const pg_column& column)
{
    const std::optional<decimal_extent> extent = decimal_extent_of(spelling);
    if (!extent) return shown_value(spelling) + " is not a number";
    if (column.precision == 0) {
        if (extent->whole <= numeric_whole_digits_max && extent->fraction <= numeric_fraction_digits_max) return {};
        return shown_value(spelling) + " has more digits than a PostgreSQL numeric holds";
    }
    if (extent->fraction > column.scale) {
        return shown_value(spelling) + " has more decimals than the column's " + column_type_text(column) + " keeps";
    }
    if (extent->whole > column.precision - column.scale) {
        return shown_value(spelling) + " has more digits before the point than the column's " +
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
        // Writers fill a number field with asterisks when it has no value
        // (or one too wide to show): there is no number to keep.
        if (cell.text.find_first_not_of('*') == std::string_view::npos) {
            line += "\\N";
            return {};
        }
        // A text may still spell a number with an exponent, which
        // PostgreSQL reads exactly as written.
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
