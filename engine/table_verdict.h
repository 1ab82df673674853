// Whether a table file can be opened and changed, only viewed, or not opened
// at all, and why, in plain words. The table's open and the structure
// listing both ask here, so that they never disagree about a file.
//
// Every judgement comes from the stored bytes and the file's size alone:
//  1. Refused: what would make the table's records unreadable or its layout
//     a guess (a version other than 0x03 and 0x83, a header or field area
//     past the end of the file, no fields, a field past the length limits
//     before the last one, records shorter than their fields, a negative
//     record count).
//  2. Read-only: a table that reads whole, but where a change could harm
//     what the file holds: a table of another dBase-family version, or a
//     dBase III table with fields of types dBase III does not know (the
//     reason says which); a header counting more records than the file
//     holds (the table shows those it holds), or fewer (an append would
//     overwrite the uncounted ones). The open adds its own reasons: a file
//     it may not write, a memo file that is missing, a user who asked.
#pragma once

#include "engine/dbf_format.h"
#include "engine/file_handle.h"
#include "engine/table_dialect.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vortel {

struct table_verdict {
    // Why the table cannot be opened at all; "" when it can.
    std::string refusal;
    // Why it can be viewed but not changed, one reason each; empty when the
    // stored bytes allow changes.
    std::vector<std::string> read_only_reasons;
    // Whole records the file holds after the header.
    std::int64_t records_held = 0;
    // The records the table shows: the header's count, or those the file
    // holds when it holds fewer.
    std::int64_t records_shown = 0;
    // What wrote the table, from its version byte and field types.
    table_dialect dialect;
    // dBase 7's field names, up to 31 characters, one per field; empty for
    // the versions whose descriptors hold the names whole.
    std::vector<std::string> long_names;
};

// Reads the header and the field descriptors of the open table file `dbf`
// into `header` and `fields` (date lengths forced to 8, as the records are
// laid out) and judges them.
table_verdict judge_table_file(file_handle& dbf, dbf_header& header, std::vector<field_descriptor>& fields);

// Opens an existing table file as `mode` asks. When the system refuses
// write access only (no permission, a read-only file system or share), it
// opens the file for reading instead and adds why to `reasons` ("the file
// is read-only (permission denied)"; `what` names the file). False, with
// the system's error in the handle, when the file cannot be opened at all.
bool open_table_file(file_handle& file, open_mode mode, const std::string& what, std::vector<std::string>& reasons);

// Finds the memo file of the table file `dbf_path` whatever its letter case
// and opens it into `memo` (whose name becomes the file's) by
// open_table_file.
struct memo_file_outcome {
    // Why the memo texts are unavailable for good ("the memo file PD.DBT is
    // missing", or may not be read), also added to the reasons: such a table
    // can only be viewed. "" otherwise.
    std::string unavailable;
    // Why the table cannot be opened now: the memo file is there but the
    // open failed otherwise ("The file is in use by another program:
    // PD.DBT"). "" otherwise.
    std::string refusal;
};
memo_file_outcome open_memo_file(file_handle& memo, const std::string& dbf_path, const open_mode& mode,
                                 std::vector<std::string>& reasons);
// The same for the memo file of a table of `dialect` (an FPT file for the
// FoxPro family).
memo_file_outcome open_memo_file(file_handle& memo, const std::string& dbf_path, const table_dialect& dialect,
                                 const open_mode& mode, std::vector<std::string>& reasons);

// Reasons as one text, joined by "; ".
std::string joined_reasons(const std::vector<std::string>& reasons);

// Why a header counting `count` records disagrees with a file holding
// `held` whole records after its header, naming the repair; "" when they
// agree.
std::string record_count_problem(std::int64_t count, std::int64_t held);

// 8733 as "8,733", as the reasons write counts; "1 record", "8,733 records".
std::string count_text(std::int64_t count);
std::string records_text(std::int64_t count);

// The memo file's name as reasons give it: its last part, as program text.
std::string memo_name_text(const std::string& memo_path);

}  // namespace vortel
