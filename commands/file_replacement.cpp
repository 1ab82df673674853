#include "commands/file_replacement.h"

#include "commands/record_commands.h"
#include "engine/pack_zap.h"

namespace vortel {

std::string rebuild_message(const rebuild_outcome& outcome)
{
    switch (outcome.status) {
    case rebuild_status::done: return {};
    case rebuild_status::busy: return table_busy_text;
    case rebuild_status::refused:
    case rebuild_status::failed: break;
    }
    return outcome.reason;
}

rebuild_result rebuild_table(std::unique_ptr<table_object>& table, rebuild_kind kind,
                             const std::function<void(int percent)>& progress)
{
    rebuild_result result;
    result.table_name = table_file_name(*table);
    clear_failure(*table);
    rebuild_plan plan;
    plan.header = copy_header_area(*table);
    plan.own_memo = table->header.version == dbf_version_with_memo;
    if (kind == rebuild_kind::pack) {
        plan.open_copy = true;
        plan.fill = [&](table_object& copy) { return pack_records(*table, copy, progress); };
    }
    const rebuild_outcome outcome = run_rebuild(*table, plan);
    result.status = outcome.status;
    result.message = rebuild_message(outcome);
    result.table_in_place = outcome.table_in_place;
    result.kept_files = outcome.kept_files;
    if (outcome.status == rebuild_status::done || !table->open) table.reset();
    return result;
}

}  // namespace vortel
