// vortel-cli as a function, so that tests run it in-process with string
// streams. Arguments and output are UTF-8; inside, texts are Windows-1250
// and paths stay as given.
#pragma once

#include "cli/cli_command.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace vortel {

// `arguments` excludes the program name.
int run_cli(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& errors);

}  // namespace vortel
