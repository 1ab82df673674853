#include "cli/sqlite_export_command.h"

#include "cli/cli_command.h"
#include "commands/record_commands.h"
#include "commands/setting_options.h"
#include "query/sql_session.h"
#include "query/sqlite_export.h"

#include <map>
#include <ostream>

namespace vortel {

bool export_asks_for_sqlite(const cli_context& context)
{
    const auto format = context.options.find("--format");
    if (format != context.options.end()) return format->second == "sqlite";
    return !context.positional.empty() && sqlite_file_name(context.positional.back());
}

int run_sqlite_export_command(cli_context& context)
{
    for (const char* option : {"--delimiter", "--encoding", "--dates", "--logicals", "--bom", "--lf"}) {
        if (context.has(option)) {
            context.errors << "vortel-cli: " << option << " does not apply to an SQLite database\n";
            return cli_usage_error;
        }
    }
    const auto deleted = option_choice<deleted_records>(
        context, "--deleted", {{"skip", deleted_records::skip}, {"mark", deleted_records::mark}},
        deleted_records_as_navigated(navigation_by_settings()));
    if (!deleted) return cli_usage_error;
    sqlite_export_options options;
    options.deleted = *deleted;
    options.replace = context.has("--replace");

    const std::string& output = context.positional.back();
    std::vector<std::unique_ptr<table_object>> tables;
    std::vector<sqlite_table_source> sources;
    std::map<std::string, std::string> named;  // upper-case name -> the file that took it
    for (std::size_t i = 0; i + 1 < context.positional.size(); ++i) {
        const std::string name = sql_table_name(context.positional[i]);
        if (const auto [taken, fresh] = named.emplace(name, context.positional[i]); !fresh) {
            context.errors << "vortel-cli: " << context.positional[i] << " and " << taken->second
                           << " would both be the table " << name << "\n";
            return cli_usage_error;
        }
        auto table = context.open_table(i);
        if (!table) return cli_failure;
        sources.push_back({table.get(), name});
        tables.push_back(std::move(table));
    }
    std::string refusal;
    if (export_to_sqlite(sources, output, options, refusal) == export_written) return cli_success;
    context.errors << (refusal.empty() ? std::string(table_busy_text) : refusal) << "\n";
    return cli_failure;
}

}  // namespace vortel
