#include "commands/csv_table_creation.h"

#include "commands/field_validation.h"
#include "commands/rebuild_names.h"
#include "commands/transfer_failure.h"
#include "engine/create_table.h"
#include "engine/table_code_page.h"
#include "platform/error_text.h"
#include "platform/native_file.h"
#include "text/text_ops.h"

#include <cerrno>

namespace vortel {
namespace {

// Makes `name` as a new empty file; a name that exists in any form is in
// use. Made, not looked at: two programs making tables beside one another
// would otherwise both take the first free name and write into one file.
name_try create_new_file(const std::string& name)
{
    native_file file;
    if (file.open(name, access_write, share_none, file_creation::create_new)) return name_try::claimed;
    return file.last_error() == EEXIST ? name_try::in_use : name_try::failed;
}

// The first copy name whose table and memo names were both free, made as
// empty files that the copy then fills; none when every numbered name is
// taken or a name could not be made.
std::unique_ptr<table_object> free_copy(const std::string& path, bool memo, std::string& refusal)
{
    const numbered_claim claim = claim_numbered_name(path, copy_kind, [memo](const std::string& name) {
        const name_try table = create_new_file(name);
        if (table != name_try::claimed || !memo) return table;
        const name_try memo_file = create_new_file(dbt_file_name(name));
        if (memo_file != name_try::claimed) (void)delete_file(name);
        return memo_file;
    });
    if (claim.outcome == name_try::claimed) return table_new(claim.name);
    refusal = claim.outcome == name_try::in_use ? "No free name for the new table beside " + file_name_text(path)
                                                : file_name_text(claim.name) + ": cannot be created";
    return nullptr;
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
    const bool memo = has_memo_field(fields);
    auto copy = free_copy(path, memo, result.message);
    if (!copy) return result;
    if (page) choose_code_page(*copy, *page);
    if (!create_table(*copy, fields)) {
        result.message = copy->failure.empty() ? file_name_text(copy->dbf_name) + ": cannot be created" : copy->failure;
        remove_copy(*copy, memo);
        return result;
    }
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
