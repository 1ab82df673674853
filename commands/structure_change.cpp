#include "commands/structure_change.h"

#include "engine/create_table.h"
#include "engine/record_copy.h"

#include <algorithm>

namespace vortel {
namespace {

// The text for a file step that failed; `reopened` tells whether the old
// table is open again, which makes the table-file steps worth no message.
std::string step_message(replacement_step step, bool reopened)
{
    switch (step) {
    case replacement_step::memo_aside: return "DBT-file delete error.";
    case replacement_step::memo_in: return "DBT-file create error.";
    case replacement_step::table_aside: return reopened ? "" : "DeleteFile error.";
    case replacement_step::table_in: return reopened ? "" : "MoveFile error.";
    case replacement_step::none: break;
    }
    return {};
}

}  // namespace

restructure_result change_structure(std::unique_ptr<table_object>& table, const std::vector<field_list_entry>& fields,
                                    const std::function<void(int percent)>& progress)
{
    restructure_result result;
    if (!table || !table->open) return result;
    const std::string name = table_file_name(*table);
    const bool new_has_memo =
        std::any_of(fields.begin(), fields.end(), [](const field_list_entry& f) { return f.type == 'M'; });

    const std::string new_name = free_numbered_name(name, 0, new_has_memo);
    if (!create_table(*table_new(new_name), fields)) return result;
    auto rebuilt = table_new(new_name);
    if (!table_open(*rebuilt)) {
        rebuilt.reset();
        remove_table_files(new_name, new_has_memo);
        return result;
    }

    const std::int32_t remembered = current_record(*table);
    const std::vector<int> mapping = map_fields_by_name(*table, *rebuilt);
    if (!lock_table(*rebuilt) || !lock_table(*table)) {
        rebuilt.reset();
        remove_table_files(new_name, new_has_memo);
        result.status = restructure_status::table_busy;
        return result;
    }
    if (progress) progress(0);
    const int copied = copy_records(*table, *rebuilt, mapping, copy_selection::as_navigated, progress);
    unlock(*table);
    rebuilt.reset();
    if (!copied) {
        remove_table_files(new_name, new_has_memo);
        result.status = restructure_status::copy_failed;
        result.message = "Append error !";
        return result;
    }

    // Our own handles would make the table's files refuse to move.
    table.reset();
    result.replacement = replace_table_files(name, new_name, new_has_memo);
    if (result.replacement.replaced) {
        result.status = restructure_status::changed;
        return result;
    }
    if (result.replacement.table_in_place) {
        table = table_new(name);
        if (table_open(*table)) {
            go_to(*table, remembered);
        } else {
            table.reset();
        }
    }
    result.status = table ? restructure_status::not_replaced : restructure_status::failed;
    result.message = step_message(result.replacement.failed_step, table != nullptr);
    return result;
}

}  // namespace vortel
