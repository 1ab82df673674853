// vortel-cli commands that read or change records of one table.
#pragma once

namespace vortel {

struct cli_context;

int run_info_command(cli_context& context);
int run_list_command(cli_context& context);
int run_memo_command(cli_context& context);
int run_set_command(cli_context& context);
int run_new_command(cli_context& context);
int run_delete_command(cli_context& context);
int run_search_command(cli_context& context);

}  // namespace vortel
