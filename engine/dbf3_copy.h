// A plain dBase III copy of any table this program can show: the way out
// for tables of other dBase-family versions, which are only ever viewed.
//
//  1. Each field becomes its nearest dBase III field: C, N, F, D and L as
//     they are; memos (from any memo file) memos in a new DBT; integers
//     N(11,0) (N(20) when wider or scaled); doubles N(20,6) (N(20) with the
//     field's own decimals when it has some); currency N(20,4); date-times
//     C(19) holding the shown text (C(8) for a time alone); binary dates D.
//     Fields holding what cannot be shown (pictures, objects, raw bytes,
//     null flags) are dropped. A null value becomes a blank.
//  2. Texts go over as stored, in the source's code page, which the copy
//     names in its byte 29.
//  3. A value that does not fit its new field refuses the whole copy, with
//     the record and the reason; nothing is ever stored rounded away or cut.
//  4. The copy is written under temporary names beside the output and takes
//     the output's names only when whole; a failure leaves no file behind.
#pragma once

#include "engine/table.h"

#include <string>
#include <vector>

namespace vortel {

struct dbf3_field_plan {
    int source = -1;             // the field of the source table
    field_list_entry target;     // its field in the copy; type 0 when dropped
    std::string note;            // "QTY I(4) -> N(11,0)", "PHOTO G(4) dropped"; "" when kept as it is
};

// The fields of the copy of open table `source`.
std::vector<dbf3_field_plan> plan_dbf3_copy(const table_object& source);

// Writes the copy of open table `source` to `output` (and its DBT when it
// has memos), replacing files of those names; `notes` gets the plan's
// notes. 1, or 0 with the reason noted on `source`.
int copy_to_dbf3(table_object& source, const std::string& output, std::vector<std::string>& notes);

}  // namespace vortel
