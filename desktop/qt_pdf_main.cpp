// vortel-cli-pdf: vortel-cli with printing. vortel-cli hands its print
// command here, arguments and all, so that no other command pays for
// loading Qt's fonts and PDF printer.
#include <iostream>

#include "cli/cli_app.h"
#include "cli/print_command.h"
#include "desktop/qt_pdf_listing.h"

int main(int argc, char** argv)
{
    vortel::set_pdf_listing_writer(vortel::write_pdf_listing);
    return vortel::run_cli(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout, std::cerr);
}
