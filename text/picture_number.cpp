#include "text/picture_number.h"

#include <cstddef>

#include "text/number_text.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

// The number is laid out in a work line as long as the whole picture, the
// "@N " prefix included, from its right end leftwards; the prefix is dropped
// at the end. A walk that runs out of template positions therefore runs on
// over the prefix's literals, which is how values too wide for the template
// lose their leading digits (and their sign) without harm.

namespace vortel {
namespace {

constexpr std::size_t prefix_length = 3;  // "@N "
constexpr std::size_t rounding_width = 14;

// Rounds `raw` to `decimals` places. The stored-form text uses "."; the shown
// value uses `point`, so a value typed with a decimal comma rounds as expected.
std::string rounded(std::string_view raw, std::size_t decimals, char point)
{
    std::string number(raw);
    const std::size_t p = number.find(point);
    if (p != std::string::npos) number[p] = '.';
    std::string text = number_to_text(text_to_double(number), rounding_width, static_cast<int>(decimals));
    trim_both(text);
    const std::size_t q = text.find('.');
    if (q != std::string::npos) text[q] = point;
    return text;
}

}  // namespace

std::string format_number_template(std::string& raw, std::string_view picture, char point)
{
    const std::size_t length = picture.size();
    std::string line(length, ' ');
    const std::size_t template_point = picture.find(point, prefix_length);
    std::size_t value_point = raw.find(point);

    // Where the integer part's walk starts, and whether the first non-digit of
    // the value blanks everything left of it (only when decimals are shown).
    std::size_t start = length;
    bool blank_after_non_digit = false;
    if (template_point != std::string_view::npos) {
        const std::size_t decimals = length - template_point - 1;
        std::string_view value_decimals;
        if (value_point != std::string::npos) {
            raw = rounded(raw, decimals, point);
            value_point = raw.find(point);
            if (value_point != std::string::npos) value_decimals = std::string_view(raw).substr(value_point + 1);
        }
        line[template_point] = point;
        for (std::size_t k = 0; k < decimals; ++k) {
            line[template_point + 1 + k] = k < value_decimals.size() ? value_decimals[k] : '0';
        }
        start = template_point;
        blank_after_non_digit = true;
    }
    const std::string_view integer_part = std::string_view(raw).substr(0, value_point);

    // Walk leftwards from `start`: literals are copied without using a value
    // character, digit positions take the next value character from the right.
    std::size_t reached = start;  // leftmost position written
    std::size_t i = start;
    std::size_t j = integer_part.size();
    bool blanking = false;
    while (i > 0 && j > 0) {
        --i;
        const char slot = picture[i];
        if (is_digit(slot)) {
            const char c = integer_part[--j];
            if (!is_digit(c) && blank_after_non_digit) blanking = true;
            line[i] = blanking || !is_digit(c) ? ' ' : c;
        } else {
            line[i] = blanking ? ' ' : slot;
        }
        reached = i;
    }

    // The sign goes into the blank that the value's "-" left; a separator
    // standing right of that blank (no digits beyond it) is replaced instead.
    // Under a decimal comma the thousands separator is the point.
    if (reached < length) {
        const char separator = point == ',' ? '.' : ',';
        const bool negative = !raw.empty() && raw.front() == '-';
        if (line[reached] == ' ' && reached + 1 < length && line[reached + 1] == separator) {
            line[reached + 1] = negative ? '-' : ' ';
        } else if (negative) {
            line[reached] = '-';
        }
        for (std::size_t k = 0; k < reached; ++k) line[k] = ' ';
    }
    return line.substr(prefix_length);
}

}  // namespace vortel
