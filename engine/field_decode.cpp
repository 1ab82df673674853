#include "engine/field_decode.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vortel {
namespace {

constexpr std::int64_t milliseconds_per_day = 86'400'000;

std::uint64_t little_endian(std::span<const std::uint8_t> bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) value = value << 8 | bytes[i];
    return value;
}

std::uint64_t big_endian(std::span<const std::uint8_t> bytes)
{
    std::uint64_t value = 0;
    for (std::uint8_t byte : bytes) value = value << 8 | byte;
    return value;
}

// dBase 7 stores doubles so that their bytes sort as the numbers do: a
// positive number with its sign bit set, a negative one with every bit
// inverted. (Its integers only have the sign bit flipped.)
std::uint64_t unflipped(std::uint64_t bits, int width)
{
    const std::uint64_t sign = std::uint64_t{1} << (width - 1);
    const std::uint64_t mask = width == 64 ? ~std::uint64_t{0} : (sign << 1) - 1;
    return (bits & sign) != 0 ? bits & ~sign : ~bits & mask;
}

double as_double(std::uint64_t bits)
{
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// At most 24 characters: decimals only below 10^15, where "%.15g" would
// give an exponent.
std::string double_text(double value, int decimals)
{
    if (!std::isfinite(value)) return {};
    char text[64];
    if (decimals > 0 && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.*f", std::min(decimals, 15), value);
    } else {
        std::snprintf(text, sizeof text, "%.15g", value);
    }
    return text;
}

// `value` with its last `decimals` digits after the decimal point.
std::string scaled_integer_text(std::int64_t value, int decimals)
{
    if (decimals <= 0 || decimals > 18) return std::to_string(value);
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? ~static_cast<std::uint64_t>(value) + 1
                                                 : static_cast<std::uint64_t>(value));
    if (std::ssize(digits) <= decimals) digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
    return negative ? "-" + digits : digits;
}

std::string time_text(std::int64_t milliseconds)
{
    if (milliseconds < 0 || milliseconds >= milliseconds_per_day) return {};
    const std::int64_t seconds = milliseconds / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

std::string date_time_text(std::int64_t day, std::int64_t milliseconds)
{
    if (day == 0 && milliseconds == 0) return {};
    const std::string digits = julian_day_digits(day);
    const std::string time = time_text(milliseconds);
    if (digits.empty() || time.empty()) return {};
    return digits.substr(0, 4) + "." + digits.substr(4, 2) + "." + digits.substr(6, 2) + " " + time;
}

}  // namespace

std::string binary_placeholder(std::size_t length)
{
    return "<binary " + std::to_string(length) + (length == 1 ? " byte>" : " bytes>");
}

std::string julian_day_digits(std::int64_t day)
{
    // The Gregorian date of a Julian day number (Fliegel and Van Flandern).
    if (day < 1'721'426 || day > 5'373'484) return {};
    std::int64_t l = day + 68569;
    const std::int64_t n = 4 * l / 146097;
    l -= (146097 * n + 3) / 4;
    const std::int64_t i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    const std::int64_t j = 80 * l / 2447;
    const std::int64_t d = l - 2447 * j / 80;
    l = j / 11;
    const std::int64_t m = j + 2 - 12 * l;
    const std::int64_t y = 100 * (n - 49) + i + l;
    char text[48];
    std::snprintf(text, sizeof text, "%04d%02d%02d", static_cast<int>(y), static_cast<int>(m), static_cast<int>(d));
    return text;
}

std::optional<std::string> decoded_field_text(const table_dialect& dialect, const field_descriptor& field,
                                              std::span<const std::uint8_t> bytes)
{
    const char type = descriptor_type(field);
    const std::size_t size = bytes.size();
    const bool dbase7 = dialect.family == table_family::dbase7;
    switch (type) {
    case 'C':
    case 'N':
    case 'F':
    case 'L': return std::nullopt;
    case 'D':
        if (size == 8) return std::nullopt;
        if (size == 3 || size == 4) {
            const std::uint64_t day = little_endian(bytes);
            return day == 0 ? std::string() : julian_day_digits(static_cast<std::int64_t>(day));
        }
        break;
    case 'M':
        if (size == 10) return std::nullopt;
        if (size == 4) {
            const std::uint64_t block = little_endian(bytes);
            return block == 0 ? std::string() : std::to_string(block);
        }
        break;
    case 'I':
    case '+': {
        if (dbase7) {
            if (size != 4) break;
            return std::to_string(static_cast<std::int32_t>(big_endian(bytes) ^ 0x8000'0000U));
        }
        if (size < 1 || size > 8) break;
        // Sign-extended from however many bytes the field takes.
        const int unused = 64 - 8 * static_cast<int>(size);
        const auto value = static_cast<std::int64_t>(little_endian(bytes) << unused) >> unused;
        return scaled_integer_text(value, field.bytes[17]);
    }
    case 'B':
        if (size != 8) break;
        return double_text(as_double(little_endian(bytes)), field.bytes[17]);
    case 'O':
        if (size != 8) break;
        return double_text(as_double(unflipped(big_endian(bytes), 64)), 0);
    case 'Y':
        if (size != 8) break;
        return scaled_integer_text(static_cast<std::int64_t>(little_endian(bytes)), 4);
    case 'T':
    case '@':
        if (type == '@' && dbase7 && size == 8) {
            if (big_endian(bytes) == 0) return std::string();
            const double milliseconds = as_double(unflipped(big_endian(bytes), 64));
            if (!std::isfinite(milliseconds) || std::fabs(milliseconds) > 1e15) return std::string();
            const auto whole = static_cast<std::int64_t>(std::llround(milliseconds));
            return date_time_text(whole / milliseconds_per_day, whole % milliseconds_per_day);
        }
        if (size == 8) {
            return date_time_text(static_cast<std::int32_t>(little_endian(bytes.first(4))),
                                  static_cast<std::int32_t>(little_endian(bytes.subspan(4))));
        }
        if (size == 4) return time_text(static_cast<std::int32_t>(little_endian(bytes)));
        break;
    default: break;
    }
    return binary_placeholder(size);
}

}  // namespace vortel

namespace vortel {

bool is_decoded_field(const table_dialect& dialect, const field_descriptor& field)
{
    const std::vector<std::uint8_t> blank(static_cast<std::size_t>(descriptor_length(field)), 0);
    return decoded_field_text(dialect, field, blank).has_value();
}

std::size_t shown_width(const table_dialect& dialect, const field_descriptor& field)
{
    const auto length = static_cast<std::size_t>(descriptor_length(field));
    if (!is_decoded_field(dialect, field)) return length;
    switch (descriptor_type(field)) {
    case 'D': return 8;
    case 'M': return 10;
    case 'I':
    case '+': return length <= 4 ? 12 : 21;  // a sign, the digits, a decimal point
    case 'B':
    case 'O': return 24;
    case 'Y': return 21;
    case 'T':
    case '@': return length == 4 ? 8 : 19;
    default: return binary_placeholder(length).size();
    }
}

}  // namespace vortel
