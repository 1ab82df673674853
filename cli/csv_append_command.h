// vortel-cli append from a CSV file, and create-from a CSV file.
#pragma once

#include "engine/csv_import.h"

#include <optional>

namespace vortel {

struct cli_context;
struct table_object;

// Whether `append` reads its source as CSV rows: --format csv or xlsx, or a
// .csv or .xlsx name (a workbook's first sheet is read as the CSV it makes).
bool appends_csv(const cli_context& context);
// The CSV options given; nothing, after a usage message, for a value
// an option does not take.
std::optional<csv_import_options> csv_append_options(cli_context& context);
// Appends the CSV file or workbook named by the second argument to `table`, and says
// what it passed over, skipped or stored blank.
int append_csv_rows(cli_context& context, table_object& table, const csv_import_options& options);

// `create-from T IN.csv`: proposes the structure from the rows, takes the
// fields --fields restates in its place, prints the structure as `create`
// takes fields (NAME:C:30) and the columns renamed for their fields, then
// (unless --dry-run) creates T and fills it.
int run_create_from_command(cli_context& context);

}  // namespace vortel
