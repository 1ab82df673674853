// The record commands of a table window: the delete toggle and New record.
//
// Commands change the table and hand back the message a front-end shows in
// its warning box; they show nothing themselves. On a read-only table every
// command that would change it is refused with read_only_refusal (engine/
// table.h) as its message, before any lock is asked for.
#pragma once

#include <string>

namespace vortel {

struct table_object;

struct command_result {
    bool done = false;    // the table now is as the command asked
    std::string message;  // Windows-1250 text for the warning box; empty: nothing to show
};

inline constexpr const char* record_busy_text = "The record busy.";
inline constexpr const char* table_busy_text = "The table busy !";
inline constexpr const char* append_error_text = "Append error !";

// Deletes the current record, or recalls it when it carries the delete mark,
// under the record lock. No question is asked; a refused lock changes nothing.
command_result toggle_delete(table_object& table);

// Appends one blank record under the table lock; it becomes the current one.
command_result append_new_record(table_object& table);

}  // namespace vortel
