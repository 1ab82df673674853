// New table files from a list of fields.
#pragma once

#include "engine/field_list_entry.h"
#include "engine/table.h"

#include <string>
#include <vector>

namespace vortel {

// Writes an empty table under `t`'s file name: header, descriptors and
// terminator dated today, byte 29 naming `t`'s code page (0 for a code page
// without a language driver byte), and with a memo field the memo file's
// header block. Existing files of those names are overwritten. `t` must not be
// open and is not opened. 1, or 0 when a file cannot be written or the list
// cannot describe a table (no fields, or lengths past what the header holds)
// or its memo file would be the table itself (noted on `t`); on failure
// nothing half-written is left under the names.
[[nodiscard]] int create_table(table_object& t, const std::vector<field_list_entry>& fields);

// The header area create_table writes for `fields`, dated today; empty when
// the list cannot describe a table.
std::vector<std::uint8_t> new_table_header(const std::vector<field_list_entry>& fields);

// Whether some field of the list is a memo field.
bool has_memo_field(const std::vector<field_list_entry>& fields);

}  // namespace vortel
