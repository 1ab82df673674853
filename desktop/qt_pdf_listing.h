// The PDF writer vortel-cli installs for its print command: the table
// listing laid out for the chosen paper (A4 unless told) at 600 dpi and
// played one to one onto a PDF printer, without showing anything.
#pragma once

#include <string>

namespace vortel {

struct browse_object;
struct pdf_listing_options;

std::string write_pdf_listing(browse_object& browse, const std::string& title, const std::string& path,
                              const pdf_listing_options& options);

}  // namespace vortel
