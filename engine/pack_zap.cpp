#include "engine/pack_zap.h"

#include "engine/record_blocks.h"
#include "engine/record_copy.h"
#include "platform/clock.h"

#include <algorithm>
#include <numeric>

namespace vortel {

std::vector<std::uint8_t> copy_header_area(table_object& table)
{
    std::vector<std::uint8_t> area(table.header.header_length);
    if (area.size() < static_cast<std::size_t>(dbf_header_size) ||
        !table.dbf.os.read_whole_at(0, area.data(), area.size())) {
        note_failure(table, table.dbf);
        return {};
    }
    const local_time today = local_time_now();
    area[1] = static_cast<std::uint8_t>(std::clamp(today.year - 1900, 0, 255));
    area[2] = static_cast<std::uint8_t>(today.month);
    area[3] = static_cast<std::uint8_t>(today.day);
    std::fill(area.begin() + 4, area.begin() + 8, 0);  // the record count
    return area;
}

int pack_records(table_object& table, table_object& copy, const std::function<void(int percent)>& progress)
{
    // Same fields in the same order: copy by position, which also holds for
    // tables whose fields share a name.
    std::vector<int> same_fields(static_cast<std::size_t>(field_count(table)));
    std::iota(same_fields.begin(), same_fields.end(), 0);
    // The copy tells percentages itself; the meter keeps them in 0..100.
    progress_meter meter(progress, 100);
    const int packed = copy_records(table, copy, same_fields, copy_selection::live_only,
                                    [&meter](int percent) { meter.step(percent); });
    if (packed) {
        meter.finish();
    } else {
        note_copy_failure(table, copy);
    }
    return packed;
}

void note_copy_failure(table_object& table, const table_object& copy)
{
    if (!copy.failure.empty()) return note_failure(table, copy.failure);
    // The copy's files were opened for this copy, so an error they hold is
    // this copy's; the table's may be older, and come last.
    const file_handle* const files[] = {&copy.dbt, &copy.dbf, &table.dbt, &table.dbf};
    for (const file_handle* file : files) {
        if (file->os.last_error() != 0) return note_failure(table, *file);
    }
    note_failure(table, "The records could not be copied");
}

}  // namespace vortel
