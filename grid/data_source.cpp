#include "grid/data_source.h"

#include "engine/table.h"
#include "grid/column_model.h"

#include <algorithm>

namespace vortel {

std::int32_t table_position(browse_object& browse)
{
    table_object& table = *browse.table;
    browse.record_count = record_count(table);
    std::int32_t result = 0;
    if (browse.move_pending) {
        skip(table, browse.pending_move);
        browse.current_record = std::min(std::max(browse.current_record, std::int32_t{1}), browse.record_count);
        result = current_record(table);
        for (int i = 0; i < -browse.top_offset; ++i) skip(table, -1);
    } else {
        browse.top_offset = 1 - browse.current_row;
        browse.pending_move = 0;
        result = current_record(table);
        for (int i = 0; i < browse.current_row - 1; ++i) skip(table, -1);
    }
    skip(table, 0);  // re-read the top record
    // The table object calls itself on record 1 even when it has none.
    return std::min(result, browse.record_count);
}

std::int32_t table_step(browse_object& browse)
{
    skip(*browse.table, browse.step);
    return current_record(*browse.table);
}

void table_go_to(browse_object& browse, std::int32_t record) { go_to(*browse.table, record); }
std::int32_t table_record_number(browse_object& browse)
{
    return record_count(*browse.table) > 0 ? current_record(*browse.table) : 0;
}
std::int32_t table_record_count(browse_object& browse) { return record_count(*browse.table); }
int table_at_top(browse_object& browse) { return at_bof(*browse.table); }
int table_at_end(browse_object& browse) { return at_eof(*browse.table); }

}  // namespace vortel
