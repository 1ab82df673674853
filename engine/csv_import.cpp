#include "engine/csv_import.h"

#include "engine/append_from.h"
#include "engine/csv_reader.h"
#include "engine/memo_batch.h"
#include "engine/record_blocks.h"
#include "engine/xlsx_import.h"
#include "platform/error_text.h"
#include "text/text_ops.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <utility>

namespace vortel {
namespace {

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
constexpr std::size_t header_sample_bytes = 64 * 1024;
// The delete flag's place in the blanked set, beside the fields.
constexpr int delete_flag = -2;

bool all_digits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string field_shape(const field_information& field)
{
    std::string shape = field.name + " " + field.type + "(" + std::to_string(field.length);
    if (field.type == 'N' || field.type == 'F') shape += "," + std::to_string(field.decimals);
    return shape + ")";
}

class csv_import {
public:
    csv_import(table_object& table, const std::string& source, const csv_import_options& options,
               csv_import_report& report, const std::function<void(int percent)>& progress)
        : table_(table), source_(source), options_(options), report_(report), progress_(progress),
          file_(source, 512)
    {
    }

    int run()
    {
        if (!fh_open(file_, import_text_mode)) return fail_on_file();
        if (!detect()) return 0;
        size_ = fh_size(file_);
        progress_meter meter(progress_, 2 * std::max<std::int64_t>(size_, 1));
        if (!pass(false, meter)) return 0;
        if (!pass(true, meter)) return 0;
        meter.finish();
        return 1;
    }

private:
    int fail_on_file()
    {
        note_failure(table_, file_);
        return 0;
    }

    int fail(std::string reason)
    {
        note_failure(table_, std::move(reason));
        return 0;
    }

    // The encoding and the delimiter, as given or as the file shows them.
    bool detect()
    {
        std::string refusal = detect_csv_layout(file_, options_, table_.codepage.page, layout_);
        if (!refusal.empty()) return fail(std::move(refusal));
        from_ = layout_.encoding;
        return true;
    }

    // One pass over the file: the dry run decides every refused value, the
    // writing pass appends what the dry run decided.
    bool pass(bool writing, progress_meter& meter)
    {
        if (fh_seek(file_, 0, seek_origin::begin) != 0) return fail_on_file();
        csv_reader reader(file_, layout_.delimiter, options_.longest_value);
        if (layout_.byte_order_mark) reader.skip_prefix(byte_order_mark.size());
        std::vector<std::string> values;
        if (!reader.next(values)) return fail_reading(reader, "holds no header row naming the fields");
        if (!writing && !map_columns(values)) return false;
        record_appender appender(table_);
        // Memos are placed in memory and written in large blocks, each block
        // before the records that point at it (memo_batch.h).
        memo_batch memos(table_);
        memos_ = writing ? &memos : nullptr;
        appender.before_flush([&memos] { return memos.flush(); });
        if (writing && !appender.start()) return false;
        while (reader.next(values)) {
            const std::int64_t line = reader.line();
            if (writing && skipped_lines_.contains(line)) continue;
            if (!refuse_inner_byte_order_mark(values, line)) return false;
            if (writing ? !appender.begin_record() : (table_.record = table_.blank_record, false)) return false;
            switch (fill_record(values, line, writing)) {
            case row_outcome::failed: return false;
            case row_outcome::skipped: continue;
            case row_outcome::filled: break;
            }
            if (writing && !appender.end_record()) return false;
            if (writing) ++report_.appended;
            meter.step((writing ? size_ : 0) + reader.consumed());
        }
        if (reader.failed() || !reader.error().empty()) return fail_reading(reader, {});
        return !writing || (appender.finish() && memos.finish());
    }

    bool fail_reading(const csv_reader& reader, std::string_view at_start)
    {
        if (reader.failed()) return fail_on_file();
        if (!reader.error().empty()) return fail(file_name_text(source_) + ", " + reader.error());
        return fail(file_name_text(source_) + " " + std::string(at_start));
    }

    // A column's name as messages show it: a binary file read as CSV makes
    // names of any bytes, which must not reach the screen as they are.
    std::string program_text(std::string_view bytes) const
    {
        constexpr std::size_t longest_shown = 40;
        std::string text;
        (void)stored_to_program(from_, bytes, text);
        for (char& c : text) c = static_cast<unsigned char>(c) < 0x20 ? '?' : c;
        if (text.size() > longest_shown) text = text.substr(0, longest_shown) + "...";
        return trim_both(text);
    }

    bool map_columns(const std::vector<std::string>& header)
    {
        std::vector<bool> named(static_cast<std::size_t>(field_count(table_)), false);
        for (const std::string& name_bytes : header) {
            const std::string name = program_text(name_bytes);
            const std::size_t column = names_.size();
            const int field = field_index(
                table_, column < options_.column_fields.size() ? options_.column_fields[column] : name);
            names_.push_back(name);
            if (field < 0 && is_deleted_flag_column(name) && deleted_at_ < 0) {
                deleted_at_ = static_cast<int>(fields_.size());
                fields_.push_back(-1);
                continue;
            }
            if (field >= 0 && !named[static_cast<std::size_t>(field)]) {
                named[static_cast<std::size_t>(field)] = true;
                fields_.push_back(field);
                continue;
            }
            fields_.push_back(-1);
            report_.notes.push_back(field >= 0 ? "Column " + name + " names field " + field_info(table_, field).name +
                                                     " a second time: ignored"
                                               : "Column " + name + " names no field of the table: ignored");
        }
        if (std::none_of(named.begin(), named.end(), [](bool n) { return n; })) {
            report_.notes.clear();  // every column would be one
            return fail(file_name_text(source_) + ": no column of the header row names a field of the table");
        }
        return true;
    }

    enum class row_outcome { filled, skipped, failed };

    // A byte order mark past the start is where two files were joined: the
    // rows after it may have other columns, so no row of it is taken.
    bool refuse_inner_byte_order_mark(const std::vector<std::string>& values, std::int64_t line)
    {
        for (const std::string& value : values) {
            if (from_ == code_page::utf8 && value.find(byte_order_mark) != std::string::npos) {
                return fail(file_name_text(source_) + ", line " + std::to_string(line) +
                            ": a byte order mark stands inside the file, as where two files were joined");
            }
        }
        return true;
    }

    // A row longer than the header row has values for no column; empty
    // ones are what spreadsheets leave after the last column.
    row_outcome fill_record(const std::vector<std::string>& values, std::int64_t line, bool writing)
    {
        const bool extra = std::any_of(values.begin() + static_cast<std::ptrdiff_t>(std::min(values.size(), names_.size())),
                                       values.end(), [](const std::string& v) { return !v.empty(); });
        if (extra && !blanked_.contains({line, -1})) {
            const std::string refusal = "line " + std::to_string(line) + ": " + std::to_string(values.size()) +
                                        " values where the header row names " + std::to_string(names_.size()) +
                                        " columns";
            if (const auto outcome = decide(refusal, line, -1, writing)) return *outcome;
        }
        if (deleted_at_ >= 0 && static_cast<std::size_t>(deleted_at_) < values.size() &&
            !blanked_.contains({line, delete_flag})) {
            const std::string& flag = values[static_cast<std::size_t>(deleted_at_)];
            const auto is = [&flag](std::string_view word) { return equal_ignoring_case(flag, word); };
            if (is("t") || is("true")) {
                table_.record[0] = dbf_deleted_mark;
            } else if (!flag.empty() && !is("f") && !is("false")) {
                const std::string refusal = "line " + std::to_string(line) + ", column " +
                                            names_[static_cast<std::size_t>(deleted_at_)] +
                                            ": a record is deleted (T, true) or not (F, false)";
                if (const auto outcome = decide(refusal, line, delete_flag, writing)) return *outcome;
            }
        }
        for (std::size_t column = 0; column < values.size() && column < fields_.size(); ++column) {
            const int field = fields_[column];
            if (field < 0 || blanked_.contains({line, field})) continue;
            const std::string reason = store(field, values[column], writing);
            if (write_failed_) return row_outcome::failed;
            if (reason.empty()) continue;
            const std::string refusal = "line " + std::to_string(line) + ", column " + names_[column] + ": " + reason;
            if (const auto outcome = decide(refusal, line, field, writing)) return *outcome;
        }
        return row_outcome::filled;
    }

    // What a refused value makes of its row, or nothing when the row goes
    // on with the field blank. The writing pass meets only refusals the dry
    // run decided; another one means the file changed in between.
    std::optional<row_outcome> decide(const std::string& refusal, std::int64_t line, int field, bool writing)
    {
        const csv_on_error choice =
            writing ? csv_on_error::stop
                    : options_.on_error == csv_on_error::ask && options_.ask ? options_.ask(refusal) : options_.on_error;
        switch (choice) {
        case csv_on_error::skip:
            skipped_lines_.insert(line);
            ++report_.skipped;
            return row_outcome::skipped;
        case csv_on_error::blank:
            blanked_.insert({line, field});
            if (field == delete_flag) table_.record[0] = dbf_live_mark;
            if (field >= 0) {
                ++report_.blanked;
                const auto at = static_cast<std::size_t>(field_offset(table_, field));
                const auto width = static_cast<std::size_t>(field_info(table_, field).length);
                std::copy_n(table_.blank_record.begin() + static_cast<std::ptrdiff_t>(at), width,
                            table_.record.begin() + static_cast<std::ptrdiff_t>(at));
            }
            return std::nullopt;
        case csv_on_error::stop:
        case csv_on_error::ask: break;
        }
        fail(refusal);
        return row_outcome::failed;
    }

    // Puts one value into the record buffer by its field's rules; why not,
    // or "" when it was stored. In the writing pass a memo goes to the memo
    // file, and a failed write sets write_failed_.
    std::string store(int field, const std::string& bytes, bool writing)
    {
        const field_information info = field_info(table_, field);
        for (const char byte : bytes) {
            const auto code = static_cast<unsigned char>(byte);
            if (code < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') {
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02X", code);
                return "the value holds the control byte " + std::string(hex) + ", which is no text";
            }
        }
        std::string text = bytes;
        const code_page page = table_.codepage.page;
        if (from_ != page) {
            if (const std::optional<char32_t> missing = recode_stored(from_, page, bytes, text)) {
                return field_shape(info) + " cannot hold " + character_text(*missing) + ": code page " +
                       std::string(code_page_name(page)) + " has no such character";
            }
        }
        // Numbers, dates and logicals are ASCII; anything else would reach
        // the message in the table's bytes.
        if (info.type != 'M' && info.type != 'C' &&
            std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
            return program_text(bytes) + " is no value for " + field_shape(info);
        }
        switch (info.type) {
        case 'M':
            if (writing && !text.empty() && memos_->store(field, text) != 1) write_failed_ = true;
            return {};
        case 'C': {
            const auto width = static_cast<std::size_t>(info.length);
            if (text.size() > width && text.find_first_not_of(' ', width) != std::string::npos) {
                return "a text of " + std::to_string(text.size()) + (single_byte_code_page(page) ? " characters" : " bytes") +
                       " does not fit " + field_shape(info);
            }
            return store_field_value(table_, field, text);
        }
        case 'N':
        case 'F':
            trim_both(text);
            // A decimal comma, as spreadsheets with ";" between values write it.
            if (std::count(text.begin(), text.end(), ',') == 1 && text.find('.') == std::string::npos) {
                text[text.find(',')] = '.';
            }
            return store_field_value(table_, field, text, number_spelling::with_exponent);
        case 'D': {
            trim_both(text);
            if (text.empty()) return store_field_value(table_, field, text);
            const std::string digits = csv_date_digits(text, options_.date_layout);
            if (digits.empty()) {
                return text + " is no date for " + field_shape(info) + ": dates are read as 2024-01-31" +
                       (options_.date_layout.empty() ? std::string() : " or as " + options_.date_layout);
            }
            return store_field_value(table_, field, digits);
        }
        case 'L': {
            trim_both(text);
            if (equal_ignoring_case(text, "true") || equal_ignoring_case(text, "i")) text = "T";
            if (equal_ignoring_case(text, "false")) text = "F";
            return store_field_value(table_, field, text);
        }
        default:
            return field_shape(info) + " cannot be filled from text";
        }
    }

    table_object& table_;
    const std::string& source_;
    const csv_import_options& options_;
    csv_import_report& report_;
    const std::function<void(int percent)>& progress_;
    file_handle file_;
    std::int64_t size_ = 0;
    csv_layout layout_;
    code_page from_ = code_page::utf8;
    std::vector<std::string> names_;  // per column, as program text
    std::vector<int> fields_;         // per column, -1 when it goes nowhere
    int deleted_at_ = -1;             // the column of the delete flag, when one names it
    std::set<std::int64_t> skipped_lines_;
    std::set<std::pair<std::int64_t, int>> blanked_;  // field -1: the values past the last column
    bool write_failed_ = false;
    memo_batch* memos_ = nullptr;  // the writing pass's
};

}  // namespace

int append_csv(table_object& table, const std::string& source, const csv_import_options& options,
               csv_import_report& report, const std::function<void(int percent)>& progress)
{
    report = {};
    return append_with(table, source, [&] {
        csv_import import(table, source, options, report, progress);
        const int done = import.run();
        if (!done) report.appended = 0;
        return done;
    });
}

int append_workbook(table_object& table, const std::string& workbook, csv_import_options options,
                    csv_import_report& report, const std::function<void(int percent)>& progress)
{
    report = {};
    const sheet_as_csv sheet(workbook);
    if (!sheet.failure().empty()) {
        note_failure(table, sheet.failure());
        return 0;
    }
    options.encoding = csv_encoding::utf8;
    options.delimiter = ',';
    return append_csv(table, sheet.path(), options, report, progress);
}

// Every character has to match, so that "2024-1-31" is no date rather
// than a wrong one.
std::string csv_date_digits(const std::string& text, const std::string& layout)
{
    if (text.size() == 10 && text[4] == '-' && text[7] == '-' && all_digits(text.substr(0, 4)) &&
        all_digits(text.substr(5, 2)) && all_digits(text.substr(8, 2))) {
        return text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
    }
    if (text.size() == 8 && all_digits(text)) return text;
    if (layout.empty() || text.size() != layout.size()) return {};
    std::string year, month, day;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        std::string* part = layout[i] == 'Y' ? &year : layout[i] == 'M' ? &month : layout[i] == 'D' ? &day : nullptr;
        if (part ? !all_digits(text.substr(i, 1)) : text[i] != layout[i]) return {};
        if (part) *part += text[i];
    }
    if (year.size() != 4 || month.size() != 2 || day.size() != 2) return {};
    return year + month + day;
}

std::string detect_csv_layout(file_handle& file, const csv_import_options& options, code_page table_page,
                              csv_layout& layout)
{
    const auto file_failure = [&file] { return file_error_text(file.os.last_error(), file.name); };
    std::string head(header_sample_bytes, '\0');
    std::size_t got = 0;
    if (fh_seek(file, 0, seek_origin::begin) != 0) return file_failure();
    if (!fh_read(file, head.data(), head.size(), got) && !file.end_of_file) return file_failure();
    head.resize(got);
    bool failed = false;
    switch (options.encoding) {
    case csv_encoding::utf8: layout.encoding = code_page::utf8; break;
    case csv_encoding::cp1250: layout.encoding = code_page::cp1250; break;
    case csv_encoding::cp852: layout.encoding = code_page::cp852; break;
    case csv_encoding::detect:
        layout.encoding = head.starts_with(byte_order_mark) || table_page == code_page::utf8 ||
                                  (fh_seek(file, 0, seek_origin::begin) == 0 && file_is_utf8(file, failed))
                              ? code_page::utf8
                              : table_page;
        if (failed) return file_failure();
        break;
    }
    // Values pass from a file to a UTF-8 table unconverted, so nothing
    // else would catch bytes that are no UTF-8.
    if (layout.encoding == code_page::utf8 && table_page == code_page::utf8) {
        const bool valid = fh_seek(file, 0, seek_origin::begin) == 0 && file_is_utf8(file, failed);
        if (failed) return file_failure();
        if (!valid) {
            return file_name_text(file.name) +
                   " is no UTF-8 text, which this table's code page needs: give the file's encoding";
        }
    }
    layout.byte_order_mark = layout.encoding == code_page::utf8 && head.starts_with(byte_order_mark);
    if (layout.byte_order_mark) head.erase(0, byte_order_mark.size());
    layout.delimiter = options.delimiter;
    if (layout.delimiter == 0) layout.delimiter = detect_csv_delimiter(head.substr(0, head.find_first_of("\r\n")));
    return {};
}

bool has_csv_extension(const std::string& file_name)
{
    return file_name.size() > 4 && equal_ignoring_case(std::string_view(file_name).substr(file_name.size() - 4), ".csv");
}

bool is_deleted_flag_column(std::string_view column) { return equal_ignoring_case(column, "_deleted"); }

}  // namespace vortel
