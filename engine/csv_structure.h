// The structure of a new table proposed from the rows of a CSV file, for
// the table the rows then fill through append_csv.
//
// A column's values decide its field; blank values decide nothing, and a
// column of blanks only is C(1):
//  1. L when every value is T, F, Y, N, I, true or false (any letter case).
//  2. D when every value is a calendar date written 2024-01-31 or in the
//     grid's date layout.
//  3. N when every value is a number as a field shows it back (-12, 0.25:
//     no exponent, no leading zero, no "+", no "-0"), as wide as the widest
//     integer part plus the most decimals seen, at most 19; the decimals
//     are the most seen.
//  4. Otherwise C as wide as the longest value in the table's code page
//     (blanks at the end do not count, as a C field does not keep them),
//     or M when that is over 254 bytes.
// The proposal never makes a field that would store a value other than the
// one the file holds, beyond the decimals and the letters of a logical:
// a number that a field would spell otherwise ("007", "1e3") keeps its
// column C.
#pragma once

#include "engine/csv_import.h"
#include "engine/field_list_entry.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vortel {

// The longest text a C field is proposed for; longer ones go into memos.
inline constexpr std::size_t proposed_text_max = 254;

// What one column's values make of its field, value by value.
class csv_column_survey {
public:
    // `value` in the table's code page (only its length counts for texts);
    // `date_layout` as csv_import_options has it.
    void add(std::string_view value, const std::string& date_layout);
    // The field proposed for the values added, named `name`.
    field_list_entry field(const std::string& name) const;

private:
    bool logical_ = true;
    bool date_ = true;
    bool number_ = true;
    bool any_ = false;
    std::size_t integer_digits_ = 0;  // the sign included
    std::size_t decimals_ = 0;
    std::size_t longest_ = 0;
};

// Valid field names for the header row's column names (program text):
// upper case, accents dropped, every run of other characters one "_", at
// most 10 characters, a letter first ("F" before a digit), each name
// unique (a "_2" suffix); FIELD3 for the third column with no name.
std::vector<std::string> field_names_for_columns(const std::vector<std::string>& columns);

struct csv_structure {
    std::vector<field_list_entry> fields;
    // Per column of the file: the field it fills ("" for none), for
    // csv_import_options::column_fields.
    std::vector<std::string> column_fields;
    // A column whose name was changed for its field: "Column Név is field NEV".
    std::vector<std::string> renames;
};

// Reads the CSV file `source` as append_csv would read it into a table
// whose texts are in `table_page`, and proposes the table's fields. "" when
// proposed; otherwise why not, in plain words naming the line.
std::string propose_csv_structure(const std::string& source, const csv_import_options& options,
                                  code_page table_page, csv_structure& structure);

}  // namespace vortel
