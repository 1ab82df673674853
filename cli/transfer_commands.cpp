#include "cli/transfer_commands.h"

#include "cli/cli_command.h"
#include "cli/csv_append_command.h"
#include "commands/record_commands.h"
#include "commands/sort_key.h"
#include "commands/transfer_failure.h"
#include "engine/append_from.h"
#include "engine/export.h"
#include "runtime/settings.h"
#include "text/text_ops.h"

#include <optional>
#include <ostream>

namespace vortel {
namespace {

// The export commands ask before overwriting; here --overwrite answers in advance.
bool may_write(cli_context& context, const std::string& path)
{
    if (!file_exists(path) || context.has("--overwrite")) return true;
    context.fail("The file already exist, overwite ?");
    return false;
}

// --encoding: only UTF-8, as the export's alternative to its usual form.
std::optional<export_encoding> output_encoding(cli_context& context)
{
    if (!context.has("--encoding")) return export_encoding::usual;
    if (code_page_from_name(context.options["--encoding"]) == code_page::utf8) return export_encoding::utf8;
    context.errors << "vortel-cli: --encoding takes utf-8, not " << context.options["--encoding"] << "\n";
    return std::nullopt;
}

}  // namespace

int run_copy_to_command(cli_context& context)
{
    const std::optional<export_encoding> encoding = output_encoding(context);
    if (!encoding) return cli_usage_error;
    if (!may_write(context, context.positional[1])) return cli_failure;
    auto table = context.open_table(0);
    if (!table) return cli_failure;
    if (export_text(*table, context.positional[1], {}, *encoding)) return cli_success;
    return context.fail(export_failure_text(*table));
}

int run_html_command(cli_context& context)
{
    const std::optional<export_encoding> encoding = output_encoding(context);
    if (!encoding) return cli_usage_error;
    if (!may_write(context, context.positional[1])) return cli_failure;
    auto table = context.open_table(0);
    if (!table) return cli_failure;
    std::vector<std::string> captions;
    for (int i = 0; i < field_count(*table); ++i) captions.push_back(field_info(*table, i).name);
    if (export_html(*table, context.positional[1], setting_by_index(SET_CEGNEV), captions, {}, *encoding)) {
        return cli_success;
    }
    return context.fail(export_failure_text(*table));
}

int run_append_command(cli_context& context)
{
    std::optional<csv_import_options> csv;
    if (appends_csv(context)) {
        csv = csv_append_options(context);
        if (!csv) return cli_usage_error;
    } else if (context.has("--format")) {
        context.errors << "vortel-cli: --format takes csv or xlsx, not " << context.options["--format"] << "\n";
        return cli_usage_error;
    }
    const std::string& source = context.positional[1];
    if (!file_exists(source)) {
        context.errors << "vortel-cli: no such file: " << source << "\n";
        return cli_failure;
    }
    auto table = context.open_table_to_change(0);
    if (!table) return cli_failure;
    if (csv) return append_csv_rows(context, *table, *csv);
    if (append_from(*table, source)) return cli_success;
    return context.fail(append_failure_text(*table));
}

int run_sort_command(cli_context& context)
{
    auto table = context.open_table_to_change(0);
    if (!table) return cli_failure;
    const sort_key_fields key = parse_sort_key(*table, context.text(1));
    if (!key.message.empty()) return context.fail(key.message);
    // A key whose first name is no field sorts nothing.
    if (key.fields.empty()) return context.fail(sort_failed_message);
    const std::optional<long> megabytes =
        context.option_number("--memory", static_cast<long>(sort_memory_budget_default >> 20));
    if (!megabytes) return cli_failure;
    if (*megabytes < 1) return context.fail("--memory takes a number of megabytes, at least 1");
    const sort_outcome outcome =
        sort_command(*table, key.fields, context.has("--magyar") ? sort_collation::magyar : sort_collation::english,
                     static_cast<std::size_t>(*megabytes) << 20);
    if (outcome.status != sort_status::sorted) {
        // The reason names files by their paths, which are not program text.
        context.errors << outcome.message << "\n";
        return cli_failure;
    }
    context.print(std::string(outcome.message) + "\n");
    return cli_success;
}

}  // namespace vortel
