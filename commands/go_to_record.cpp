#include "commands/go_to_record.h"

#include "engine/table.h"
#include "text/text_to_number.h"

namespace vortel {

go_to_result go_to_record(browse_object& browse, std::string_view typed)
{
    const long number = text_to_long(typed.substr(0, go_to_text_max));
    if (number <= 0 || !browse.table) return {};
    table_object& table = *browse.table;
    browse.record_count = record_count(table);
    if (number > browse.record_count) return {false, out_of_range_text};
    const auto record = static_cast<std::int32_t>(number);
    if (record < browse.visible_rows) browse.current_row = record;
    go_to(table, record);
    // The source may pass a deleted record; the grid counts what it stands on.
    browse.current_record = current_record(table);
    browse.top_offset = 1 - browse.current_row;
    browse.pending_move = 0;
    browse.move_pending = true;
    return {true, {}};
}

}  // namespace vortel
