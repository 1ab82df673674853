#include "commands/structure_change.h"

#include "commands/file_replacement.h"
#include "engine/create_table.h"
#include "engine/pack_zap.h"
#include "engine/record_copy.h"

namespace vortel {

inline constexpr const char* append_error_text = "Append error !";
// Where the language driver (the code page other programs read) lives.
inline constexpr std::size_t code_page_byte = 29;

restructure_result change_structure(std::unique_ptr<table_object>& table, const std::vector<field_list_entry>& fields,
                                    const std::function<void(int percent)>& progress)
{
    restructure_result result;
    if (!table || !table->open) return result;
    clear_failure(*table);
    rebuild_plan plan;
    plan.header = new_table_header(fields);
    if (plan.header.empty()) return result;
    plan.header[code_page_byte] = table->header.reserved[code_page_byte - 12];
    plan.own_memo = has_memo_field(fields);
    plan.open_copy = true;

    const std::int32_t remembered = current_record(*table);
    enum { not_started, failed, copied } copy = not_started;
    plan.fill = [&](table_object& rebuilt) {
        if (progress) progress(0);
        // Fields are matched by name: a renamed field starts blank.
        const int done = copy_records(*table, rebuilt, map_fields_by_name(*table, rebuilt),
                                      copy_selection::deleted_as_navigated, progress);
        if (!done) note_copy_failure(*table, rebuilt);
        copy = done ? copied : failed;
        return done;
    };
    const rebuild_outcome outcome = run_rebuild(*table, plan);
    result.kept_files = outcome.kept_files;
    result.message = rebuild_message(outcome);
    switch (outcome.status) {
    case rebuild_status::done:
        table.reset();
        result.status = restructure_status::changed;
        return result;
    case rebuild_status::busy:
        result.message.clear();
        result.status = restructure_status::table_busy;
        return result;
    case rebuild_status::refused:
        result.status = restructure_status::not_created;
        return result;
    case rebuild_status::failed:
        break;
    }
    if (!table->open) {
        table.reset();
        result.status = restructure_status::failed;
        return result;
    }
    go_to(*table, remembered);
    switch (copy) {
    case not_started: result.status = restructure_status::not_created; break;
    case failed:
        result.status = restructure_status::copy_failed;
        result.message = std::string(append_error_text) + " " + result.message;
        break;
    case copied: result.status = restructure_status::not_replaced; break;
    }
    return result;
}

}  // namespace vortel
