// Finishing the story of a rebuild that did not end: run before a table is
// opened, by every front-end.
//
// A journal beside the table (commands/rebuild_journal.h) that nobody holds
// belongs to a rebuild whose process is gone. Its story ends one of three
// ways, each proven file by file through device and inode before anything
// is touched:
//  - the new table already stands under the table's name: the backups of
//    the old one go, with any other copy of the rebuild;
//  - the table's name is empty and the old table waits whole under its
//    backup name: the old pair goes back (memo file first), and the copy
//    goes;
//  - the replacement never started: the copy goes.
// A file the journal does not prove to be the rebuild's (another inode, or
// created without its identity written) stays, and the message names it;
// so does everything while the table's name holds a file the journal does
// not know. The journal goes once its story is over. A journal that cannot
// be read stays as it is, and rebuilds of the table are refused meanwhile.
#pragma once

#include <string>

namespace vortel {

// What was done, in words for the user ("" when there was no journal or a
// live rebuild holds it). `table_path` is the name the user opens, links
// allowed; the table file may be missing.
std::string recover_interrupted_rebuild(const std::string& table_path);

}  // namespace vortel
