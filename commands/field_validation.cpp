#include "commands/field_validation.h"

#include "engine/output_refusal.h"
#include "text/text_ops.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace vortel {
namespace {

constexpr std::size_t name_length_max = 10;
// Two header bytes hold a character field's length.
constexpr int character_length_max = 65535;

char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool is_digit_char(char c) { return c >= '0' && c <= '9'; }
bool is_name_start(char c) { return (c >= 'A' && c <= 'Z') || c == '_'; }


// Digits only, at most `width` of them; the value, or -1.
int digits_value(std::string_view text, std::size_t width)
{
    if (text.size() > width || !std::all_of(text.begin(), text.end(), is_digit_char)) return -1;
    int value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return value;
}

// The dialog's type list; the letter stored is the name's first letter.
constexpr std::array<std::string_view, 5> type_names = {"Character", "Numeric", "Date", "Logical", "Memo"};

char type_letter(std::string_view text)
{
    for (std::string_view name : type_names) {
        if ((text.size() == 1 && ascii_upper(text[0]) == name[0]) || equal_ignoring_case(text, name)) return name[0];
    }
    return 0;
}

bool same_name(const field_list_entry& a, const field_list_entry& b) { return equal_ignoring_case(a.name, b.name); }

}  // namespace

field_check check_field(std::string_view name, char type, std::string_view length, std::string_view decimals)
{
    field_check check;
    field_list_entry& field = check.field;
    std::transform(name.begin(), name.end(), std::back_inserter(field.name), ascii_upper);
    if (field.name.empty()) {
        check.message = "Empty field name!";
        return check;
    }
    const bool name_ok = field.name.size() <= name_length_max && is_name_start(field.name[0]) &&
                         std::all_of(field.name.begin(), field.name.end(),
                                     [](char c) { return is_name_start(c) || is_digit_char(c); });
    field.type = type_letter(std::string_view(&type, 1));
    field.length = digits_value(length, 3);
    field.decimals = digits_value(decimals, 1);
    if (!name_ok) check.message = "Bad field name!";
    else if (field.type == 0) check.message = "Bad field type!";
    else if (field.length < 0) check.message = "Bad field length!";
    else if (field.decimals < 0) check.message = "Bad decimals!";
    if (!check.message.empty()) return check;

    switch (field.type) {
    case 'N': field.length = std::min(field.length, 19); break;
    case 'C': field.length = std::min(field.length, 255); break;
    case 'D': field.length = 8; break;
    case 'L': field.length = 1; break;
    case 'M': field.length = 10; break;
    }
    if (field.type != 'N') field.decimals = 0;
    return check;
}

field_check parse_field_definition(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    if (parts.size() < 2 || parts.size() > 4) return {"Bad field definition!", {}};
    const char type = type_letter(parts[1]);
    if (type == 0) {
        // The name is judged first, as the dialog does.
        field_check name_check = check_field(parts[0], 'C', "", "");
        return {name_check.message.empty() ? "Bad field type!" : name_check.message, {}};
    }
    const std::string_view length = parts.size() > 2 ? parts[2] : "10";
    const std::string_view decimals = parts.size() > 3 ? parts[3] : "0";
    // The dialog's three digits stop a character field at 255; a table may
    // hold longer ones (the decimals byte carries the length's high byte),
    // and a definition restating such a field must keep it, not cut its
    // texts to 255 without a word.
    if (const int long_length = digits_value(length, 5); type == 'C' && long_length > 255) {
        if (long_length > character_length_max) return {"Bad field length!", {}};
        field_check check = check_field(parts[0], type, "255", decimals);
        if (check.message.empty()) check.field.length = long_length;
        return check;
    }
    return check_field(parts[0], type, length, decimals);
}

bool append_field(std::vector<field_list_entry>& fields, const field_list_entry& field)
{
    if (std::any_of(fields.begin(), fields.end(), [&](const field_list_entry& f) { return same_name(f, field); })) {
        return false;
    }
    fields.push_back(field);
    return true;
}

bool modify_field(std::vector<field_list_entry>& fields, const field_list_entry& field)
{
    auto found =
        std::find_if(fields.begin(), fields.end(), [&](const field_list_entry& f) { return same_name(f, field); });
    if (found == fields.end()) return false;
    *found = field;
    return true;
}

field_list_check parse_field_list(const std::vector<std::string>& definitions)
{
    field_list_check result;
    for (const std::string& definition : definitions) {
        field_check check = parse_field_definition(definition);
        if (check.message.empty() && !append_field(result.fields, check.field)) check.message = "Duplicate field name!";
        if (!check.message.empty()) {
            result.message = check.message;
            return result;
        }
    }
    return result;
}

std::string check_table_definition(std::string_view file_name, const std::vector<field_list_entry>& fields)
{
    if (file_name.empty()) return "Empty filename!";
    if (fields.empty()) return "Empty table!";
    if (fields.size() > field_count_max) return "Too many fields!";
    if (std::any_of(fields.begin(), fields.end(), [](const field_list_entry& f) { return f.type == 'M'; })) {
        return memo_name_refusal(std::string(file_name));
    }
    return {};
}

}  // namespace vortel
