#include "commands/transfer_failure.h"

#include "commands/record_commands.h"

namespace vortel {

std::string export_failure_text(const table_object& table)
{
    return table.failure.empty() ? std::string(table_busy_text) : table.failure;
}

std::string append_failure_text(const table_object& table)
{
    return table.failure.empty() ? std::string(table_busy_text) : std::string(append_error_text) + "\n" + table.failure;
}

}  // namespace vortel
