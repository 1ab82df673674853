// The small real table the append targets fill: character, number with
// decimals, date, logical and memo fields. Made once with create_table and
// kept as bytes, so every input starts from an empty copy.
#pragma once

#include "engine/create_table.h"
#include "engine/dbf_format.h"
#include "engine/table.h"
#include "fuzz/fuzz_support.h"

#include <cstddef>
#include <string>

namespace vortel::fuzz {

inline constexpr std::size_t target_name_length = 8;

struct empty_table {
    std::string dbf;
    std::string dbt;
};

inline const empty_table& empty_target_table()
{
    static const empty_table table = [] {
        const std::string name = scratch_folder() + "EMPTY.DBF";
        table_object maker(name);
        if (!create_table(maker, {{"NAME", 'C', static_cast<int>(target_name_length), 0},
                                  {"AMOUNT", 'N', 7, 2},
                                  {"BORN", 'D', 8, 0},
                                  {"ACTIVE", 'L', 1, 0},
                                  {"NOTE", 'M', 10, 0}})) {
            fail("cannot make the empty table");
        }
        return empty_table{read_file(name), read_file(dbt_file_name(name))};
    }();
    return table;
}

// Puts the empty table's files at `dbf_name` and its memo file's name.
inline void write_empty_target_table(const std::string& dbf_name)
{
    const empty_table& empty = empty_target_table();
    write_file(dbf_name, empty.dbf);
    write_file(dbt_file_name(dbf_name), empty.dbt);
}

}  // namespace vortel::fuzz
