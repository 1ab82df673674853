// vortel-cli commands that create tables or rebuild their files.
#pragma once

namespace vortel {

struct cli_context;

int run_create_command(cli_context& context);
int run_modify_command(cli_context& context);
int run_pack_command(cli_context& context);
int run_zap_command(cli_context& context);

}  // namespace vortel
