// Changing the structure of an open table: a rebuild (commands/
// table_rebuild.h) whose copy has the new fields, with the records copied
// into it by field name, so that no failure leaves a table that cannot be
// opened or that lost its memos. The new header keeps the old table's code
// page byte (29), which other programs read to show its texts.
#pragma once

#include "commands/table_rebuild.h"
#include "engine/field_list_entry.h"
#include "engine/table.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vortel {

enum class restructure_status {
    changed,       // the new files stand under the table's name
    not_created,   // the new table could not be created, or the table cannot be rebuilt; nothing happened
    table_busy,    // the table is in use elsewhere; nothing was copied
    copy_failed,   // a record or memo could not be copied; the table is unchanged
    not_replaced,  // the files could not be exchanged; the old table stays
    failed,        // the old table is not under its name any more (see kept_files)
};

struct restructure_result {
    restructure_status status = restructure_status::not_created;
    // What the front-end shows, "" when done or busy: what failed, in plain
    // words, after "Append error ! " for a failed copy.
    std::string message;
    std::vector<std::string> kept_files;  // left for the next open's recovery or the user
};

// Changes the structure of the window's open table to `fields`. Afterwards
// `table` is null when the window has no table any more: after a change
// (the window closes; the user opens the table again) and when the old table
// is not under its name. Otherwise it holds the old table as it was,
// standing on the record it stood on before.
// `progress` receives 0 and then a percentage every 102 records.
restructure_result change_structure(std::unique_ptr<table_object>& table, const std::vector<field_list_entry>& fields,
                                    const std::function<void(int percent)>& progress = {});

}  // namespace vortel
