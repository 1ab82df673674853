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

// The first copy name whose table and memo names are both free.
std::unique_ptr<table_object> free_copy(const std::string& path)
{
    for (int number = 1;; ++number) {
        auto copy = table_new(numbered_table_name(path, copy_kind, number));
        if (!file_exists(copy->dbf_name) && !file_exists(copy->dbt_name)) return copy;
    }
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
