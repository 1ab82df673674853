// The first sheet of a spreadsheet workbook (.xlsx) as CSV text, so that
// the CSV import reads a workbook's rows by the same rules as a CSV file's.
// The workbook is read through libzip and expat.
//
//  1. Each sheet row is the CSV row on the line of its row number; rows
//     without values are empty lines, which the CSV reader passes over. So
//     "line 7" of a refusal is row 7 while no cell above holds a line break.
//  2. Texts stay as they are (UTF-8). A number is the shortest spelling
//     of the double the sheet stores, without exponent (1e-05 is 0.00001),
//     padded with zeros to the decimals its number format shows (12.5
//     under "0.00" is 12.50), never rounded. A number under a date format is its date,
//     2024-01-31, with a time of day 2024-01-31 13:45:00, as are ISO 8601
//     date cells. Booleans are T and F, error values (#DIV/0!) their text,
//     formulas their stored result (none: an empty cell).
//  3. A file that is no workbook, or lacks the parts a sheet needs, is
//     refused with the reason; nothing is guessed.
#pragma once

#include <string>

namespace vortel {

// Writes the first sheet of `workbook` to `csv_path` as UTF-8 CSV with ","
// between values. "" when written; otherwise why not, in plain words.
std::string write_sheet_as_csv(const std::string& workbook, const std::string& csv_path);

// A workbook's first sheet in a CSV file among the system's short-lived
// files, removed again with this object.
class sheet_as_csv {
public:
    explicit sheet_as_csv(const std::string& workbook);
    ~sheet_as_csv();
    sheet_as_csv(const sheet_as_csv&) = delete;
    sheet_as_csv& operator=(const sheet_as_csv&) = delete;

    const std::string& path() const { return path_; }
    // Why the sheet could not be written; "" when it was.
    const std::string& failure() const { return failure_; }

private:
    std::string path_;
    std::string failure_;
};

// Whether a file is read as a workbook by its name: .xlsx in any letter case.
bool has_xlsx_extension(const std::string& file_name);

}  // namespace vortel
