#include "cli/repair_command.h"

#include "cli/cli_command.h"
#include "commands/rebuild_recovery.h"
#include "commands/table_repair.h"

#include <ostream>

namespace vortel {

int run_repair_command(cli_context& context)
{
    const std::string& path = context.positional[0];
    // A rebuild that died is finished first: its journal tells which file
    // the table is.
    if (const std::string recovered = recover_interrupted_rebuild(path); !recovered.empty()) {
        context.errors << recovered << "\n";
    }
    const repair_result result = repair_record_count(path);
    if (result.status != repair_status::repaired) return context.fail(result.message);
    context.print(result.message + "\n");
    return cli_success;
}

}  // namespace vortel
