#include "cli/export_command.h"

#include "cli/cli_command.h"
#include "cli/pg_export_command.h"
#include "cli/sqlite_export_command.h"
#include "commands/setting_options.h"
#include "commands/transfer_failure.h"
#include "engine/table_export.h"
#include "pg_export/pg_export.h"
#include "text/text_ops.h"

#include <ostream>

namespace vortel {

int run_export_command(cli_context& context)
{
    const std::string& output = context.positional.back();
    const bool to_postgresql = context.has("--format") ? context.options["--format"] == "postgresql"
                                                       : names_postgresql_database(output);
    if (!to_postgresql && (context.has("--table") || context.has("--append"))) {
        context.errors << "vortel-cli: --table and --append are for a PostgreSQL database\n";
        return cli_usage_error;
    }
    const bool to_sqlite = export_asks_for_sqlite(context);
    if ((to_sqlite || to_postgresql) && context.has("--where")) {
        context.errors << "vortel-cli: --where is not for a database: select the rows with sql instead\n";
        return cli_usage_error;
    }
    if (to_sqlite) return run_sqlite_export_command(context);
    if (context.positional.size() != 2) {
        context.errors << "vortel-cli: only an SQLite database takes several tables\n";
        return cli_usage_error;
    }
    if (to_postgresql) return run_pg_export_command(context);
    if (context.has("--replace")) {
        context.errors << "vortel-cli: --replace is for a table in a database; give --overwrite\n";
        return cli_usage_error;
    }
    const std::optional<export_format> by_name = export_format_for(output);
    const auto format = option_choice<std::optional<export_format>>(
        context, "--format",
        {{"csv", export_format::csv}, {"jsonl", export_format::jsonl}, {"xlsx", export_format::xlsx}}, by_name);
    if (!format) return cli_usage_error;
    if (!*format) {
        context.errors << "vortel-cli: the name " << output
                       << " says no format: give --format csv, jsonl, xlsx, sqlite or postgresql\n";
        return cli_usage_error;
    }
    export_options options;
    options.format = **format;
    const auto delimiter = option_choice<char>(context, "--delimiter", {{",", ','}, {";", ';'}, {"tab", '\t'}}, ',');
    const auto table_page = option_choice<bool>(context, "--encoding", {{"utf-8", false}, {"table", true}}, false);
    const auto deleted = option_choice<deleted_records>(
        context, "--deleted", {{"skip", deleted_records::skip}, {"mark", deleted_records::mark}},
        deleted_records_as_navigated(navigation_by_settings()));
    const auto dates =
        option_choice<date_style>(context, "--dates", {{"iso", date_style::iso}, {"picture", date_style::picture}},
                           date_style::iso);
    const auto logicals = option_choice<logical_style>(
        context, "--logicals", {{"tf", logical_style::letters}, {"words", logical_style::words}},
        logical_style::letters);
    if (!delimiter || !table_page || !deleted || !dates || !logicals) return cli_usage_error;
    options.delimiter = *delimiter;
    options.table_code_page = *table_page;
    options.byte_order_mark = context.has("--bom");
    options.deleted = *deleted;
    options.dates = *dates;
    options.logicals = *logicals;
    options.crlf = !context.has("--lf");

    if (file_exists(output) && !context.has("--overwrite")) return context.fail("The file already exist, overwite ?");
    auto table = context.open_table(0);
    if (!table) return cli_failure;
    if (export_table(*table, output, options) == export_written) return cli_success;
    // The reason may name the output, a path that is no program text.
    context.errors << export_failure_text(*table) << "\n";
    return cli_failure;
}

}  // namespace vortel
