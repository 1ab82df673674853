// New table files from a list of fields, and the names of the numbered
// copies that rebuilds write beside a table.
#pragma once

#include "engine/field_list_entry.h"
#include "engine/table.h"

#include <string>
#include <vector>

namespace vortel {

// Writes an empty table under `t`'s file name: header, descriptors and
// terminator dated today, and with a memo field the memo file's header
// block. Existing files of those names are overwritten. `t` must not be
// open and is not opened. 1, or 0 when a file cannot be written or the list
// cannot describe a table (no fields, or lengths past what the header holds)
// or its memo file would be the table itself (noted on `t`); on failure
// nothing half-written is left under the names.
int create_table(table_object& t, const std::vector<field_list_entry>& fields);

// `base` followed by the first decimal number from `first` on under which no
// file exists; with `with_memo` its memo file name must be free too, so that
// creating the table overwrites nothing.
std::string free_numbered_name(const std::string& base, int first, bool with_memo);

// Removes a table this program created under a numbered name, with its memo
// file when it has one. Files another process holds open stay.
void remove_table_files(const std::string& dbf_name, bool with_memo);

}  // namespace vortel
