// Putting a rebuilt table in the place of a table's files, after pack, zap or
// a structure change.
//
// Nothing old is deleted before the new files stand under the table's name:
//  1. The old table moves to a backup name first (T followed by the first
//     free number). A move is refused while any process has the file open,
//     so this step also proves that nobody is using the table; from here on
//     nobody can open it, as no file has its name.
//  2. With a memo file in the new table, the old memo file moves to the memo
//     backup (the backup name with its last character replaced by "TT":
//     X.DBF0 gives X.DBFTT), and the new memo file takes the table's memo
//     name.
//  3. The new table takes the table's name last, so the table never stands
//     without its memo file.
//  4. Only then are the backups removed.
// A refused step undoes the earlier ones in reverse order and removes the
// new files. An undo that fails stops the undoing: the old files stay under
// the names the result lists, rather than an old table meeting a new memo
// file.
#pragma once

#include "engine/table.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vortel {

enum class replacement_step {
    none,
    table_aside,  // the old table could not move to its backup name (in use)
    memo_aside,   // the old memo file could not move to the memo backup
    memo_in,      // the new memo file could not take the table's memo name
    table_in,     // the new table could not take the table's name
};

struct replacement_result {
    bool replaced = false;           // the new files stand under the table's name
    bool table_in_place = true;      // the table's name holds a whole table, old or new
    replacement_step failed_step = replacement_step::none;
    std::string table_name;          // what to open again afterwards
    std::vector<std::string> kept_files;  // files left on disk that the user may need
};

// The backup name the replacement would use now for `table_name`.
std::string table_backup_name(const std::string& table_name, bool with_memo);

// Puts `new_name` (and, with `new_has_memo`, its memo file) in the place of
// `table_name` and its memo file. The caller has closed its table objects of
// both. Without a memo file in the new table the old memo file, if any, is
// left alone.
replacement_result replace_table_files(const std::string& table_name, const std::string& new_name,
                                       bool new_has_memo);

enum class rebuild_kind { pack, zap };

struct rebuild_result {
    // False: the table lock was refused (or the copy could not be made);
    // the table is untouched and `table` still holds it.
    bool copy_made = false;
    replacement_result replacement;
};

// Pack or zap with the file replacement: the engine's copy, then `table` is
// closed (reset) and the copy put in its place. Afterwards the front-end
// opens replacement.table_name again. `progress` sees the pack's copy as
// pack_table tells it; a zap copies nothing and tells nothing.
rebuild_result rebuild_table(std::unique_ptr<table_object>& table, rebuild_kind kind,
                             const std::function<void(int percent)>& progress = {});

}  // namespace vortel
