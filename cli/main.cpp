// vortel-cli: the table engine and commands for scripts.
#include "cli/cli_app.h"

#include <iostream>

int main(int argc, char** argv)
{
    return vortel::run_cli(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout, std::cerr);
}
