// New table files from a list of fields, and the record copy that every
// rebuild (pack, structure change) and append from share.
#pragma once

#include "engine/field_list_entry.h"
#include "engine/table.h"

#include <functional>
#include <string>
#include <vector>

namespace vortel {

// Writes an empty table under `t`'s file name: header, descriptors and
// terminator dated today, and with a memo field the memo file's header
// block. Existing files of those names are overwritten. `t` must not be
// open and is not opened. 1, or 0 when a file cannot be written or the list
// cannot describe a table (no fields, or lengths past what the header holds);
// on failure nothing half-written is left under the names.
int create_table(table_object& t, const std::vector<field_list_entry>& fields);

// `base` followed by the first decimal number from `first` on under which no
// file exists; with `with_memo` its memo file name must be free too, so that
// creating the table overwrites nothing.
std::string free_numbered_name(const std::string& base, int first, bool with_memo);

// Removes a table this program created under a numbered name, with its memo
// file when it has one. Files another process holds open stay.
void remove_table_files(const std::string& dbf_name, bool with_memo);

// Copies field `source_index` of the source's current record into field
// `target_index` of the target's record buffer, by the target's type:
// memo texts are read whole and stored as memos, other values go through
// set_field_text and so are fitted to the target's type and length. An
// empty memo text is not stored: the field stays without a memo. A source
// index of -1 leaves the field as it is. 1, or 0 when a memo cannot be
// stored; the caller holds the lock that memo_write needs.
int copy_field_value(table_object& source, table_object& target, int target_index, int source_index);

// For every field of `target`, the source field of the same name (letter
// case ignored), or -1.
std::vector<int> map_fields_by_name(const table_object& source, const table_object& target);

enum class copy_selection {
    as_navigated,  // the records the source's navigation visits (SET_DELETED decides)
    live_only,     // deleted records are always left out
};

// Appends the selected source records to the target, in order, copying each
// target field from its mapped source field; unmapped fields stay blank and
// every copy is a live record. Both tables hold their table locks; texts pass
// as stored (the conversion flags are off for the copy). `progress` gets a
// percentage after every 102 records. The source is left on the record it
// stood on. 1, or 0 when a lock is missing or a record or memo cannot be
// written (the target then holds a part of the records).
int copy_records(table_object& source, table_object& target, const std::vector<int>& mapping,
                 copy_selection selection, const std::function<void(int percent)>& progress = {});

}  // namespace vortel
