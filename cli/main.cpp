// vortel-cli: the table engine and commands for scripts.
#include "cli/cli_app.h"
#include "cli/print_command.h"
#include "cli/qt_pdf_listing.h"

#include <iostream>

int main(int argc, char** argv)
{
    vortel::set_pdf_listing_writer(vortel::write_pdf_listing);
    return vortel::run_cli(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout, std::cerr);
}
