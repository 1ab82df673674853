// vortel-cli commands that copy records out of a table, into it, or into a
// new order.
#pragma once

namespace vortel {

struct cli_context;

int run_copy_to_command(cli_context& context);
int run_html_command(cli_context& context);
int run_append_command(cli_context& context);
int run_sort_command(cli_context& context);

}  // namespace vortel
