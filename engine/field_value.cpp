// Texts into field bytes: the type rules of store_field_value (table.h),
// which either store a value as every reader takes it or refuse it.
#include "engine/table.h"

#include "platform/code_page.h"
#include "text/date_value.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace vortel {
namespace {

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The value as a refusal quotes it: without the blanks around it, and short
// enough to read when someone typed four hundred nines.
std::string quoted_value(std::string_view text)
{
    constexpr std::size_t shown = 30;
    text = trimmed(text);
    return text.size() <= shown ? std::string(text) : std::string(text.substr(0, shown)) + "...";
}

// "PREMIUM N(5,1)", "COUNT N(9)", "NAME C(20)": a field with the shape
// that decides what fits.
std::string number_field_shape(const field_descriptor& field)
{
    std::string shape = descriptor_name(field) + " " + descriptor_type(field) + "(" +
                        std::to_string(descriptor_length(field));
    if (descriptor_decimals(field) > 0) shape += "," + std::to_string(descriptor_decimals(field));
    return shape + ")";
}

bool all_digits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The eight stored digits of a date written YYYYMMDD or YYYY?MM?DD with one
// separator, when they form a valid date; "" otherwise. Day-first forms are
// not guessed at: 01.02.2024 could be either of two dates.
std::string date_digits(std::string_view text)
{
    std::string digits;
    if (text.size() == 8 && all_digits(text)) {
        digits = text;
    } else if (text.size() == 10 && text[4] == text[7] && !all_digits(text.substr(4, 1)) &&
               all_digits(text.substr(0, 4)) && all_digits(text.substr(5, 2)) && all_digits(text.substr(8, 2))) {
        digits = std::string(text.substr(0, 4)) + std::string(text.substr(5, 2)) + std::string(text.substr(8, 2));
    }
    return !digits.empty() && date_is_valid(date_parse(digits)) ? digits : std::string();
}

// The bytes field `field` takes for `value` (already in stored code page),
// or the reason it refuses it.
struct field_bytes {
    std::string bytes;   // exactly the field's width when stored
    std::string reason;  // "" when stored
};

field_bytes encode_field(const field_descriptor& field, std::string_view value, std::string_view shown,
                         number_spelling spelling)
{
    const auto width = static_cast<std::size_t>(descriptor_length(field));
    const std::string_view core = trimmed(value);
    switch (descriptor_type(field)) {
    case 'N':
    case 'F': {
        if (core.empty()) return {std::string(width, ' '), {}};
        const std::optional<decimal_number> number = read_decimal(core, spelling);
        if (!number) return {{}, quoted_value(shown) + " is not a number for " + number_field_shape(field)};
        std::optional<std::string> text =
            format_decimal(*number, static_cast<int>(width), descriptor_decimals(field));
        if (!text) return {{}, quoted_value(shown) + " does not fit " + number_field_shape(field)};
        return {std::move(*text), {}};
    }
    case 'L': {
        std::string bytes(width, ' ');
        if (core.empty()) return {bytes, {}};
        if (width > 0 && core.size() == 1 && std::strchr("TtYyFfNn?", core[0])) {
            bytes[0] = std::strchr("TtYy", core[0]) ? 'T' : core[0] == '?' ? '?' : 'F';
            return {bytes, {}};
        }
        return {{}, quoted_value(shown) + " is not a logical value (T, F, Y, N or ?) for " + descriptor_name(field)};
    }
    case 'D': {
        std::string bytes(width, ' ');
        if (core.empty()) return {bytes, {}};
        const std::string digits = date_digits(core);
        if (digits.empty() || digits.size() > width) {
            return {{}, quoted_value(shown) + " is not a valid date for " + descriptor_name(field)};
        }
        bytes.replace(0, digits.size(), digits);
        return {bytes, {}};
    }
    case 'C': {
        std::string bytes(value.substr(0, width));
        bytes.resize(width, ' ');
        return {bytes, {}};
    }
    default: {
        std::string bytes(value.substr(0, width));
        bytes.resize(width, '\0');
        return {bytes, {}};
    }
    }
}

}  // namespace

std::string store_field_value(table_object& table, int index, std::string_view text, number_spelling spelling)
{
    if (index < 0 || index >= table.field_count || table.record.empty()) {
        return "there is no field number " + std::to_string(index + 1);
    }
    const field_descriptor& field = table.fields[static_cast<std::size_t>(index)];
    const std::string_view shown = text.substr(0, text.find('\0'));  // texts end at a zero byte
    std::string value(shown);
    if (!table.texts_as_stored && table.codepage.page != code_page::cp1250) {
        std::string stored;
        if (const std::optional<char32_t> missing = program_to_stored(table.codepage.page, value, stored)) {
            return number_field_shape(field) + " cannot hold " + character_text(*missing) + ": code page " +
                   std::string(code_page_name(table.codepage.page)) + " has no such character";
        }
        if (descriptor_type(field) == 'C') {
            stored.resize(whole_characters_within(table.codepage.page, stored,
                                                  static_cast<std::size_t>(descriptor_length(field))));
        }
        value = std::move(stored);
    }
    field_bytes encoded = encode_field(field, value, shown, spelling);
    if (!encoded.reason.empty()) return encoded.reason;
    std::memcpy(table.record.data() + table.offsets[static_cast<std::size_t>(index)], encoded.bytes.data(),
                encoded.bytes.size());
    return {};
}

int set_field_text(table_object& table, int index, std::string_view text)
{
    return store_field_value(table, index, text).empty() ? 1 : 0;
}

}  // namespace vortel
