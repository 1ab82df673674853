// vortel-cli print: the table listing the desktop program previews, written
// to a PDF file. Choosing the columns is decided here; laying the pages out
// and writing the PDF need the printing layer, which the program installs.
#pragma once

#include <string>

namespace vortel {

struct browse_object;
struct cli_context;
struct page_setup;

// Lays out the listing of `browse` (its chosen columns, with `memo_texts`
// memo texts under their record) for the page of `setup` and writes it to
// the PDF file `path`; gives the message to report, empty on success.
using pdf_listing_writer = std::string (*)(browse_object& browse, const std::string& title, const std::string& path,
                                           const page_setup& setup, bool memo_texts);

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
