#include "cli/table_commands.h"

#include "cli/cli_command.h"
#include "cli/field_argument.h"
#include "commands/cell_store.h"
#include "commands/record_commands.h"
#include "commands/search.h"
#include "commands/table_info.h"
#include "engine/table.h"
#include "grid/cell_text.h"
#include "grid/column_model.h"
#include "platform/code_page.h"
#include "platform/codepage.h"
#include "runtime/settings.h"
#include "text/csv_field.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace vortel {
namespace {

// Puts the table on record `number` itself; false (after a message) when the
// table has no such record or it cannot be read. Navigation would pass a
// deleted record and act on the next one instead.
bool go_to_existing(cli_context& context, table_object& table, long number)
{
    if (number < 1 || number > record_count(table)) {
        context.errors << "vortel-cli: no record " << number << "\n";
        return false;
    }
    if (!go_to_exactly(table, static_cast<std::int32_t>(number))) {
        context.errors << "vortel-cli: cannot read record " << number << "\n";
        return false;
    }
    return true;
}

// The field named by positional argument `index`, or -1 after a message.
int named_field(cli_context& context, const table_object& table, std::size_t index)
{
    const field_choice choice = find_named_field(table, context.text(index));
    if (choice.index < 0) context.fail(choice.problem);
    return choice.index;
}

// Opens T and goes to record N (positional arguments 0 and 1); to change
// it, only a table that may be changed. On failure `status` says whether
// the arguments or the table were at fault.
std::unique_ptr<table_object> open_at_record(cli_context& context, int& status, bool to_change)
{
    status = cli_usage_error;
    auto number = context.number(context.positional[1], "the record number");
    if (!number) return nullptr;
    status = cli_failure;
    auto table = to_change ? context.open_table_to_change(0) : context.open_table(0);
    if (!table || !go_to_existing(context, *table, *number)) return nullptr;
    if (table->navigation.hide_deleted && is_deleted(*table)) {
        context.errors << "vortel-cli: record " << *number << " is deleted (SET_DELETED=1 hides it)\n";
        return nullptr;
    }
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
    const bool raw = context.has("--raw");
    const auto cell_text = [raw](std::string_view text) { return raw ? std::string(text) : escaped_tab_cell(text); };

    // The record number has no caption: the header line starts with an empty cell.
    std::string line;
    for (const column_descriptor& column : browse.columns) line += "\t" + cell_text(column.caption);
    context.print(line + "\n");

    // The listing starts at record `from` itself, or past it when it is a
    // hidden deleted one; past the last record there is nothing to list.
    const long first = std::max(*from, 1L);
    if (first > record_count(*table)) return cli_success;
    if (!go_to_existing(context, *table, first)) return cli_failure;
    skip(*table, 0);
    for (long listed = 0; listed != *count; ++listed) {
        // A move that found only hidden records stops on the last one it read.
        if (record_hidden(*table)) break;
        line = std::to_string(current_record(*table));
        for (int column = 0; column < static_cast<int>(browse.columns.size()); ++column) {
            const cell_appearance cell = cell_of(browse, column);
            line += "\t";
            line += cell.bitmap == no_bitmap ? cell_text(cell.text) : cell.bitmap == bitmap_kuka ? "*" : " ";
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
    auto table = open_at_record(context, status, context.has("--write"));
    if (!table) return status;
    const int field = named_field(context, *table, 2);
    if (field < 0) return cli_failure;
    if (field_type(*table, field) != 'M') return context.fail("vortel-cli: not a memo field");
    if (!context.has("--write")) {
        if (const std::string why = memo_unavailable_text(*table, field); !why.empty()) return context.fail(why);
        // One text, not rows: printed as it is, line ends and all.
        context.print(memo_text(*table, field));
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
    if (const auto missing = outside_program_text(text)) return context.fail(outside_program_text_refusal(*missing));
    return report(context, store_memo_text(*table, current_record(*table), field, utf8_to_ansi(text)));
}

int run_set_command(cli_context& context)
{
    int status = cli_success;
    auto table = open_at_record(context, status, true);
    if (!table) return status;
    const int field = named_field(context, *table, 2);
    if (field < 0) return cli_failure;
    if (field_type(*table, field) == 'M') return context.fail("vortel-cli: a memo is stored with: memo T N FIELD --write FILE");
    if (const auto missing = outside_program_text(context.positional[3])) {
        return context.fail(outside_program_text_refusal(*missing));
    }
    return report(context, store_typed_value(*table, current_record(*table), field, context.text(3)));
}

int run_new_command(cli_context& context)
{
    auto table = context.open_table_to_change(0);
    if (!table) return cli_failure;
    const command_result result = append_new_record(*table);
    if (result.done) context.out << current_record(*table) << "\n";
    return report(context, result);
}

int run_delete_command(cli_context& context)
{
    int status = cli_success;
    auto table = open_at_record(context, status, true);
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
        const field_choice choice = find_named_field(*table, utf8_to_ansi(context.options["--column"]));
        if (choice.index < 0) return context.fail(choice.problem);
        for (std::size_t i = 0; i < browse.columns.size(); ++i) {
            if (browse.columns[i].field == choice.index) browse.current_column = static_cast<int>(i);
        }
        request.scope = search_scope::current_column;
    }
    // The search starts from record `from` itself, hidden or not, and
    // compares the records after it.
    if (record_count(*table) > 0 && !go_to_existing(context, *table, *from)) return cli_failure;
    browse.current_record = current_record(*table);

    const search_result result = search_grid(browse, request);
    if (!result.found) return context.fail(result.message);
    context.out << result.record << "\n";
    return cli_success;
}

}  // namespace vortel
