// Copying records between two open tables, field by field: the loop that
// every rebuild (pack, structure change) and append from share, and the
// rules by which a value of one field becomes the value of another.
#pragma once

#include "engine/table.h"

#include <functional>
#include <vector>

namespace vortel {

// For every field of `target`, the source field of the same name (letter
// case ignored), or -1.
std::vector<int> map_fields_by_name(const table_object& source, const table_object& target);

enum class copy_selection {
    as_navigated,  // the records the source's navigation visits (hide_deleted and its filter decide)
    // Deleted records as navigated, but never a filter's choice: a table
    // rebuilt in place keeps every record the user did not ask to drop.
    deleted_as_navigated,
    live_only,     // deleted records are always left out
};

// Appends the selected source records to the target, in order, copying each
// target field from its mapped source field; unmapped fields stay blank and
// every copy is a live record. Both tables hold their table locks; texts pass
// as stored between tables of one code page, and are recoded character by
// character between two (a character the target's code page cannot hold
// fails the copy, noted with the record, the field and the character).
// `progress` gets a
// percentage after every 102 records. The source is left on the record it
// stood on. 1, or 0 when a lock is missing, a record or memo cannot be
// written, or the target refuses a value (the target then holds a part of
// the records).
//
// How each value travels (field_copy.h):
//  1. Into a field of the same type, length and decimals: its bytes, whatever
//     they are; no value is re-formatted by a copy that only carries it.
//  2. Into a character field: the stored text, cut to the width (between
//     whole characters).
//  3. Into another shape: store_field_value, so blank stays blank, "?" stays
//     "?", numbers are rescaled digit by digit, and a value that does not
//     fit fails the whole copy with its reason rather than being mangled.
//  4. From or into a memo: the memo text read whole; into a memo field it is
//     stored as a memo (memo_batch.h), except an empty text, which leaves the
//     field without a memo; into another field store_field_value decides. A
//     refusal is noted with the source's record number ("Record 17: 123456
//     does not fit AMOUNT N(5,1)").
int copy_records(table_object& source, table_object& target, const std::vector<int>& mapping,
                 copy_selection selection, const std::function<void(int percent)>& progress = {});

}  // namespace vortel
