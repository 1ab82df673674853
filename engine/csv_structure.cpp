#include "engine/csv_structure.h"

#include "engine/csv_reader.h"
#include "platform/error_text.h"
#include "text/date_value.h"
#include "text/folding.h"
#include "text/text_ops.h"

#include <algorithm>
#include <set>

namespace vortel {
namespace {

constexpr std::size_t field_name_max = 10;
constexpr std::size_t number_width_max = 19;
constexpr std::size_t decimals_max = 9;  // what the structure dialog's decimals edit holds
constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

bool is_logical(std::string_view value)
{
    constexpr std::string_view words[] = {"t", "f", "y", "n", "i", "true", "false"};
    return std::any_of(std::begin(words), std::end(words),
                       [value](std::string_view word) { return equal_ignoring_case(value, word); });
}

bool is_date(std::string_view value, const std::string& layout)
{
    // Eight digits alone are a number; only a written date makes a D field.
    if (std::all_of(value.begin(), value.end(), is_digit)) return false;
    const std::string digits = csv_date_digits(std::string(value), layout);
    if (digits.size() != 8) return false;
    const auto part = [&digits](std::size_t from, std::size_t count) { return std::stol(digits.substr(from, count)); };
    return is_calendar_date({part(0, 4), part(4, 2), part(6, 2)});
}

}  // namespace

void csv_column_survey::add(std::string_view value, const std::string& date_layout)
{
    // Blanks at the end count nowhere: a C field does not keep them, and
    // the append reads numbers, dates and logicals without them.
    std::size_t end = value.size();
    while (end > 0 && value[end - 1] == ' ') --end;
    if (end == 0) return;
    value = value.substr(0, end);
    any_ = true;
    longest_ = std::max(longest_, end);
    logical_ = logical_ && is_logical(value);
    date_ = date_ && is_date(value, date_layout);
    if (!number_) return;
    // -?(0|[1-9][0-9]*)(\.[0-9]+)?, not all zeros after a minus: what an N
    // field stores and shows back as it stands.
    const std::size_t sign = value.starts_with('-') ? 1 : 0;
    const std::size_t point = value.find('.');
    const std::string_view whole = value.substr(sign, point == std::string_view::npos ? value.npos : point - sign);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : value.substr(point + 1);
    const bool digits = !whole.empty() && std::all_of(whole.begin(), whole.end(), is_digit) &&
                        std::all_of(fraction.begin(), fraction.end(), is_digit) &&
                        (point == std::string_view::npos || !fraction.empty());
    const bool zero = value.find_first_of("123456789") == std::string_view::npos;
    if (!digits || (whole.size() > 1 && whole[0] == '0') || (sign && zero)) {
        number_ = false;
        return;
    }
    integer_digits_ = std::max(integer_digits_, sign + whole.size());
    decimals_ = std::max(decimals_, fraction.size());
    const std::size_t width = integer_digits_ + (decimals_ > 0 ? decimals_ + 1 : 0);
    number_ = width <= number_width_max && decimals_ <= decimals_max;
}

field_list_entry csv_column_survey::field(const std::string& name) const
{
    if (!any_) return {name, 'C', 1, 0};
    if (logical_) return {name, 'L', 1, 0};
    if (date_) return {name, 'D', 8, 0};
    if (number_) {
        const std::size_t width = integer_digits_ + (decimals_ > 0 ? decimals_ + 1 : 0);
        return {name, 'N', static_cast<int>(width), static_cast<int>(decimals_)};
    }
    if (longest_ > proposed_text_max) return {name, 'M', 10, 0};
    return {name, 'C', static_cast<int>(longest_), 0};
}

std::vector<std::string> field_names_for_columns(const std::vector<std::string>& columns)
{
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (std::size_t column = 0; column < columns.size(); ++column) {
        std::string name;
        bool gap = false;
        for (const char byte : columns[column]) {
            char c = static_cast<char>(ansi_folding_table[static_cast<unsigned char>(byte)]);
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if ((c >= 'A' && c <= 'Z') || is_digit(c) || c == '_') {
                if (gap && !name.empty()) name += '_';
                gap = false;
                name += c;
            } else {
                gap = true;
            }
        }
        if (name.empty()) name = "FIELD" + std::to_string(column + 1);
        if (is_digit(name[0])) name = "F" + name;
        name.resize(std::min(name.size(), field_name_max));
        const std::string base = name;
        for (int number = 2; taken.contains(name); ++number) {
            const std::string suffix = "_" + std::to_string(number);
            name = base.substr(0, std::min(base.size(), field_name_max - suffix.size())) + suffix;
        }
        taken.insert(name);
        names.push_back(name);
    }
    return names;
}


std::string propose_csv_structure(const std::string& source, const csv_import_options& options,
                                  code_page table_page, csv_structure& structure)
{
    structure = {};
    file_handle file(source, 512);
    if (!fh_open(file, import_text_mode)) return file_error_text(file.os.last_error(), file.name);
    csv_layout layout;
    if (std::string refusal = detect_csv_layout(file, options, table_page, layout); !refusal.empty()) return refusal;
    if (fh_seek(file, 0, seek_origin::begin) != 0) return file_error_text(file.os.last_error(), file.name);
    csv_reader reader(file, layout.delimiter, options.longest_value);
    if (layout.byte_order_mark) reader.skip_prefix(byte_order_mark.size());
    const auto reading_failure = [&](std::string_view at_start) {
        if (reader.failed()) return file_error_text(file.os.last_error(), file.name);
        if (!reader.error().empty()) return file_name_text(source) + ", " + reader.error();
        return file_name_text(source) + " " + std::string(at_start);
    };

    std::vector<std::string> header;
    if (!reader.next(header)) return reading_failure("holds no header row naming the fields");
    std::vector<std::string> columns;  // program text
    for (const std::string& bytes : header) {
        std::string name;
        (void)stored_to_program(layout.encoding, bytes, name);
        // A binary file read as CSV makes names of any bytes.
        for (char& c : name) c = static_cast<unsigned char>(c) < 0x20 ? '?' : c;
        const std::size_t first = name.find_first_not_of(' ');
        name = first == std::string::npos ? std::string() : name.substr(first, name.find_last_not_of(' ') - first + 1);
        columns.push_back(name);
    }
    std::vector<csv_column_survey> surveys(columns.size());
    std::vector<std::string> values;
    std::string text;
    while (reader.next(values)) {
        for (std::size_t column = 0; column < values.size() && column < surveys.size(); ++column) {
            const std::string& value = values[column];
            // Only a text's length needs the table's bytes; the other kinds
            // are ASCII in every encoding read here.
            const bool ascii = std::all_of(value.begin(), value.end(),
                                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
            // A character the table's page lacks is refused by the append,
            // which names its line.
            const bool converted = !ascii && layout.encoding != table_page &&
                                   !recode_stored(layout.encoding, table_page, value, text);
            surveys[column].add(converted ? text : value, options.date_layout);
        }
    }
    if (reader.failed() || !reader.error().empty()) return reading_failure({});

    std::vector<std::string> field_columns;
    for (const std::string& column : columns) {
        if (!is_deleted_flag_column(column)) field_columns.push_back(column);
    }
    const std::vector<std::string> names = field_names_for_columns(field_columns);
    std::size_t next_name = 0;
    for (std::size_t column = 0; column < columns.size(); ++column) {
        if (is_deleted_flag_column(columns[column])) {
            structure.column_fields.push_back(columns[column]);
            continue;
        }
        const std::string& name = names[next_name++];
        structure.fields.push_back(surveys[column].field(name));
        structure.column_fields.push_back(name);
        std::string upper = columns[column];
        for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        if (name == upper) continue;
        // As the append's messages show a column's name.
        constexpr std::size_t longest_shown = 40;
        std::string shown = columns[column].empty() ? "#" + std::to_string(column + 1) : columns[column];
        if (shown.size() > longest_shown) shown = shown.substr(0, longest_shown) + "...";
        structure.renames.push_back("Column " + shown + " is field " + name);
    }
    if (structure.fields.empty()) return file_name_text(source) + ": the header row names no column for a field";
    return {};
}

}  // namespace vortel
