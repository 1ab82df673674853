#include "engine/field_copy.h"

#include "text/date_value.h"

#include <algorithm>
#include <cstring>

namespace vortel {

std::string_view stored_text(const std::uint8_t* bytes, std::size_t width)
{
    const char* text = reinterpret_cast<const char*>(bytes);
    const void* zero = std::memchr(text, 0, width);
    return {text, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : width};
}

bool is_stored_number(std::string_view text, std::size_t width, int decimals)
{
    if (text.size() != width || decimals < 0) return false;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative) ++i;
    const std::size_t integer_start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    const std::size_t integer_digits = i - integer_start;
    if (integer_digits == 0 || (integer_digits > 1 && text[integer_start] == '0')) return false;
    std::size_t digits = integer_digits;
    bool nonzero = text.find_first_of("123456789", integer_start) != std::string_view::npos;
    if (decimals > 0) {
        if (i == text.size() || text[i] != '.') return false;
        const std::size_t fraction_start = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i - fraction_start != static_cast<std::size_t>(decimals)) return false;
        digits += i - fraction_start;
    }
    return i == text.size() && digits <= 15 && !(negative && !nonzero);
}

bool store_field_directly(std::uint8_t* target, char type, std::size_t width, int decimals, std::string_view text)
{
    switch (type) {
    case 'C': {
        const std::size_t kept = std::min(text.size(), width);
        std::memmove(target, text.data(), kept);
        std::memset(target + kept, ' ', width - kept);
        return true;
    }
    case 'L':
        if (width == 0) return false;
        target[0] = !text.empty() && std::strchr("yYtT", text[0]) ? 'T' : 'F';
        std::memset(target + 1, ' ', width - 1);
        return true;
    case 'D':
        if (width != 8 || text.size() != 8 ||
            !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return false;
        }
        if (date_is_valid(date_parse(text))) {
            std::memmove(target, text.data(), 8);
        } else {
            std::memset(target, ' ', 8);
        }
        return true;
    case 'N':
        if (!is_stored_number(text, width, decimals)) return false;
        std::memmove(target, text.data(), width);
        return true;
    default:
        return false;
    }
}

}  // namespace vortel
