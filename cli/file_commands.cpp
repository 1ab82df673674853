#include "cli/file_commands.h"

#include "cli/cli_command.h"
#include "commands/field_validation.h"
#include "commands/file_replacement.h"
#include "commands/record_commands.h"
#include "commands/structure_change.h"
#include "engine/create_table.h"
#include "text/text_ops.h"

#include <ostream>

namespace vortel {
namespace {

// The field definitions after the table name, checked by the structure
// dialog's rules; nullopt after the dialog's message.
std::optional<std::vector<field_list_entry>> field_list(cli_context& context)
{
    std::vector<std::string> definitions;
    for (std::size_t i = 1; i < context.positional.size(); ++i) definitions.push_back(context.text(i));
    field_list_check checked = parse_field_list(definitions);
    if (checked.message.empty()) checked.message = check_table_definition(context.positional[0], checked.fields);
    if (!checked.message.empty()) {
        context.fail(checked.message);
        return std::nullopt;
    }
    return checked.fields;
}

// Rebuild messages name files by their paths, which are not program text.
int fail_with_paths(cli_context& context, const std::string& message)
{
    context.errors << message << "\n";
    return cli_failure;
}

int rebuild(cli_context& context, rebuild_kind kind)
{
    auto table = context.open_table_to_change(0);
    if (!table) return cli_failure;
    const rebuild_result result = rebuild_table(table, kind);
    return result.status == rebuild_status::done ? cli_success : fail_with_paths(context, result.message);
}

}  // namespace

int run_create_command(cli_context& context)
{
    auto fields = field_list(context);
    if (!fields) return cli_failure;
    const std::string& path = context.positional[0];
    // The dialog asks before overwriting; here the question is answered in advance.
    if (file_exists(path) && !context.has("--overwrite")) return context.fail("The file already exist, overwite ?");
    auto table = table_new(path);
    // Without --codepage the table is created in the code page SET_OEMTOANSI gives.
    if (context.chosen_page) choose_code_page(*table, *context.chosen_page);
    if (!create_table(*table, *fields)) {
        if (!table->failure.empty()) return context.fail(table->failure);
        context.errors << "vortel-cli: cannot create " << path << "\n";
        return cli_failure;
    }
    return cli_success;
}

int run_modify_command(cli_context& context)
{
    auto fields = field_list(context);
    if (!fields) return cli_failure;
    auto table = context.open_table_to_change(0);
    if (!table) return cli_failure;
    const restructure_result result = change_structure(table, *fields);
    if (result.status == restructure_status::changed) return cli_success;
    return fail_with_paths(context, result.message.empty() ? std::string(table_busy_text) : result.message);
}

int run_pack_command(cli_context& context) { return rebuild(context, rebuild_kind::pack); }

int run_zap_command(cli_context& context) { return rebuild(context, rebuild_kind::zap); }

}  // namespace vortel
