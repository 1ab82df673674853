// The rows of a query as a new table, so that they can be shown, printed
// and exported like any table.
//
// Each result column becomes a field as a CSV column would
// (engine/csv_structure.h): L for T/F values, D for ISO dates, N for
// numbers as wide as the widest, C as long as the longest text, M past
// 254 bytes; NULL is a blank field. The table is in UTF-8, said by a .cpg
// file beside it, so every character of the result is kept.
#pragma once

#include "query/sql_values.h"

#include <string>
#include <vector>

namespace vortel {

struct result_rows {
    std::vector<std::string> names;  // UTF-8, as the query named the columns
    std::vector<std::vector<sql_value>> rows;
};

// The fields the rows make, named after the columns as valid field names
// (COUNT(*) is COUNT, a second NEV is NEV_2).
std::vector<field_list_entry> result_fields(const result_rows& result);

// Writes the rows into a new table `path` (and its memo and .cpg files),
// replacing files of those names. "" when written; otherwise why not, in
// plain words, and nothing is left under the names.
std::string write_result_table(const std::string& path, const result_rows& result);

}  // namespace vortel
