#include "text/text_case.h"

#include <cstddef>

#include "runtime/settings.h"

namespace vortel {
namespace {

// Only this many pairs take part in case mapping; letters that a user adds
// after them count as letters but keep their case.
constexpr std::size_t mapped_pairs = 9;

char upper_with(char c, std::string_view lower, std::string_view upper)
{
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    // Other ASCII characters never change, even when a user lists them.
    if (static_cast<unsigned char>(c) < 0x80) return c;
    const std::size_t k = lower.substr(0, mapped_pairs).find(c);
    // A lower letter without a partner (the upper list is shorter) stays as it is.
    if (k == std::string_view::npos || k >= upper.size()) return c;
    return upper[k];
}

}  // namespace

char char_upper(char c)
{
    return upper_with(c, setting_by_index(SET_HUN_LOWER), setting_by_index(SET_HUN_UPPER));
}

std::string text_upper(std::string_view text)
{
    const std::string lower = setting_by_index(SET_HUN_LOWER);
    const std::string upper = setting_by_index(SET_HUN_UPPER);
    std::string result(text);
    for (char& c : result) c = upper_with(c, lower, upper);
    return result;
}

bool is_letter_or_digit(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return setting_by_index(SET_HUN_LOWER).find(c) != std::string::npos ||
           setting_by_index(SET_HUN_UPPER).find(c) != std::string::npos;
}

}  // namespace vortel
