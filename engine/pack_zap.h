// Pack and zap: the whole-table rebuilds of the engine. Neither touches the
// table's own files; each fills a copy that the rebuild (commands/
// table_rebuild.h) created beside the table and later puts in its place.
//
// A copy starts from the table's own header area (the header, the field
// descriptors and whatever other programs keep among them, such as the
// code page in byte 29), so that the rebuilt table describes itself as the
// old one did; only the record count and the date of last update differ.
#pragma once

#include "engine/table.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace vortel {

// The table's first header-length bytes as a copy of it starts: record
// count 0, last update today. Empty, with the reason noted, when they
// cannot be read.
std::vector<std::uint8_t> copy_header_area(table_object& table);

// Under the table lock of both: the live records of `table` appended to
// `copy` (open, empty, the same fields) in their order, with their memos
// written afresh into the copy's memo file. 1, or 0 with the reason noted
// on `table`. The table keeps its current record. `progress`, when given,
// sees the percentage of records copied rise from 0 to 100.
int pack_records(table_object& table, table_object& copy, const std::function<void(int percent)>& progress = {});

// After a failed copy into `copy`: notes on `table` why, from the copy's own
// note, else the system error its files met, else the table's files.
void note_copy_failure(table_object& table, const table_object& copy);

}  // namespace vortel
