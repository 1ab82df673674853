// The command list of vortel-cli. Each command is a thin call of the same
// engine and command functions the desktop program uses.
#include "cli/cli_command.h"

#include "cli/structure_command.h"
#include "cli/table_commands.h"

#include <climits>

namespace vortel {

const std::vector<cli_command>& cli_commands()
{
    static const std::vector<cli_command> commands = {
        {"structure", "T", "the stored layout of table T: header numbers and fields", 1, 1, {}, {},
         [](cli_context& c) { return print_structure(c.positional[0], c.out, c.errors); }},
        {"memo", "T N FIELD [--write FILE|-]",
         "print the memo of FIELD in record N, or store a new text from FILE (- for standard input)", 3, 3,
         {"--write"}, {}, run_memo_command},
    };
    return commands;
}

}  // namespace vortel
