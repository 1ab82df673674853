// Writing a table out: as fixed-width text lines (the form append_from reads
// back) or as an HTML page.
//
// Both run under the table lock, so the output is one consistent state of
// the table, and both put the table back on the record it stood on. A
// `progress` callback, when given, sees the percentage of records written
// rise from 0 to 100 (100 only when the whole table was read); it changes
// nothing in the output. An output that reaches the table's own DBF or DBT
// file is refused (see output_refusal.h).
//
// The output takes its name only when it was written whole: after a failure
// a file of that name is as it was, and nothing of the new one is left.
// Every failure but a busy table notes its reason on the table
// ("Disk full: OUT.TXT").
#pragma once

#include "engine/table.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vortel {

// What an export writes its texts in.
enum class export_encoding {
    usual,  // text: the table's own bytes; HTML: Windows-1250, the program's text
    utf8,   // every character whole, from whatever code page the table holds
};

// One line per record, CR LF after each: the record's bytes after the delete
// flag, as stored (no code-page conversion) or in UTF-8; in a table with
// binary fields each field as field_text shows it, filled up to the widest
// text it shows (null flags left out). Deleted records are
// written like live ones unless the table's navigation hides them. 1, or 0 when the
// table is busy, cannot be read, or the output cannot be created or written.
int export_text(table_object& table, const std::string& output,
                const std::function<void(int percent)>& progress = {},
                export_encoding encoding = export_encoding::usual);

// A page with one table: `title` in the head, the output name as caption,
// one heading per field from `captions` (missing ones are empty), one row per
// live record with the fields' texts as field_text gives them; blank texts
// become "&nbsp;". Every text is escaped, and the page declares the
// encoding it is written in: windows-1250, the code page of texts inside
// the program, or utf-8. 1, or 0 as export_text.
int export_html(table_object& table, const std::string& output, std::string_view title,
                const std::vector<std::string>& captions, const std::function<void(int percent)>& progress = {},
                export_encoding encoding = export_encoding::usual);

}  // namespace vortel
