#include "cli/pg_export_command.h"

#include "cli/cli_command.h"
#include "commands/transfer_failure.h"
#include "pg_export/pg_export.h"

#include <ostream>

namespace vortel {

int run_pg_export_command(cli_context& context)
{
    pg_export_options options;
    options.connection = context.positional[1];
    if (context.has("--table")) options.table = context.options["--table"];
    if (context.has("--replace") && context.has("--append")) {
        context.errors << "vortel-cli: --replace and --append exclude each other\n";
        return cli_usage_error;
    }
    options.existing = context.has("--replace")  ? existing_table::replace
                       : context.has("--append") ? existing_table::append
                                                 : existing_table::refuse;
    // A database table has no deleted records: they stay out unless asked for.
    const auto deleted = option_choice<deleted_records>(
        context, "--deleted", {{"skip", deleted_records::skip}, {"mark", deleted_records::mark}},
        deleted_records::skip);
    if (!deleted) return cli_usage_error;
    options.deleted = *deleted;

    auto table = context.open_table(0);
    if (!table) return cli_failure;
    if (export_to_postgresql(*table, options) == export_written) return cli_success;
    // The server's words and the names are UTF-8 already.
    context.errors << export_failure_text(*table) << "\n";
    return cli_failure;
}

}  // namespace vortel
