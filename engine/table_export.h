// Writing a table out for other programs: as comma-separated text, as JSON
// Lines (one object per record) or as a spreadsheet workbook.
//
// Every export runs under the table lock, so the output is one consistent
// state of the table, refuses the table's own DBF and DBT files, writes
// under a temporary name that takes the output's own only when the output
// is complete, and puts the table back on the record it stood on (see
// engine/export_output.h). Values are read as engine/export_cells.h says.
#pragma once

#include "engine/table.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vortel {

enum class export_format { csv, jsonl, xlsx };

// Deleted records are left out, or written with one more column,
// `_deleted`, true for them and false for the others.
enum class deleted_records { skip, mark };

enum class date_style {
    iso,      // 2024-01-31
    picture,  // as the grid shows dates, through "@D" and SET_DATEFORMAT
};

enum class logical_style {
    letters,  // T and F
    words,    // true and false
};

struct export_options {
    export_format format = export_format::csv;
    deleted_records deleted = deleted_records::skip;
    // CSV only; JSON Lines and workbooks are always UTF-8 and typed.
    char delimiter = ',';
    bool table_code_page = false;  // the table's stored bytes instead of UTF-8
    bool byte_order_mark = false;  // for spreadsheet programs that need one to read UTF-8
    date_style dates = date_style::iso;
    logical_style logicals = logical_style::letters;
    bool crlf = true;  // CR LF after each line, or LF alone
};

// The format a file name's extension names (.csv, .jsonl, .xlsx in any
// letter case); none for other names.
std::optional<export_format> export_format_for(std::string_view path);

// What the grid shows decides the default: deleted records the navigation
// hides are left out; shown ones are written and marked.
deleted_records deleted_records_as_navigated(const navigation_options& navigation);

// The most rows a sheet holds after its header row.
inline constexpr std::int64_t sheet_record_max = 1048575;

// The three outcomes of an export.
inline constexpr int export_written = 1;
inline constexpr int export_failed = 0;    // the reason is noted on the table
inline constexpr int export_cancelled = -1;

// Writes the table to `output`. `progress`, when given, sees the percentage
// of records read rise from 0 to 100 and answers whether to go on: false
// cancels, and the output is then left as it was. A value the format cannot
// hold fails the export with a reason naming the record and the field.
int export_table(table_object& table, const std::string& output, const export_options& options,
                 const std::function<bool(int percent)>& progress = {});

}  // namespace vortel
