// vortel-cli commands that read or change records of one table.
#pragma once

namespace vortel {

struct cli_context;

int run_memo_command(cli_context& context);

}  // namespace vortel
