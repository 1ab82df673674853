#include "engine/output_refusal.h"

#include "platform/companion_file.h"
#include "platform/error_text.h"
#include "platform/file_identity.h"

namespace vortel {

std::string output_refusal(const std::string& dbf_name, const std::string& output)
{
    if (names_one_file(output, dbf_name)) return file_name_text(output) + " is the table itself: choose another file";
    // Also for a table without memo fields: the name is the one its memo
    // file takes, and a file there may be another program's memos. A memo
    // file in another letter case is the table's as much.
    const std::string found = find_ignoring_case(dbt_file_name(dbf_name));
    if (names_one_file(output, dbt_file_name(dbf_name)) || (!found.empty() && names_one_file(output, found))) {
        return file_name_text(output) + " is the memo file of the table: choose another file";
    }
    return {};
}

std::string output_refusal(const table_object& table, const std::string& output)
{
    return output_refusal(table.dbf_name, output);
}

std::string memo_name_refusal(const std::string& dbf_name)
{
    const std::string memo_name = dbt_file_name(dbf_name);
    if (memo_name == dbf_name) {
        return file_name_text(dbf_name) + " cannot have memo fields: its memo file would be the table itself "
                          "(choose a name whose last letter is not T)";
    }
    if (names_one_file(memo_name, dbf_name)) {
        return file_name_text(memo_name) +
               " is the table file itself: a table with memo fields needs a memo file of its own";
    }
    return {};
}

}  // namespace vortel
