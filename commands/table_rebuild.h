// A rebuild: a new table written beside an open table and then put in its
// place, the one way pack, zap, sort and structure change alter a table as
// a whole. Whatever crashes and whatever else runs at the same time, the
// table's name holds the old table or the new one, each whole and each with
// its own memo file, or the journal tells how to get there.
//
// Invariants:
//  1. Sole use first, names after. The rebuild takes the table lock, then
//     claims sole use of the table's open files (the DBF, and the DBT when
//     open; platform/native_file.h). Nothing is created before both are
//     held; a refusal is "The table busy !" and changes nothing. While the
//     claim lasts no other process can open the table, so nobody writes
//     into the old table after it was copied.
//  2. The journal (commands/rebuild_journal.h) is created exclusively right
//     after the claim and tells every step before it is taken. Two rebuilds
//     of one table never overlap: the second finds the journal or the claim.
//  3. Every file the rebuild creates is made without a name, journaled by
//     device and inode, and only then named, never over an existing file,
//     under a name of the pair scheme (commands/rebuild_names.h), the next
//     number when one is taken; a crash therefore leaves no file the journal
//     does not prove. (Where the file system cannot make a file without a
//     name, the name is journaled before an exclusive create.) Nothing the
//     rebuild did not create is deleted, truncated or renamed, except the
//     table's own files, which it claimed; every move and removal proves
//     first that the name still names the claimed file.
//  4. The copy is on the disk (fdatasync) before it moves, the folder after
//     the moves.
//  5. The moves: the old table to the backup name, the old memo file to the
//     backup's memo name, the new memo file to the table's memo name, the
//     new table to the table's name. At every moment each name opens with
//     its own memo file or not at all.
//  6. A failure undoes the moves in reverse order and removes the copy; what
//     cannot be undone or removed stays journaled, and the next open of the
//     table finishes the story (commands/rebuild_recovery.h).
//  7. A table reached through symbolic links is rebuilt where its file is,
//     and the links stay. A table file with another hard link is refused, as
//     the other names would keep the old data.
#pragma once

#include "engine/table.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vortel {

enum class rebuild_status {
    done,     // the new table stands under the table's name
    busy,     // the table lock or sole use was refused; nothing happened
    refused,  // the table cannot be rebuilt (links, a journal in the way); nothing happened
    failed,   // a step failed; see the reason and whether the table is in place
};

struct rebuild_outcome {
    rebuild_status status = rebuild_status::failed;
    // Why it was refused or failed, in plain words with the file concerned
    // ("Disk full: /x/PEOPLE.NEW1.DBF"); "" otherwise.
    std::string reason;
    // The table's name holds a whole table, old or new.
    bool table_in_place = true;
    // Files left on disk for the next open's recovery or for the user.
    std::vector<std::string> kept_files;
};

struct rebuild_plan {
    // The copy's header area, as its file starts; the record count in it is
    // 0. Byte 29 is written to name the table's code page (language_byte_for).
    std::vector<std::uint8_t> header;
    // The copy has a memo file of its own (with a new header block); without
    // one it shares the table's memo file, which then stays where it is.
    bool own_memo = false;
    // `fill` sees the copy open and locked as a table; otherwise it sees the
    // copy's files as they were created (only the DBF open).
    bool open_copy = false;
    // Writes the records into the copy: 1, or 0 with the reason noted on
    // the rebuilt table. Without it the copy stays empty.
    std::function<int(table_object& copy)> fill;
};

// Rebuilds the open `table` by `plan`. Done: the table object is closed
// (its files are gone) and the table's name opens the new table. Otherwise
// the table object is as it was, on its record, unless the table is not in
// place (then it is closed).
rebuild_outcome run_rebuild(table_object& table, const rebuild_plan& plan);

}  // namespace vortel
