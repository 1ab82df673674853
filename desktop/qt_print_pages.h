// The printers a print job uses: the default printer for laying pages out
// (or, with none, a PDF page of A4 at 600 dpi) and whatever printer pages
// are finally played onto, one to one in its device units.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QPrinter;

namespace vortel {

struct page_setup;

inline constexpr int pdf_page_resolution = 600;

struct page_printer {
    std::unique_ptr<QPrinter> printer;
    bool pdf_fallback = false;  // there is no default printer
};

// The default printer, or a PDF printer of A4 portrait pages at
// pdf_page_resolution when the system has none.
page_printer default_page_printer();

// The printer `setup` names (the default one when it names none or one
// that is gone) with its paper, orientation and margins; a PDF printer at
// pdf_page_resolution when the system has no printer.
page_printer set_up_page_printer(const page_setup& setup);

// A PDF printer writing `path`, laid out like the fallback on the paper,
// orientation and margins of `setup`.
std::unique_ptr<QPrinter> pdf_page_printer(const std::string& path, const page_setup& setup);

// Plays the pages numbered in `order` (from 1; see print_page_order) onto
// `printer`, one printer page each. Pages whose file is missing come out
// empty. False when the printer would not start.
bool print_page_files(QPrinter& printer, const std::vector<std::string>& pages, const std::vector<int>& order);

}  // namespace vortel
