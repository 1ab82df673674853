#include "cli/dbf3_copy_command.h"

#include "cli/cli_command.h"
#include "engine/dbf3_copy.h"
#include "platform/codepage.h"
#include "text/text_ops.h"

#include <ostream>

namespace vortel {

int run_copy_to_dbf3_command(cli_context& context)
{
    const std::string& output = context.positional[1];
    // As the other exports: an existing file is replaced only when asked.
    if (file_exists(output) && !context.has("--overwrite")) return context.fail("The file already exist, overwite ?");
    auto table = context.open_table(0);
    if (!table) return cli_failure;
    clear_failure(*table);
    std::vector<std::string> notes;
    if (!copy_to_dbf3(*table, output, notes)) return context.fail(table->failure);
    for (const std::string& note : notes) context.out << ansi_to_utf8(note) << "\n";
    return cli_success;
}

}  // namespace vortel
