// The words a user reads for a system error. Messages say what failed in
// terms the user can act on ("Disk full", "Permission denied"), never the
// number the system gave.
#pragma once

#include <string>
#include <string_view>

namespace vortel {

// Plain English words for an errno value; the system's own text for errors
// without words of ours, and "" for 0.
std::string error_text(int error);

// A file name as program text (Windows-1250), for a message that names it:
// names in this file system are UTF-8.
std::string file_name_text(std::string_view path);

// "Disk full: OUT.TXT": the words for `error` and the file's name.
std::string file_error_text(int error, std::string_view path);

}  // namespace vortel
