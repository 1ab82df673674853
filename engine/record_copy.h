// Copying records between two open tables, field by field: the loop that
// every rebuild (pack, structure change) and append from share, and the
// rules by which a value of one field becomes the value of another.
#pragma once

#include "engine/table.h"

#include <functional>
#include <vector>

namespace vortel {

// Copies field `source_index` of the source's current record into field
// `target_index` of the target's record buffer, by the target's type:
// memo texts are read whole and stored as memos, other values go through
// store_field_value, whose rules decide or refuse. An empty memo text is
// not stored: the field stays without a memo. A source index of -1 leaves
// the field as it is. 1, or 0 when a memo cannot be read or stored or the
// target refuses the value; a refusal is noted on the target with the
// source's record number ("Record 17: 123456 does not fit AMOUNT
// N(5,1)"). The caller holds the lock that memo_write needs.
int copy_field_value(table_object& source, table_object& target, int target_index, int source_index);

// For every field of `target`, the source field of the same name (letter
// case ignored), or -1.
std::vector<int> map_fields_by_name(const table_object& source, const table_object& target);

enum class copy_selection {
    as_navigated,  // the records the source's navigation visits (its hide_deleted decides)
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
//  4. From or into a memo: the memo text whole, as copy_field_value says.
int copy_records(table_object& source, table_object& target, const std::vector<int>& mapping,
                 copy_selection selection, const std::function<void(int percent)>& progress = {});

}  // namespace vortel
