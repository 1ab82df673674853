#include "commands/csv_table_creation.h"

#include "commands/field_validation.h"
#include "commands/rebuild_names.h"
#include "commands/transfer_failure.h"
#include "engine/create_table.h"
#include "engine/table_code_page.h"
#include "platform/error_text.h"
#include "platform/native_file.h"
#include "text/text_ops.h"

namespace vortel {
namespace {

// The first copy name whose table and memo names are both free; none when
// every numbered name is taken.
std::unique_ptr<table_object> free_copy(const std::string& path)
{
    const numbered_claim claim = claim_numbered_name(path, copy_kind, [](const std::string& name) {
        return file_exists(name) || file_exists(dbt_file_name(name)) ? name_try::in_use : name_try::claimed;
    });
    return claim.outcome == name_try::claimed ? table_new(claim.name) : nullptr;
}

void remove_copy(const table_object& copy, bool memo)
{
    (void)delete_file(copy.dbf_name);
    if (memo) (void)delete_file(copy.dbt_name);
}

}  // namespace

csv_creation_result create_table_from_csv(const std::string& path, std::optional<code_page> page,
                                          const std::vector<field_list_entry>& fields, const std::string& source,
                                          const csv_import_options& options, bool overwrite,
                                          const std::function<void(int percent)>& progress)
{
    csv_creation_result result;
    result.message = check_table_definition(path, fields);
    if (!result.message.empty()) return result;
    if (file_exists(path) && !overwrite) {
        result.message = "The file already exist, overwite ?";
        return result;
    }
    auto copy = free_copy(path);
    if (!copy) {
        result.message = "No free name for the new table beside " + file_name_text(path);
        return result;
    }
    if (page) choose_code_page(*copy, *page);
    if (!create_table(*copy, fields)) {
        result.message = copy->failure.empty() ? file_name_text(copy->dbf_name) + ": cannot be created" : copy->failure;
        return result;
    }
    const bool memo = has_memo_field(fields);
    if (!table_open(*copy) || !append_csv(*copy, source, options, result.report, progress)) {
        result.message = append_failure_text(*copy);
        table_close(*copy);
        remove_copy(*copy, memo);
        return result;
    }
    table_close(*copy);
    // The memo file first: a table in place without its memo file could
    // not be opened.
    const auto target = table_new(path);
    const auto put = [overwrite](const std::string& from, const std::string& to) {
        return overwrite ? replace_file(from, to) : move_file(from, to);
    };
    int error = memo ? put(copy->dbt_name, target->dbt_name) : 0;
    if (error == 0) error = put(copy->dbf_name, target->dbf_name);
    if (error != 0) {
        result.message = file_error_text(error, path);
        if (memo && !overwrite && !file_exists(copy->dbt_name)) (void)delete_file(target->dbt_name);
        remove_copy(*copy, memo);
        return result;
    }
    result.created = true;
    return result;
}

}  // namespace vortel
