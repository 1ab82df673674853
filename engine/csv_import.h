// Appending the rows of a CSV file to a table.
//
// The header row names the columns; a column goes into the field of the
// same name (letter case and blanks around ignored). A column naming no
// field is passed over and said once; a field no column names stays blank.
// A `_deleted` column, as exports write it, marks records deleted by T or
// true (F, false or nothing: live), unless a field has that name.
// Every value goes through its field's store rules and is taken whole or
// refused, never cut:
//  - C: the text; longer than the field is refused.
//  - N, F: a number with "." or a single "," as decimal sign, an exponent
//    allowed; blank stores a blank field.
//  - D: 2024-01-31, the date layout given (as the grid shows dates), or
//    the stored 20240131; blank stores a blank date.
//  - L: T/F, Y/N, I/N, true/false in any letter case, "?"; blank stores a
//    blank.
//  - M: the text whole, into the memo file.
// Control bytes other than tab, CR and LF are no text and are refused in
// every field.
//
// Two passes, both under the table lock: a dry run takes every row through
// the rules without writing, and each refused value is decided then
// (stop, skip the row, store the field blank); only when every row is
// decided does the append run, through the same path as append_from, so a
// stop leaves the files untouched and a failure on the way is taken back.
#pragma once

#include "engine/table.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vortel {

enum class csv_encoding { detect, utf8, cp1250, cp852 };

// What happens to a row holding a value its field refuses.
enum class csv_on_error { stop, skip, blank, ask };

struct csv_import_options {
    char delimiter = 0;  // 0: detected from the header row
    // detect: UTF-8 when the whole file is valid UTF-8 (a byte order mark
    // at its start says so too), otherwise the table's own code page.
    csv_encoding encoding = csv_encoding::detect;
    csv_on_error on_error = csv_on_error::stop;
    // With `ask`: shown the refusal ("line 7, column AMOUNT: ..."), gives
    // stop, skip or blank.
    std::function<csv_on_error(const std::string& refusal)> ask;
    // The placeholders the grid lays dates out with ("YYYY.MM.DD"); dates
    // in this form are taken besides 2024-01-31.
    std::string date_layout;
    // A longer value is taken for damage, not data.
    std::size_t longest_value = std::size_t{16} << 20;
    // When given, the field each column goes into, by position, instead of
    // the field the header row names: a new table's fields are named from
    // the header row but not always as it writes them ("Név" is NEV).
    std::vector<std::string> column_fields;
};

struct csv_import_report {
    std::int64_t appended = 0;
    std::int64_t skipped = 0;   // rows left out by `skip`
    std::int64_t blanked = 0;   // fields stored blank by `blank`
    // Said once each, in program text: columns naming no field.
    std::vector<std::string> notes;
};

// 1 when every row not skipped was appended; 0 otherwise, with the reason
// noted on the table (a refused value "line 7, column AMOUNT: ...", a
// file that cannot be read as CSV "line 3: ...", the refusals of
// append_from), and the table's files as they were. `progress` as for
// append_from, over both passes.
int append_csv(table_object& table, const std::string& source, const csv_import_options& options,
               csv_import_report& report, const std::function<void(int percent)>& progress = {});

// The same for the first sheet of a workbook, read as the UTF-8 CSV text it
// makes (engine/xlsx_import.h); a file that is no readable workbook is
// refused with the reason noted, and the table left alone.
int append_workbook(table_object& table, const std::string& workbook, csv_import_options options,
                    csv_import_report& report, const std::function<void(int percent)>& progress = {});

// How a CSV file is written.
struct csv_layout {
    code_page encoding = code_page::utf8;
    bool byte_order_mark = false;  // a UTF-8 mark at the start, passed over
    char delimiter = ',';
};

// The encoding and delimiter of the CSV file open in `file`, as `options`
// give them or as the file shows them, for a table whose texts are in
// `table_page`. "" when found; otherwise why not, in plain words.
std::string detect_csv_layout(file_handle& file, const csv_import_options& options, code_page table_page,
                              csv_layout& layout);

// The stored digits (20240131) of a date written 2024-01-31, in the grid's
// `layout` ("YYYY.MM.DD") or as stored; "" for any other text.
std::string csv_date_digits(const std::string& text, const std::string& layout);

// Whether a file is to be read as CSV by its name: a .csv extension in any
// letter case.
bool has_csv_extension(const std::string& file_name);

// Whether a column holds the delete flag that exports write ("_deleted", any
// letter case), not a field.
bool is_deleted_flag_column(std::string_view column);

}  // namespace vortel
