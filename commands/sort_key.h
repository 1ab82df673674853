// The sort command of a table window: from the sort fields the user chose
// to the list of field indexes that keys the sort, and the sort with the
// chosen collation. The sort is a rebuild (commands/table_rebuild.h): the
// records in key order go into a copy of the table file, which takes the
// table's place and shares its memo file, so it is refused like pack while
// another process has the table open.
//
// Fields are known by index, never by name, as tables from the wild hold
// two fields of one name. The desktop sort dialog and vortel-cli's sort
// both come here; the results carry the message to show, and the front-end
// shows it.
#pragma once

#include "engine/sort_table.h"
#include "engine/table.h"
#include "grid/column_model.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortel {

// Only this many sort fields count; the rest of the list is ignored.
inline constexpr std::size_t sort_fields_max = 63;
// The key text may reach this length with a "+" after every name, so the
// key passed to the sort is at most 253 characters.
inline constexpr std::size_t sort_key_text_max = 254;

inline constexpr std::string_view sort_empty_message = "Empty sort table!";
inline constexpr std::string_view sort_too_long_message = "Sorry, too long sort key!";
inline constexpr std::string_view sort_ready_message = "The sort is ready.";
inline constexpr std::string_view sort_failed_message = "The sort is not succesful!";

// English compares bytes; Magyar sorts accented vowels with their base vowels.
enum class sort_collation { english, magyar };
inline constexpr std::array<std::string_view, 2> sort_collation_names{"English", "Magyar"};

enum class sort_status {
    empty_list,    // nothing chosen
    key_too_long,  // the dialog closes without sorting
    sorted,        // the table window repaints
    not_sorted,    // refused key, busy table, failed read or write
};

struct sort_outcome {
    sort_status status;
    // The message; after "The sort is not succesful!" comes what failed.
    std::string message;
};

// The dialog's list of fields: for each field of the table in order, the
// caption of the table window's column that shows it, or an empty entry
// when none does. Columns show fields by name; of fields that share a name,
// the first column of that name shows the first of them, and so on.
std::vector<std::string> sort_dialog_fields(const table_object& table, const std::vector<column_descriptor>& columns);

// The names of a key text written as NAME+CITY.
std::vector<std::string> split_sort_key(std::string_view key);

// NAME+CITY from the first 63 names, or nothing when the key text would pass
// 254 characters.
std::optional<std::string> build_sort_key(const std::vector<std::string>& field_names);

struct sort_key_fields {
    std::vector<int> fields;
    std::string message;  // why the key text was refused, "" when it was not
};

// A key text of names and 1-based field numbers, NAME+CITY or #3+#1, as
// field indexes. A name two fields share is refused unless given as its
// number. The key ends before the first name that is no field of the table,
// so a key whose first name is none has no fields.
sort_key_fields parse_sort_key(const table_object& table, std::string_view key);

// The whole "&Sort": checks the list (field indexes in key order) and sorts
// in the collation given, which holds for this sort alone. After a sort the same table object is open again on the
// sorted file, on the same record number; after a failure it is as it was.
sort_outcome sort_command(table_object& table, const std::vector<int>& fields, sort_collation collation,
                          std::size_t memory_budget = sort_memory_budget_default);

}  // namespace vortel
