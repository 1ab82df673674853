// The words a user reads for a system error. Messages say what failed in
// terms the user can act on ("Disk full", "Permission denied"), never the
// number the system gave.
#pragma once

#include <string>

namespace vortel {

// Plain English words for an errno value; the system's own text for errors
// without words of ours, and "" for 0.
std::string error_text(int error);

}  // namespace vortel
