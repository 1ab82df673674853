#include "cli/csv_append_command.h"

#include "cli/cli_command.h"
#include "commands/csv_table_creation.h"
#include "commands/field_validation.h"
#include "commands/transfer_failure.h"
#include "engine/csv_structure.h"
#include "engine/xlsx_import.h"
#include "runtime/settings.h"

#include "text/text_ops.h"

#include <algorithm>
#include <ostream>

namespace vortel {

namespace {

bool appends_workbook(const cli_context& context)
{
    return context.has("--format") ? context.options.at("--format") == "xlsx"
                                   : has_xlsx_extension(context.positional.at(1));
}

}  // namespace

bool appends_csv(const cli_context& context)
{
    if (appends_workbook(context)) return true;
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

namespace {

// What an append left out or stored blank, and the columns it passed over.
void tell_report(const cli_context& context, const csv_import_report& report)
{
    for (const std::string& note : report.notes) (void)context.fail(note);
    if (report.skipped > 0) (void)context.fail("Rows skipped: " + std::to_string(report.skipped));
    if (report.blanked > 0) (void)context.fail("Values stored blank: " + std::to_string(report.blanked));
}

std::string field_definition(const field_list_entry& field)
{
    std::string text = field.name + ":" + field.type + ":" + std::to_string(field.length);
    if (field.type == 'N') text += ":" + std::to_string(field.decimals);
    return text;
}

}  // namespace

int append_csv_rows(cli_context& context, table_object& table, const csv_import_options& options)
{
    csv_import_report report;
    const std::string& source = context.positional[1];
    const int appended = appends_workbook(context) ? append_workbook(table, source, options, report)
                                                   : append_csv(table, source, options, report);
    if (!appended) {
        for (const std::string& note : report.notes) (void)context.fail(note);
        return context.fail(append_failure_text(table));
    }
    tell_report(context, report);
    return cli_success;
}

int run_create_from_command(cli_context& context)
{
    const std::string& path = context.positional[0];
    const std::string& source = context.positional[1];
    const std::string format =
        context.has("--format") ? context.options["--format"] : has_xlsx_extension(source) ? "xlsx" : "csv";
    if (format != "csv" && format != "xlsx") {
        context.errors << "vortel-cli: --format takes csv or xlsx, not " << format << "\n";
        return cli_usage_error;
    }
    if (!context.has("--format") && format == "csv" && !has_csv_extension(source)) {
        context.errors << "vortel-cli: create-from reads a .csv or .xlsx file; --format names another file's kind\n";
        return cli_usage_error;
    }
    std::optional<csv_import_options> options = csv_append_options(context);
    if (!options) return cli_usage_error;
    if (!file_exists(source)) {
        context.errors << "vortel-cli: no such file: " << source << "\n";
        return cli_failure;
    }
    // Refused before the file is read, as create refuses it.
    if (file_exists(path) && !context.has("--overwrite") && !context.has("--dry-run")) {
        return context.fail("The file already exist, overwite ?");
    }
    // A workbook's first sheet is read as the CSV text it makes.
    std::optional<sheet_as_csv> sheet;
    if (format == "xlsx") {
        sheet.emplace(source);
        if (!sheet->failure().empty()) return context.fail(sheet->failure());
        options->encoding = csv_encoding::utf8;
        options->delimiter = ',';
    }
    const std::string& rows = sheet ? sheet->path() : source;
    const code_page page = context.chosen_page ? *context.chosen_page : table_new(path)->codepage.page;
    csv_structure structure;
    if (std::string refusal = propose_csv_structure(rows, *options, page, structure); !refusal.empty()) {
        return context.fail(refusal);
    }
    if (context.has("--fields")) {
        std::vector<std::string> definitions;
        const std::string given = context.options["--fields"];
        for (std::size_t start = 0; start <= given.size();) {
            const std::size_t comma = std::min(given.find(',', start), given.size());
            definitions.push_back(given.substr(start, comma - start));
            start = comma + 1;
        }
        const field_list_check checked = parse_field_list(definitions);
        if (!checked.message.empty()) return context.fail(checked.message);
        for (const field_list_entry& field : checked.fields) {
            if (!modify_field(structure.fields, field)) return context.fail("No column proposes the field " + field.name);
        }
    }
    for (const std::string& rename : structure.renames) (void)context.fail(rename);
    for (const field_list_entry& field : structure.fields) context.print(field_definition(field) + "\n");
    if (context.has("--dry-run")) return cli_success;
    options->column_fields = structure.column_fields;
    const csv_creation_result result = create_table_from_csv(path, page, structure.fields, rows, *options,
                                                             context.has("--overwrite"));
    if (!result.created) {
        for (const std::string& note : result.report.notes) (void)context.fail(note);
        return context.fail(result.message);
    }
    tell_report(context, result.report);
    return cli_success;
}

}  // namespace vortel
