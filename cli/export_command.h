// vortel-cli export: a table as CSV, JSON Lines or a workbook.
#pragma once

namespace vortel {

struct cli_context;

int run_export_command(cli_context& context);

}  // namespace vortel
