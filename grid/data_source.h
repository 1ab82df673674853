// Where a grid's rows come from. The grid never reads a table itself: it
// moves and asks its source through these callbacks, which a browse object
// carries. Every table window uses the table source below; tests and other
// hosts may install their own (for instance to count the reads of a paint).
#pragma once

#include <cstdint>

namespace vortel {

struct browse_object;

// The table source: the browse object's table object.
//
// Position, called first in every paint: applies the pending move, leaves
// the table on the record of the top visible row and returns the number of
// the current record. Near the start of the table the walk back to the top
// row stops at record 1, so the current record may be drawn higher than the
// current row until the next navigation corrects it.
std::int32_t table_position(browse_object& browse);
// Moves by the browse object's step value and returns the new record number.
std::int32_t table_step(browse_object& browse);
void table_go_to(browse_object& browse, std::int32_t record);
std::int32_t table_record_number(browse_object& browse);
// Re-read from the file, so records other processes append are counted.
std::int32_t table_record_count(browse_object& browse);
int table_at_top(browse_object& browse);
int table_at_end(browse_object& browse);

struct data_source {
    std::int32_t (*position)(browse_object&) = table_position;
    std::int32_t (*step)(browse_object&) = table_step;
    void (*go_to)(browse_object&, std::int32_t) = table_go_to;
    std::int32_t (*record_number)(browse_object&) = table_record_number;
    std::int32_t (*record_count)(browse_object&) = table_record_count;
    int (*at_top)(browse_object&) = table_at_top;  // the last move stopped at the first record
    int (*at_end)(browse_object&) = table_at_end;  // the last move stopped at the last record
};

}  // namespace vortel
