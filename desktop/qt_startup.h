// The program's start-up state: the settings and named values every part of
// the desktop program reaches, and the command line.
#pragma once

#include "runtime/version.h"

#include <string>
#include <vector>

namespace vortel {


// The arguments after the program name joined by single blanks; then, when
// the text both begins and ends with a double quote, those two are removed.
// Nothing else is parsed: the result is one file name, blanks included.
std::string command_line_text(const std::vector<std::string>& arguments);

// In this order: the operating system's description as "OS", the company
// name setting, "HELP_FONT", the current directory as "SOURCE_PATH" (a
// malloc'd block), "PRINT_FONT" (a malloc'd block), every table slot free.
void start_up();

// Makes the program's images (":/KUKA", ":/INFO", ":/VORTEL") available.
void load_desktop_resources();

// The Open command's directory ("SOURCE_PATH").
std::string open_directory();
// Keeps the directory part of `chosen_path` (without its last separator) as
// the Open command's directory; a path without a separator leaves it empty.
void remember_open_directory(const std::string& chosen_path);

// What closing the main window releases: the two malloc'd named values.
void release_start_up_values();

}  // namespace vortel
