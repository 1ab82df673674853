#include "engine/field_copy.h"

#include "text/date_value.h"

#include <algorithm>
#include <cstring>

namespace vortel {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool holds_number(std::string_view text, int decimals)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return true;  // blank: no value
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-') ++i;
    std::size_t digits = 0;
    for (; i < text.size() && is_digit(text[i]); ++i) ++digits;
    std::size_t places = 0;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && is_digit(text[i]); ++i) ++places;
    }
    return i == text.size() && digits + places > 0 && places <= static_cast<std::size_t>(std::max(decimals, 0));
}

}  // namespace

std::string_view stored_text(const std::uint8_t* bytes, std::size_t width)
{
    const char* text = reinterpret_cast<const char*>(bytes);
    const void* zero = std::memchr(text, 0, width);
    return {text, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : width};
}

field_route route_between(const field_information& source, const field_information& target)
{
    if (source.type == 'M' || target.type == 'M') return field_route::memo;
    if (source.type == target.type && source.length == target.length && source.decimals == target.decimals) {
        return field_route::same_bytes;
    }
    return target.type == 'C' ? field_route::characters : field_route::value_rules;
}

void copy_characters(std::uint8_t* target, std::size_t width, std::string_view text)
{
    const std::size_t kept = std::min(text.size(), width);
    std::memmove(target, text.data(), kept);
    std::memset(target + kept, ' ', width - kept);
}

bool holds_stored_form(char type, const std::uint8_t* bytes, std::size_t width, int decimals)
{
    const std::string_view text(reinterpret_cast<const char*>(bytes), width);
    const bool zero_byte = text.find('\0') != std::string_view::npos;
    switch (type) {
    case 'N':
    case 'F':
        return !zero_byte && holds_number(text, decimals);
    case 'L':
        return width > 0 && std::strchr("TtFfYyNn? ", text[0]) != nullptr && text[0] != '\0' &&
               text.find_first_not_of(' ', 1) == std::string_view::npos;
    case 'D':
        if (text == "        " || text == "00000000") return true;
        return width == 8 && std::all_of(text.begin(), text.end(), is_digit) && date_is_valid(date_parse(text));
    default:
        return true;
    }
}

}  // namespace vortel
