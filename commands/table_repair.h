// Repairing a header whose record count disagrees with the records its file
// holds: the one change made to a table that opens read-only for its count.
//
// Invariants:
//  1. Sole use first: the table file is claimed as a rebuild claims it
//     (platform/native_file.h, (5)); while another process has the table
//     open, the repair is refused ("The table busy !") and changes nothing.
//  2. A copy of the table file as it was comes first, under a backup name of
//     the rebuild's pairs (PEOPLE.OLD1.DBF; commands/rebuild_names.h),
//     created exclusively beside the table's file and on the disk before the
//     count changes. It stays for the user.
//  3. Only the four bytes of the count change, to the whole records the
//     file holds: no record byte, no memo.
#pragma once

#include <string>

namespace vortel {

enum class repair_status {
    repaired,           // the count now is what the file holds
    nothing_to_repair,  // it already was; nothing happened
    busy,               // the table is open elsewhere; nothing happened
    refused,            // the table cannot be read as a table, or written; nothing happened
    failed,             // a step failed; the message says which, and whether the count changed
};

struct repair_result {
    repair_status status = repair_status::failed;
    // What was done or why not, as program text with the files named.
    std::string message;
    // The copy of the table as it was, "" when none was made.
    std::string backup;
};

repair_result repair_record_count(const std::string& table_path);

}  // namespace vortel
