// Putting the records of a table into key order, written into a copy of
// its file.
//
// The key is a list of field indexes (tables from the wild hold two fields
// of one name, so names cannot say which is meant). Within a memory budget
// all records are read into memory, ordered, and written in one write after
// the copy's header area; a larger table is sorted in runs that fit the
// budget, kept in an unnamed scratch file beside the table, and merged into
// the copy. The table's own file is only read. Records move whole, delete mark
// and memo block numbers included, so the copy shares the table's memo
// file as it is.
#pragma once

#include "engine/table.h"

#include <cstddef>
#include <vector>

namespace vortel {

// Record keys are at most this long; a key whose fields together reach 255
// bytes is refused before anything is read.
inline constexpr int sort_key_length_max = 254;

// The memory a sort takes for itself unless told otherwise.
inline constexpr std::size_t sort_memory_budget_default = std::size_t{256} << 20;

// The reason a failed allocation gives.
inline constexpr const char* sort_memory_text = "Not enough memory to sort";

// How a sort orders and how much memory it takes. The front-ends fill it
// from the user's choice; the engine reads no setting for it.
struct sort_options {
    // Accented vowels sort with their base vowels, through the folding
    // table of the table's code page (text/folding.h); otherwise keys
    // compare as bytes.
    bool hungarian_order = false;
    // The sort's memory stays near this many bytes, whatever the table's
    // size; the order is the same for every budget.
    std::size_t memory_budget = sort_memory_budget_default;
};

// Whether `fields` can key a sort: at least one field, every index a field
// of the table, their lengths together at most sort_key_length_max.
bool sort_key_fits(const table_object& table, const std::vector<int>& fields);

// Under the table lock: the table's records in key order into `target`,
// whose file holds the copy's header area, from the header length on, then
// the record count at its place in the header, so the count never promises
// records the copy lacks, in the order `options` choose. Equal keys keep
// their order. 1, or 0 with the reason noted on the table: a refused key, a
// file the count does not fit, a failed read or write, or memory that ran
// out (sort_memory_text). The table stays on its record.
int write_sorted_records(table_object& table, const std::vector<int>& key, file_handle& target,
                         const sort_options& options = {});

}  // namespace vortel
