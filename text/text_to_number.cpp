#include "text/text_to_number.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>

namespace vortel {
namespace {

bool is_digit_at(std::string_view text, std::size_t i)
{
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

std::size_t skip_blanks(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return i;
}

// Position of the leading significant digit relative to the point, shifted by
// the exponent: above 0 the number is at least 1. Decides whether a number out
// of double's range overflowed or underflowed.
long decimal_magnitude(std::string_view number)
{
    const std::size_t e = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, e);
    const long exponent = e == std::string_view::npos ? 0 : text_to_long(number.substr(e + 1));
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t lead = mantissa.find_first_of("123456789");
    if (lead == std::string_view::npos) return LONG_MIN;
    const long position = lead < point ? static_cast<long>(point - lead) : -static_cast<long>(lead - point - 1);
    if (exponent > 0 && position > LONG_MAX - exponent) return LONG_MAX;
    if (exponent < 0 && position < LONG_MIN - exponent) return LONG_MIN;
    return position + exponent;
}

}  // namespace

long text_to_long(std::string_view text)
{
    std::size_t i = skip_blanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // Accumulate towards the sign so that LONG_MIN itself is reachable.
    long value = 0;
    for (; is_digit_at(text, i); ++i) {
        const int digit = text[i] - '0';
        if (negative) {
            if (value < (LONG_MIN + digit) / 10) return LONG_MIN;
            value = value * 10 - digit;
        } else {
            if (value > (LONG_MAX - digit) / 10) return LONG_MAX;
            value = value * 10 + digit;
        }
    }
    return value;
}

double text_to_double(std::string_view text)
{
    std::size_t i = skip_blanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // Measure the number ourselves: from_chars would also accept "inf", "nan"
    // and hexadecimal forms, which are not numbers in a table.
    const std::size_t start = i;
    std::size_t digits = 0;
    for (; is_digit_at(text, i); ++i) ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; is_digit_at(text, i); ++i) ++digits;
    }
    if (digits == 0) return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        if (is_digit_at(text, e)) {
            while (is_digit_at(text, e)) ++e;
            i = e;
        }
    }

    double value = 0.0;
    const char* first = text.data() + start;
    if (std::from_chars(first, text.data() + i, value, std::chars_format::general).ec ==
        std::errc::result_out_of_range) {
        value = decimal_magnitude(text.substr(start, i - start)) > 0 ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace vortel
