#include "cli/table_commands.h"

#include "cli/cli_command.h"
#include "commands/cell_store.h"
#include "commands/record_commands.h"
#include "commands/search.h"
#include "commands/table_info.h"
#include "engine/table.h"
#include "grid/cell_text.h"
#include "grid/column_model.h"
#include "platform/codepage.h"
#include "shell/settings.h"
#include "text/text_to_number.h"

#include <istream>
#include <ostream>
#include <strings.h>

namespace vortel {
namespace {

// Puts the table on record `number`; false (after a message) when the table
// has no such record.
bool go_to_existing(cli_context& context, table_object& table, long number)
{
    if (number < 1 || number > record_count(table)) {
        context.errors << "vortel-cli: no record " << number << "\n";
        return false;
    }
    if (!go_to(table, static_cast<std::int32_t>(number))) {
        context.errors << "vortel-cli: cannot read record " << number << "\n";
        return false;
    }
    return true;
}

// The field named by positional argument `index`, or -1 after a message.
int named_field(cli_context& context, const table_object& table, std::size_t index)
{
    const int field = field_index(table, context.text(index));
    if (field < 0) context.errors << "vortel-cli: no field " << context.positional[index] << "\n";
    return field;
}

// Opens T and goes to record N (positional arguments 0 and 1). On failure
// `status` says whether the arguments or the table were at fault.
std::unique_ptr<table_object> open_at_record(cli_context& context, int& status)
{
    status = cli_usage_error;
    auto number = context.number(context.positional[1], "the record number");
    if (!number) return nullptr;
    status = cli_failure;
    auto table = context.open_table(0);
    if (table && !go_to_existing(context, *table, *number)) return nullptr;
    return table;
}

int report(cli_context& context, const command_result& result)
{
    if (!result.message.empty()) context.fail(result.message);
    return result.done ? cli_success : cli_failure;
}

std::string unix_lines(std::string text)
{
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
}

}  // namespace

int run_info_command(cli_context& context)
{
    auto table = context.open_table(0);
    if (!table) return cli_failure;
    context.print(unix_lines(table_info_text(*table)));
    return cli_success;
}

int run_list_command(cli_context& context)
{
    const auto from = context.option_number("--from", 1);
    const auto count = context.option_number("--count", -1);
    if (!from || !count) return cli_usage_error;
    auto table = context.open_table(0);
    if (!table) return cli_failure;
    browse_object browse = table_browse(*table);

    // The record number has no caption: the header line starts with an empty cell.
    std::string line;
    for (const column_descriptor& column : browse.columns) line += "\t" + column.caption;
    context.print(line + "\n");

    if (record_count(*table) < 1) return cli_success;
    const bool deleted_hidden = text_to_long(setting_by_index(SET_DELETED)) != 0;
    go_to(*table, static_cast<std::int32_t>(*from));
    for (long listed = 0; listed != *count; ++listed) {
        // A move that found only hidden records stops on the last one it read.
        if (deleted_hidden && is_deleted(*table)) break;
        line = std::to_string(current_record(*table));
        for (int column = 0; column < static_cast<int>(browse.columns.size()); ++column) {
            const cell_appearance cell = cell_of(browse, column);
            line += "\t";
            line += cell.bitmap == no_bitmap ? cell.text : cell.bitmap == bitmap_kuka ? "*" : " ";
        }
        context.print(line + "\n");
        const std::int32_t before = current_record(*table);
        skip(*table, 1);
        if (current_record(*table) == before) break;
    }
    return cli_success;
}

int run_memo_command(cli_context& context)
{
    int status = cli_success;
    auto table = open_at_record(context, status);
    if (!table) return status;
    const int field = named_field(context, *table, 2);
    if (field < 0) return cli_failure;
    if (field_type(*table, field) != 'M') return context.fail("vortel-cli: not a memo field");
    const std::string name = field_info(*table, field).name;
    if (!context.has("--write")) {
        context.print(memo_text(*table, name));
        return cli_success;
    }

    const std::string& source = context.options["--write"];
    std::string text;
    if (source == "-") {
        char chunk[65536];
        while (context.in.read(chunk, sizeof chunk) || context.in.gcount() > 0) {
            text.append(chunk, static_cast<std::size_t>(context.in.gcount()));
        }
    } else {
        std::FILE* in = std::fopen(source.c_str(), "rb");
        if (in == nullptr) return context.fail("vortel-cli: cannot read " + source);
        char chunk[65536];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) text.append(chunk, got);
        std::fclose(in);
    }
    return report(context, store_memo_text(*table, name, utf8_to_ansi(text)));
}

int run_set_command(cli_context& context)
{
    int status = cli_success;
    auto table = open_at_record(context, status);
    if (!table) return status;
    const int field = named_field(context, *table, 2);
    if (field < 0) return cli_failure;
    if (field_type(*table, field) == 'M') return context.fail("vortel-cli: a memo is stored with: memo T N FIELD --write FILE");
    return report(context, store_typed_value(*table, field_info(*table, field).name, context.text(3)));
}

int run_new_command(cli_context& context)
{
    auto table = context.open_table(0);
    if (!table) return cli_failure;
    const command_result result = append_new_record(*table);
    if (result.done) context.out << current_record(*table) << "\n";
    return report(context, result);
}

int run_delete_command(cli_context& context)
{
    int status = cli_success;
    auto table = open_at_record(context, status);
    if (!table) return status;
    return report(context, toggle_delete(*table));
}

int run_search_command(cli_context& context)
{
    const auto from = context.option_number("--from", 1);
    if (!from) return cli_usage_error;
    auto table = context.open_table(0);
    if (!table) return cli_failure;
    browse_object browse = table_browse(*table);

    search_request request;
    request.text = context.text(1);
    request.direction = context.has("--up") ? search_direction::up : search_direction::down;
    request.case_sensitive = context.has("--case");
    request.scope = search_scope::all_columns;
    if (context.has("--column")) {
        const std::string name = utf8_to_ansi(context.options["--column"]);
        for (std::size_t i = 1; i < browse.columns.size(); ++i) {
            if (::strcasecmp(browse.columns[i].source_name.c_str(), name.c_str()) == 0) {
                browse.current_column = static_cast<int>(i);
                request.scope = search_scope::current_column;
            }
        }
        if (request.scope != search_scope::current_column) {
            return context.fail("vortel-cli: no field " + context.options["--column"]);
        }
    }
    if (record_count(*table) > 0 && !go_to_existing(context, *table, *from)) return cli_failure;
    browse.current_record = current_record(*table);

    const search_result result = search_grid(browse, request);
    if (!result.found) return context.fail(result.message);
    context.out << result.record << "\n";
    return cli_success;
}

}  // namespace vortel
