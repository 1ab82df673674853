#include "cli/table_commands.h"

#include "cli/cli_command.h"
#include "engine/table.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace vortel {
namespace {

// Puts the table on record `number`; false (with the message said) when the
// table has no such record.
bool go_to_existing(cli_context& context, table_object& table, long number)
{
    if (number < 1 || number > record_count(table)) {
        context.errors << "vortel-cli: no record " << number << "\n";
        return false;
    }
    go_to(table, static_cast<std::int32_t>(number));
    return true;
}

// The field named by positional argument `index`, or -1 after a message.
int named_field(cli_context& context, const table_object& table, std::size_t index)
{
    const int field = field_index(table, context.text(index));
    if (field < 0) context.errors << "vortel-cli: no field " << context.positional[index] << "\n";
    return field;
}

}  // namespace

int run_memo_command(cli_context& context)
{
    auto number = context.number(context.positional[1], "the record number");
    if (!number) return cli_usage_error;
    auto table = context.open_table(0);
    if (!table) return cli_failure;
    const int field = named_field(context, *table, 2);
    if (field < 0 || !go_to_existing(context, *table, *number)) return cli_failure;
    if (field_type(*table, field) != 'M') return context.fail("vortel-cli: not a memo field");

    if (!context.has("--write")) {
        context.print(memo_read(*table, field_text(*table, field)));
        return cli_success;
    }
    return cli_failure;
}

}  // namespace vortel
