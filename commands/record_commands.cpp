#include "commands/record_commands.h"

#include "engine/table.h"

namespace vortel {

command_result toggle_delete(table_object& table)
{
    if (is_read_only(table)) return {false, read_only_refusal(table)};
    if (current_record(table) < 1) return {};  // an empty table has no record to mark
    // The mark the user sees decides the direction; the record itself is read
    // again under the lock, so that writing the mark back cannot undo what
    // another process stored in the record since it was read.
    const bool recall = is_deleted(table) != 0;
    if (!lock_record(table)) return {false, record_busy_text};
    bool done = false;
    if (step(table, 0)) {
        if (recall) {
            done = !is_deleted(table) || recall_record(table);
        } else {
            done = is_deleted(table) || delete_record(table);
        }
    }
    unlock(table);
    // A mark that did not reach the file must not stay on screen.
    if (!done) step(table, 0);
    return {done, {}};
}

command_result append_new_record(table_object& table)
{
    if (is_read_only(table)) return {false, read_only_refusal(table)};
    if (!lock_table(table)) return {false, table_busy_text};
    const bool appended = append_blank(table) != 0;
    unlock(table);
    if (!appended) return {false, append_error_text};
    return {true, {}};
}

}  // namespace vortel
