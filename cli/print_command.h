// vortel-cli print: the table listing the desktop program previews, written
// to a PDF file. Choosing the columns is decided here; laying the pages out
// and writing the PDF need the printing layer, which the program installs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "print/page_setup.h"

namespace vortel {

struct browse_object;
struct cli_context;

// How the listing is made besides its columns.
struct pdf_listing_options {
    page_setup setup;
    bool memo_texts = false;  // memo texts under their record
    bool found_only = false;  // only the records of `found`, in its order
    std::vector<std::int32_t> found;
};

// Lays out the listing of `browse` (its chosen columns) as `options` say
// and writes it to the PDF file `path`; gives the message to report, empty
// on success.
using pdf_listing_writer = std::string (*)(browse_object& browse, const std::string& title, const std::string& path,
                                           const pdf_listing_options& options);

// Installed by the program at start; without it printing reports that it
// is not available.
void set_pdf_listing_writer(pdf_listing_writer writer);

// Marks the columns to print: the named fields (comma separated, each a
// name or #N as find_named_field takes it), moved to the front in the order
// given, or, with no names, every field.
// Gives the problem with the first argument that names no single field,
// empty when all do.
std::string choose_print_columns(browse_object& browse, const std::string& names);

// The page of --paper, --landscape and --margins; the problem with them,
// empty when there is none.
std::string read_page_setup(cli_context& context, page_setup& setup);

int run_print_command(cli_context& context);

}  // namespace vortel
