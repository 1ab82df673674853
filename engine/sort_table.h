// Putting the records of a table into key order inside its own file.
//
// The key names fields joined by "+", as NAME+CITY. All records are read
// into memory, ordered, and written back over the old ones in one write;
// there is no index and no temporary file. Records move whole, delete mark
// and memo block numbers included, and the header is not touched.
#pragma once

#include "engine/table.h"

#include <string_view>

namespace vortel {

// Record keys are at most this long; a key whose fields together reach 255
// bytes is refused before anything is read.
inline constexpr int sort_key_length_max = 254;

// 1 when sorted (at once for an empty table), 0 when the key is refused,
// the table is busy, or reading or writing fails. A key's names count up to
// the first one that is no field of the table; when the first is none, the
// key is refused. Under SET_HUN_CMP "1" accented vowels sort with their base
// vowels, through the folding table that fits the table's bytes (code page
// 852 when its conversion flag is on); otherwise keys compare as bytes. Equal
// keys keep their order. The table stays on the same record number, which
// may now hold another record.
int sort_table(table_object& table, std::string_view key);

}  // namespace vortel
