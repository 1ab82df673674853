// Pack and zap: the two whole-table rebuilds. Neither touches the table's
// own files; each writes a new table beside it under a free numbered name
// and gives that name back. Putting the new files in place of the old ones
// is the file replacement's work (commands/file_replacement.h).
#pragma once

#include "engine/table.h"

#include <functional>
#include <string>

namespace vortel {

// An empty table of the same fields under the table's name followed by the
// first free number from its field count on (PEOPLE.DBF with 3 fields gives
// PEOPLE.DBF3). Result of create_table; `copy_name` is set on success.
int make_empty_copy(table_object& table, std::string& copy_name);

// Under the table lock, a copy holding the live records in their order with
// their memos written afresh. 1 with `copy_name` set, or 0 when the table
// lock is refused or the copy cannot be made (no copy is left then). The
// table keeps its current record. `progress`, when given, sees the
// percentage of records copied rise from 0 to 100, 100 once the copy stands.
// (Two overloads rather than a default argument, so that pack and zap keep
// one function type.)
int pack_table(table_object& table, std::string& copy_name);
int pack_table(table_object& table, std::string& copy_name, const std::function<void(int percent)>& progress);

// Under the table lock, an empty copy. 1 with `copy_name` set, or 0 when the
// table lock is refused or the copy cannot be created.
int zap_table(table_object& table, std::string& copy_name);

}  // namespace vortel
