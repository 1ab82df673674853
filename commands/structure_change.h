// Changing the structure of an open table: a table of the new fields is
// built beside it under a free numbered name, the records are copied with
// the fields matched by name, and the new files then take the place of the
// old ones through backup names (commands/file_replacement.h), so that no
// failure leaves a table that cannot be opened or that lost its memos.
#pragma once

#include "commands/file_replacement.h"
#include "engine/field_list_entry.h"
#include "engine/table.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vortel {

enum class restructure_status {
    changed,       // the new files stand under the table's name
    not_created,   // the new table could not be created or opened; nothing happened
    table_busy,    // a table lock was refused; nothing was copied
    copy_failed,   // a record or memo could not be copied; the table is unchanged
    not_replaced,  // the files could not be exchanged; the old table is open again
    failed,        // the old table could not be opened again
};

struct restructure_result {
    restructure_status status = restructure_status::not_created;
    // What the front-end shows, "" when there is nothing to say: one of
    // "DBT-file delete error.", "DBT-file create error.", "MoveFile error.",
    // "DeleteFile error." for the file exchange, "Append error !" for a
    // failed copy.
    std::string message;
    replacement_result replacement;  // how the file exchange went, when it ran
};

// Changes the structure of the window's open table to `fields`. Afterwards
// `table` is null when the window has no table any more: after a change
// (the window closes; the user opens the table again) and when the old table
// could not be opened again. Otherwise it holds the old table, reopened if
// the files were touched, standing on the record it stood on before.
// `progress` receives 0 and then a percentage every 102 records.
restructure_result change_structure(std::unique_ptr<table_object>& table, const std::vector<field_list_entry>& fields,
                                    const std::function<void(int percent)>& progress = {});

}  // namespace vortel
