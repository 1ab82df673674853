// vortel-cli sql: an SQL statement over tables, each named after its file.
#pragma once

namespace vortel {

struct cli_context;

int run_sql_command(cli_context& context);

}  // namespace vortel
