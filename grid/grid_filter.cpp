#include "grid/grid_filter.h"

#include "engine/record_blocks.h"
#include "engine/table.h"
#include "grid/column_model.h"
#include "grid/row_selection.h"

#include <algorithm>

namespace vortel {

namespace {

// While deleted records are hidden a deleted member would count in the
// title and place the thumb without ever showing a row: it leaves the set.
std::shared_ptr<const record_set> without_hidden_deleted(table_object& table,
                                                         std::shared_ptr<const record_set> filter)
{
    if (!filter || !table.navigation.hide_deleted || filter->members() == 0) return filter;
    record_set shown = *filter;
    record_range_reader records(table, 1, std::min(filter->table_records(), record_count(table)), 1);
    for (auto record = records.next(); !record.empty(); record = records.next()) {
        if (record[0] == dbf_deleted_mark) shown.remove(records.number());
    }
    return std::make_shared<const record_set>(std::move(shown));
}

}  // namespace

void set_grid_filter(browse_object& browse, std::shared_ptr<const record_set> filter)
{
    if (!browse.table) return;
    browse.table->navigation.filter = without_hidden_deleted(*browse.table, std::move(filter));
    clear_row_selection(browse);
    browse.source.go_to(browse, 1);
    browse.current_record = 1;
    browse.current_row = 1;
    browse.top_offset = 0;
    browse.pending_move = 0;
    browse.move_pending = true;
    browse.record_count = browse.source.record_count(browse);
}

bool grid_filtered(const browse_object& browse) { return browse.table && browse.table->navigation.filter; }

void keep_appended_records(browse_object& browse, std::int32_t first, std::int32_t last)
{
    if (!grid_filtered(browse) || first > last) return;
    std::shared_ptr<const record_set>& filter = browse.table->navigation.filter;
    filter = std::make_shared<const record_set>(filter->with_appended(first, last));
}

std::int32_t scrolled_records(browse_object& browse)
{
    return grid_filtered(browse) ? browse.table->navigation.filter->members() : browse.source.record_count(browse);
}

bool filter_shows_nothing(const browse_object& browse)
{
    return grid_filtered(browse) && record_hidden(*browse.table);
}

}  // namespace vortel
