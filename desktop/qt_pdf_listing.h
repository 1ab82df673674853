// The PDF writer vortel-cli installs for its print command: the table
// listing laid out for an A4 page at 600 dpi and played one to one onto a
// PDF printer, without showing anything.
#pragma once

#include <string>

namespace vortel {

struct browse_object;

std::string write_pdf_listing(browse_object& browse, const std::string& title, const std::string& path);

}  // namespace vortel
