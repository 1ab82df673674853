// A new table made from a CSV file: its structure proposed from the rows
// (engine/csv_structure.h) or as the user edited it, then filled from the
// same rows through append_csv.
//
// The table is made and filled under a copy's name beside it (T.NEW1.DBF)
// and given its own name only when every row is in, so a refused value or
// a failure on the way leaves no half-made table, and a table it is asked
// to replace stays as it was until then.
#pragma once

#include "engine/csv_import.h"
#include "engine/field_list_entry.h"
#include "platform/code_page.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vortel {

struct csv_creation_result {
    bool created = false;
    // Why not, in program text: the structure's refusal ("Empty table!"),
    // "The file already exist, overwite ?" for a table not to be replaced,
    // or the append's refusal.
    std::string message;
    csv_import_report report;
};

// Creates `path` with `fields` in code page `page` (none: as
// SET_OEMTOANSI gives) and appends the rows of `source` to it by
// `options`; an existing file of that name is replaced only when
// `overwrite` says so.
csv_creation_result create_table_from_csv(const std::string& path, std::optional<code_page> page,
                                          const std::vector<field_list_entry>& fields, const std::string& source,
                                          const csv_import_options& options, bool overwrite,
                                          const std::function<void(int percent)>& progress = {});

}  // namespace vortel
