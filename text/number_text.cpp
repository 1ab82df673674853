#include "text/number_text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <utility>

#include "text/text_to_number.h"

namespace vortel {
namespace {

int clamp_width(int width)
{
    return std::clamp(width, 0, number_text_width_max);
}

std::string right_aligned(std::string text, int width)
{
    const auto w = static_cast<std::size_t>(clamp_width(width));
    if (text.size() < w) text.insert(0, w - text.size(), ' ');
    return text;
}

}  // namespace

std::string number_to_text(long double x, int width, int decimals)
{
    const int places = std::clamp(decimals, 0, number_text_width_max);
    // Room for the 4933 integer digits of the largest long double.
    std::string text(5000 + static_cast<std::size_t>(places), '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), x, std::chars_format::fixed, places);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    text = right_aligned(std::move(text), width);

    if (places == 0) return text.substr(0, text.find('.'));
    if (text.size() > static_cast<std::size_t>(clamp_width(width))) {
        return "0." + std::string(static_cast<std::size_t>(places), '0');
    }
    return text;
}

std::string long_to_text(long n, int width)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, n);
    return right_aligned(std::string(digits, result.ptr), width);
}

bool is_zero_number(std::string_view text)
{
    return text_to_double(text) == 0.0;
}

}  // namespace vortel
