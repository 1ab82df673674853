// vortel-cli export into a PostgreSQL database: the output is a database
// address (postgresql://user@host/db or libpq's key=value words).
#pragma once

namespace vortel {

struct cli_context;

int run_pg_export_command(cli_context& context);

}  // namespace vortel
