// `vortel-cli structure T`: the layout of a table file as stored, read with
// the format module alone, so it also explains tables that do not open.
#pragma once

#include <iosfwd>
#include <string>

namespace vortel {

// Writes the description to `out` (UTF-8); 0 on success, 1 when the file
// cannot be read as a table (the reason goes to `errors`).
int print_structure(const std::string& path, std::ostream& out, std::ostream& errors);

}  // namespace vortel
