// vortel-cli: the table engine for scripts. Arguments and output are UTF-8;
// messages go to standard error. Exit status: 0 success, 1 the operation
// failed, 2 usage error.
#include "cli/structure_command.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr const char* usage =
    "Usage: vortel-cli COMMAND TABLE\n"
    "\n"
    "Commands:\n"
    "  structure T   the stored layout of table T: header numbers and fields\n"
    "\n"
    "Options:\n"
    "  --help        this text\n"
    "  --version     the program's name and version\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << usage;
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "vortel-cli " VORTEL_VERSION "\n";
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "structure") == 0) {
        return vortel::print_structure(argv[2], std::cout, std::cerr);
    }
    std::cerr << usage;
    return 2;
}
