#include "engine/export_rows.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <ctime>

namespace vortel {
namespace {

// What one cell of a sheet holds at most, counted in characters.
constexpr std::size_t cell_text_max = 32767;
// A double holds integers and decimals exactly up to this many digits.
constexpr int exact_digits_max = 15;
// Numbers keep their field's decimals in the cell format; wider ones are
// shown as the field could never hold them anyway.
constexpr int decimals_max = 18;

std::size_t utf8_characters(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The workbook is dated by the table's last change, not by the clock, so
// that the same table always gives the same bytes. Zip entries cannot be
// older than 1980.
std::time_t workbook_date(const dbf_header& header)
{
    std::tm day{};
    day.tm_year = header.update_year;
    day.tm_mon = std::clamp(static_cast<int>(header.update_month), 1, 12) - 1;
    day.tm_mday = std::clamp(static_cast<int>(header.update_day), 1, 31);
    constexpr std::time_t zip_epoch = 315532800;  // 1980-01-01
    return std::max(timegm(&day), zip_epoch);
}

bool is_hex_digit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A workbook writes characters XML cannot hold as "_xHHHH_", and readers
// turn every such spelling back into its character; a text that spells one
// itself keeps it only with its "_" written as "_x005F_".
void escape_literal_escapes(std::string& text)
{
    if (text.find("_x") == std::string::npos) return;
    std::string escaped;
    escaped.reserve(text.size() + 7);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_' &&
            std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i) + 2, text.begin() + static_cast<std::ptrdiff_t>(i) + 6,
                        is_hex_digit)) {
            escaped += "_x005F";
        }
        escaped += text[i];
    }
    text = std::move(escaped);
}

double column_width(const field_information& field)
{
    int width = field.length;
    if (field.type == 'D') width = 10;
    if (field.type == 'L') width = 5;
    if (field.type == 'M') width = 40;
    width = std::max(width, static_cast<int>(field.name.size()));
    return std::min(width + 1, 255);
}

class xlsx_writer final : public row_writer {
public:
    xlsx_writer(table_object& table, const std::string& path, const export_options& options)
        : table_(table), path_(path), recoder_(table.codepage.page, true), mark_(options.deleted == deleted_records::mark)
    {
    }

    ~xlsx_writer() override
    {
        // A workbook given up on is freed without being written: its file
        // is the temporary one, which goes.
        if (workbook_) lxw_workbook_free(workbook_);
    }

    bool begin(std::span<const field_information> fields, bool mark_deleted) override
    {
        mark_ = mark_deleted;
        // When every record becomes a row the count decides at once.
        if (mark_ && record_count(table_) > sheet_record_max) return too_many_records();
        // Rows are written in order and forgotten, so a million records
        // take no more memory than one.
        lxw_workbook_options workbook_options{};
        workbook_options.constant_memory = 1;
        workbook_ = workbook_new_opt(path_.c_str(), &workbook_options);
        if (!workbook_) return fail("The workbook could not be started");
        lxw_doc_properties properties{};
        properties.created = workbook_date(table_.header);
        workbook_set_properties(workbook_, &properties);
        sheet_ = workbook_add_worksheet(workbook_, nullptr);
        lxw_format* bold = workbook_add_format(workbook_);
        format_set_bold(bold);
        date_format_ = workbook_add_format(workbook_);
        format_set_num_format(date_format_, "yyyy-mm-dd");
        fields_.assign(fields.begin(), fields.end());
        lxw_col_t column = 0;
        for (const field_information& field : fields_) {
            worksheet_set_column(sheet_, column, column, column_width(field), nullptr);
            worksheet_write_string(sheet_, 0, column++, recoder_(field.name).c_str(), bold);
        }
        if (mark_) worksheet_write_string(sheet_, 0, column, "_deleted", bold);
        worksheet_freeze_panes(sheet_, 1, 0);
        return true;
    }

    bool row(std::int32_t record, std::span<const cell_value> cells, bool deleted) override
    {
        if (++row_ > sheet_record_max) return too_many_records();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const lxw_error error = put_cell(static_cast<lxw_col_t>(i), fields_[i], cells[i]);
            if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED) {
                return refuse(record, fields_[i],
                              "its text of " + std::to_string(utf8_characters(text_)) +
                                  " characters is longer than a spreadsheet cell holds (" +
                                  std::to_string(cell_text_max) + ")");
            }
            if (error != LXW_NO_ERROR) return refuse(record, fields_[i], lxw_strerror(error));
        }
        if (mark_) worksheet_write_boolean(sheet_, row_, static_cast<lxw_col_t>(cells.size()), deleted, nullptr);
        return true;
    }

    bool end() override
    {
        const lxw_error error = workbook_close(std::exchange(workbook_, nullptr));
        if (error != LXW_NO_ERROR) return fail(std::string("The workbook could not be written: ") + lxw_strerror(error));
        return true;
    }

private:
    lxw_error put_cell(lxw_col_t column, const field_information& field, const cell_value& cell)
    {
        switch (cell.kind) {
        case cell_kind::empty: return LXW_NO_ERROR;
        case cell_kind::logical: return worksheet_write_boolean(sheet_, row_, column, cell.truth, nullptr);
        case cell_kind::number: {
            // A number a double cannot hold exactly (more than 15 significant
            // digits) is written as its text: the cell would show another
            // number otherwise.
            if (significant_digits(cell.text) > exact_digits_max) return put_text(column, cell.text);
            std::string_view spelling = cell.text;
            if (spelling.front() == '+') spelling.remove_prefix(1);
            double value = 0;
            const char* end = spelling.data() + spelling.size();
            const auto [stop, error] = std::from_chars(spelling.data(), end, value);
            if (error != std::errc{} || stop != end) return put_text(column, cell.text);
            return worksheet_write_number(sheet_, row_, column, value, number_format(field.decimals));
        }
        case cell_kind::date: {
            // Sheets count days from 1900: an older date stays a text.
            if (cell.date.year < 1900) return put_text(column, iso_date_text(cell.date));
            lxw_datetime date{static_cast<int>(cell.date.year), static_cast<int>(cell.date.month),
                              static_cast<int>(cell.date.day), 0, 0, 0.0};
            return worksheet_write_datetime(sheet_, row_, column, &date, date_format_);
        }
        case cell_kind::text:
            text_.clear();
            recoder_.append(text_, cell.text);
            return put_text(column, text_);
        }
        return LXW_NO_ERROR;
    }

    lxw_error put_text(lxw_col_t column, std::string_view text)
    {
        if (text.data() != text_.data()) text_.assign(text);
        if (text_.size() > cell_text_max && utf8_characters(text_) > cell_text_max) {
            return LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED;
        }
        escape_literal_escapes(text_);
        return worksheet_write_string(sheet_, row_, column, text_.c_str(), nullptr);
    }

    lxw_format* number_format(int decimals)
    {
        decimals = std::clamp(decimals, 0, decimals_max);
        lxw_format*& format = number_formats_[static_cast<std::size_t>(decimals)];
        if (!format) {
            format = workbook_add_format(workbook_);
            const std::string pattern = decimals == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(decimals), '0');
            format_set_num_format(format, pattern.c_str());
        }
        return format;
    }

    bool too_many_records()
    {
        return fail("The table has more records than a sheet holds (" + std::to_string(sheet_record_max) +
                    "): leave deleted records out or export to CSV");
    }

    bool refuse(std::int32_t record, const field_information& field, std::string_view what)
    {
        return fail(cell_refusal(record, field, what));
    }

    bool fail(std::string reason)
    {
        note_failure(table_, std::move(reason));
        return false;
    }

    table_object& table_;
    std::string path_;
    text_recoder recoder_;
    bool mark_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* date_format_ = nullptr;
    std::array<lxw_format*, decimals_max + 1> number_formats_{};
    std::vector<field_information> fields_;
    lxw_row_t row_ = 0;
    std::string text_;
};

}  // namespace

std::unique_ptr<row_writer> xlsx_row_writer(table_object& table, const std::string& path,
                                            const export_options& options)
{
    return std::make_unique<xlsx_writer>(table, path, options);
}

}  // namespace vortel
