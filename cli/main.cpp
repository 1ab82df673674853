// vortel-cli: the table engine and commands for scripts.
//
// Printing lays pages out with Qt's fonts and PDF printer. The program
// itself stays free of Qt, which would cost every run several times its
// start-up time and memory: a print command is handed, arguments and all,
// to its twin vortel-cli-pdf beside it, the same program with printing.
// A build without the desktop program has no twin, and says so when asked
// to print.
#include "cli/cli_app.h"
#include "cli/print_command.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace {

[[maybe_unused]] char** program_arguments = nullptr;

[[maybe_unused]] std::string run_printing_twin(vortel::browse_object&, const std::string&, const std::string&,
                                               const vortel::pdf_listing_options&)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::string twin = (error ? std::filesystem::path("vortel-cli") : self).string() + "-pdf";
    std::cout.flush();
    program_arguments[0] = const_cast<char*>(twin.c_str());
    ::execv(twin.c_str(), program_arguments);
    return "vortel-cli: printing needs " + twin + ": " + std::strerror(errno);
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef VORTEL_CLI_PRINTING_TWIN
    program_arguments = argv;
    vortel::set_pdf_listing_writer(run_printing_twin);
#endif
    return vortel::run_cli(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout, std::cerr);
}
