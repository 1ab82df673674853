// `vortel-cli repair T`: the header's record count made what the file holds
// (commands/table_repair.h).
#pragma once

namespace vortel {

struct cli_context;

int run_repair_command(cli_context& context);

}  // namespace vortel
