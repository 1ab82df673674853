// The journal of a rebuild: a small text file beside the table that tells
// what the rebuild is about to do and what it did, so that whoever opens
// the table after a crash can finish its story (commands/rebuild_recovery.h).
//
//  1. It is created exclusively, after the table's files are claimed, and
//     so exists at most once per table: a second rebuild finds it and stops.
//  2. Its owner has sole use of it (native_file claim) before it has its
//     name and for the rebuild's whole life. A journal that another handle
//     can open has no live owner.
//  3. Every line is on the disk (fdatasync) before the step it announces;
//     a last line without its line end was cut off by a crash and says
//     nothing.
//  4. Lines name files inside the table's folder, by name and, once they
//     exist, by device and inode, so that recovery proves every file before
//     touching it:
//       table DEVICE INODE NAME     the table file, claimed
//       memo DEVICE INODE NAME      its memo file, when it takes part
//       create NAME                 a file about to be created exclusively
//       created DEVICE INODE NAME   ... and the file that was created
//       backup NAME                 a name the table's files are about to move to
#pragma once

#include "platform/native_file.h"

#include <string>
#include <vector>

namespace vortel {

inline constexpr const char* journal_first_line = "vortel rebuild journal 1";

struct journal_file {
    file_identity id;
    std::string name;  // in the journal's folder
};

// What a journal tells.
struct journal_story {
    journal_file table;
    bool has_memo = false;
    journal_file memo;
    std::vector<std::string> intended;  // "create" names, in order
    std::vector<journal_file> created;
    std::vector<std::string> backups;
};

// Reads a journal's text. False when it is not one: a first line other than
// journal_first_line, or a whole line that does not parse.
bool parse_journal(const std::string& text, journal_story& story);

class rebuild_journal {
public:
    // Creates the journal exclusively and claims it. 0, or errno (EEXIST:
    // a journal is there already).
    int create(const std::string& path);
    bool is_open() const { return file_.is_open(); }
    const std::string& path() const { return path_; }

    // Each writes one line and puts it on the disk; false, with last_error,
    // when that fails.
    bool note_table(const char* word, const file_identity& id, const std::string& name);
    bool note_name(const char* word, const std::string& name);

    // Removes the journal; 0 or errno. It stays open (and claimed) on failure.
    int remove();
    void close() { file_.close(); }
    int last_error() const { return file_.last_error(); }

private:
    bool write_line(const std::string& line);

    native_file file_;
    std::string path_;
};

}  // namespace vortel
