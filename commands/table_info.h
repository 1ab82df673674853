// The Table information text: the table's name, the code page its texts are
// read in and how that was found, and its structure, one line per field.
#pragma once

#include <string>

namespace vortel {

struct table_object;

// Lines end in CR LF, the last one included. A read-only table says why on
// the line after its name.
std::string table_info_text(const table_object& table);

}  // namespace vortel
