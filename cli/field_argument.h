// Fields as a command line names them: by name, letter case ignored, or as
// #N, the field's number that `info` shows (1 for the first field).
//
// Tables from other programs may hold two fields of one name (a GPS export
// with a text and a numeric POINT_ID). Such a name could mean either field,
// so it is refused with the numbers that tell them apart; #N always names
// exactly one field.
#pragma once

#include <string>
#include <string_view>

namespace vortel {

struct table_object;

struct field_choice {
    int index = -1;       // the field's index, -1 when the argument names none
    std::string problem;  // why not, in program text; empty when found
};

field_choice find_named_field(const table_object& table, std::string_view argument);

}  // namespace vortel
