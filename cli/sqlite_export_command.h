// vortel-cli export into an SQLite database: T... OUT.sqlite.
#pragma once

#include <string_view>

namespace vortel {

struct cli_context;

// Whether the export's arguments ask for a database: OUT's extension or
// --format sqlite.
bool export_asks_for_sqlite(const cli_context& context);

int run_sqlite_export_command(cli_context& context);

}  // namespace vortel
