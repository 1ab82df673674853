// Filling a table from another file: a DBF table, whose fields are matched
// to this table's by name, or fixed-width text lines as export_text writes
// them.
#pragma once

#include "engine/table.h"

#include <functional>
#include <string>

namespace vortel {

// Appends the records of `source` to `table` under its table lock, and puts
// the table back on the record it stood on. 1, or 0 when:
//  - the table is read-only (noted);
//  - `source` is the table's own file under any name, or the table is busy
//    (its table lock or, with memo fields, its memo header lock is held
//    elsewhere);
//  - `source` is a table that is busy, whose memo file is missing, or that
//    reads as a table but cannot be opened (a damaged header);
//  - `source` is neither a table nor a readable file;
//  - reading the source or writing the table fails, or the table refuses a
//    value.
// A failed append leaves the table's files exactly as they were (see
// append_undo.h), and every failure but a busy one notes its reason on the
// table.
//
// From a table: every field takes the value of the source field of the same
// name (letter case ignored) by the copy rules of record_copy.h, memos
// whole, texts recoded from the source's code page to the table's; other
// fields stay blank. Deleted source records come as live
// records unless the table's navigation hides deleted records.
//
// From text: each line becomes one record, a blank delete flag and the
// line's bytes at their places in the record, cut to the record's width and
// filled up with zero bytes. Lines end in CR LF; a file without a single
// CR LF ends them in LF, as Unix programs write. Numbers, dates and logicals
// are then stored again by their types' rules; memo fields become empty.
// The lines' bytes are taken as the table's own code page, unconverted.
//
// `progress`, when given, sees the percentage of the source read so far
// (records of a table, bytes of a text) rise from 0 to 100, 100 when all of
// it was appended; it changes nothing that is written.
int append_from(table_object& table, const std::string& source,
                const std::function<void(int percent)>& progress = {});

// The frame every append runs in, for appends of other kinds of source:
// refuses as append_from does (the table's own file, read-only, busy), then
// runs `fill` under the table lock with texts passed as stored, and puts
// the table's files back as they were when `fill` gives 0 or throws. `fill`
// appends through record_appender and notes why it failed.
int append_with(table_object& table, const std::string& source, const std::function<int()>& fill);

}  // namespace vortel
