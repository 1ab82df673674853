// The one check every command that writes a file makes first: the file must
// not be a table's own DBF or DBT. Writing there would empty or overwrite
// the table while it is read, under any name that reaches it (a link,
// "./T.DBF", another folder's path), so the files are compared as files.
#pragma once

#include "engine/table.h"

#include <string>

namespace vortel {

// Why `output` may not be written while the table whose DBF is `dbf_name`
// is in use: "OUT.DBT is the memo file of the table: choose another file",
// or the like for the DBF. "" when it may.
std::string output_refusal(const std::string& dbf_name, const std::string& output);
std::string output_refusal(const table_object& table, const std::string& output);

// Why a table named `dbf_name` cannot have memo fields: its memo file name
// (the last character made "T") reaches the table file itself, as "X.DAT"
// does, so creating the memo file would empty the table. "" when it can.
std::string memo_name_refusal(const std::string& dbf_name);

}  // namespace vortel
