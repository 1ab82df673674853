// vortel-cli append from a CSV file.
#pragma once

namespace vortel {

struct cli_context;

// Whether `append` reads its source as CSV: --format csv, or a .csv name.
bool appends_csv(const cli_context& context);
int run_csv_append_command(cli_context& context);

}  // namespace vortel
