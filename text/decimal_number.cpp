#include "text/decimal_number.h"

#include <cstddef>

namespace vortel {
namespace {

// Exponents are held to this size: a larger one only says "far too wide"
// or "rounds to zero", which this one says as well, and the shifted
// positions stay far from the ends of a 64-bit count.
constexpr std::int64_t exponent_limit = 1'000'000'000;

bool is_digit_at(std::string_view text, std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; }

// Adds one to a string of decimal digits ("" counts as 0).
void increment(std::string& digits)
{
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(0, 1, '1');
}

}  // namespace

std::optional<decimal_number> read_decimal(std::string_view text, number_spelling spelling)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    decimal_number number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.negative = text[i++] == '-';

    std::string digits;
    std::int64_t fraction_digits = 0;
    for (; is_digit_at(text, i); ++i) digits += text[i];
    if (i < text.size() && text[i] == '.') {
        for (++i; is_digit_at(text, i); ++i, ++fraction_digits) digits += text[i];
    }
    if (digits.empty()) return std::nullopt;

    std::int64_t exponent = 0;
    if (spelling == number_spelling::with_exponent && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative_exponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative_exponent = text[i++] == '-';
        if (!is_digit_at(text, i)) return std::nullopt;
        for (; is_digit_at(text, i); ++i) {
            if (exponent < exponent_limit) exponent = exponent * 10 + (text[i] - '0');
        }
        if (negative_exponent) exponent = -exponent;
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return std::nullopt;

    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return decimal_number{};  // zero has no sign
    number.digits = digits.substr(first);
    number.exponent = exponent - fraction_digits;
    return number;
}

std::optional<std::string> format_decimal(const decimal_number& number, int width, int decimals)
{
    if (decimals < 0) decimals = 0;
    // "0." and the decimals is the narrowest text with decimals.
    if (width < 1 || (decimals > 0 && decimals + 2 > width)) return std::nullopt;
    const auto room = static_cast<std::size_t>(width);

    // The value times 10^decimals, rounded to a whole number; "" for zero.
    std::string scaled;
    if (!number.digits.empty()) {
        const std::int64_t shift = number.exponent + decimals;
        const std::size_t count = number.digits.size();
        if (shift >= 0) {
            if (static_cast<std::uint64_t>(shift) > room || count + static_cast<std::size_t>(shift) > room) {
                return std::nullopt;
            }
            scaled = number.digits + std::string(static_cast<std::size_t>(shift), '0');
        } else if (static_cast<std::uint64_t>(-shift) <= count) {
            // The first dropped digit decides; digits beyond it cannot move
            // a half up or down, as rounding is away from zero.
            const std::size_t kept = count - static_cast<std::size_t>(-shift);
            scaled = number.digits.substr(0, kept);
            if (number.digits[kept] >= '5') increment(scaled);
        }
        // Otherwise even the first digit lies past the first dropped place:
        // the value rounds to zero.
    }
    if (scaled.size() > room) return std::nullopt;

    const bool negative = number.negative && !scaled.empty();
    std::string text = std::move(scaled);
    const auto places = static_cast<std::size_t>(decimals);
    if (places > 0) {
        if (text.size() < places + 1) text.insert(0, places + 1 - text.size(), '0');
        text.insert(text.size() - places, 1, '.');
    } else if (text.empty()) {
        text = "0";
    }
    if (negative) text.insert(0, 1, '-');
    if (text.size() > room) return std::nullopt;
    text.insert(0, room - text.size(), ' ');
    return text;
}

}  // namespace vortel
