// What a failed export or append tells the user, the same in the desktop
// program and in vortel-cli.
#pragma once

#include "engine/table.h"

#include <string>

namespace vortel {

// The reason noted on the table ("Disk full: OUT.TXT"), or "The table busy !"
// when none was: the table lock was refused.
std::string export_failure_text(const table_object& table);

// "Append error !" with the noted reason on a second line, or "The table
// busy !" when none was noted.
std::string append_failure_text(const table_object& table);

}  // namespace vortel
