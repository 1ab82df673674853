// The names a rebuild gives the files it writes beside a table.
//
// Every copy and backup is a pair: a table name and the memo name that the
// usual rule (dbt_file_name: the last character becomes "T", or "t" after
// a small letter) gives it, and no other name of the scheme shares that
// memo name. PEOPLE.DBF has the copies
// PEOPLE.NEW1.DBF with PEOPLE.NEW1.DBT, PEOPLE.NEW2.DBF, ..., and the
// backups PEOPLE.OLD1.DBF with PEOPLE.OLD1.DBT, ...; so a copy or backup
// opened by hand always meets its own memo file; people.dbf has
// people.new1.dbf with people.new1.dbt. A name without extension keeps a
// last character that is not "T": PEOPLE gives PEOPLE.NEW1_ with
// PEOPLE.NEW1T.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vortel {

inline constexpr std::string_view copy_kind = "NEW";
inline constexpr std::string_view backup_kind = "OLD";

// The pair's table name: `table_path` with `kind` and `number` put before
// its extension, in the extension's letter case.
std::string numbered_table_name(const std::string& table_path, std::string_view kind, int number);

// The most numbered names tried beside one table.
inline constexpr int numbered_names_max = 10000;

// What one try at a numbered name came to.
enum class name_try {
    claimed,  // the name is ours now
    in_use,   // someone else has it: the next number is tried
    failed,   // the try failed; it noted why
};

struct numbered_claim {
    name_try outcome = name_try::in_use;  // in_use: every name was taken
    std::string name;                     // the name claimed
};

// Tries the `kind` names beside `table_path` in number order until
// `attempt` claims one or fails.
numbered_claim claim_numbered_name(const std::string& table_path, std::string_view kind,
                                   const std::function<name_try(const std::string& name)>& attempt);

// The journal of a rebuild of `table_path`: PEOPLE.DBF.rebuild.
std::string rebuild_journal_name(const std::string& table_path);

// The folder part of a path ("." for a bare name) and the name in it.
std::string folder_of(const std::string& path);
std::string name_in_folder(const std::string& path);

}  // namespace vortel
