// `vortel-cli copy-to-dbf3 T OUT.DBF [--overwrite]`: a plain dBase III copy
// of any table shown (engine/dbf3_copy.h), one line per field it converted
// or dropped.
#pragma once

namespace vortel {

struct cli_context;

int run_copy_to_dbf3_command(cli_context& context);

}  // namespace vortel
