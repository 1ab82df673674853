#include "cli/csv_append_command.h"

#include "cli/cli_command.h"
#include "commands/transfer_failure.h"
#include "runtime/settings.h"

#include <ostream>

namespace vortel {

bool appends_csv(const cli_context& context)
{
    return context.has("--format") ? context.options.at("--format") == "csv"
                                   : has_csv_extension(context.positional.at(1));
}

std::optional<csv_import_options> csv_append_options(cli_context& context)
{
    const auto delimiter =
        option_choice<char>(context, "--delimiter", {{",", ','}, {";", ';'}, {"tab", '\t'}}, char{0});
    const auto encoding = option_choice<csv_encoding>(
        context, "--encoding",
        {{"utf-8", csv_encoding::utf8}, {"1250", csv_encoding::cp1250}, {"852", csv_encoding::cp852}},
        csv_encoding::detect);
    const auto on_error = option_choice<csv_on_error>(
        context, "--on-error",
        {{"stop", csv_on_error::stop}, {"skip", csv_on_error::skip}, {"blank", csv_on_error::blank}},
        csv_on_error::stop);
    if (!delimiter || !encoding || !on_error) return std::nullopt;
    csv_import_options options;
    options.delimiter = *delimiter;
    options.encoding = *encoding;
    options.on_error = *on_error;
    options.date_layout = setting_by_index(SET_DATEFORMAT);
    return options;
}

int append_csv_rows(cli_context& context, table_object& table, const csv_import_options& options)
{
    csv_import_report report;
    const int appended = append_csv(table, context.positional[1], options, report);
    for (const std::string& note : report.notes) (void)context.fail(note);
    if (!appended) return context.fail(append_failure_text(table));
    if (report.skipped > 0) (void)context.fail("Rows skipped: " + std::to_string(report.skipped));
    if (report.blanked > 0) (void)context.fail("Values stored blank: " + std::to_string(report.blanked));
    return cli_success;
}

}  // namespace vortel
