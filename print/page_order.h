// Which pages a printer gets, in which order, from what the print dialog
// chose: a range, copies, collation and reverse order. Kept apart from Qt
// so the order can be checked on its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vortel {

struct print_range {
    int from = 1;    // page numbers from 1
    int to = 999;    // past the last page: up to the last page
    int copies = 1;  // copies the printer does not make itself
    bool collate = true;   // copies as whole sets; false: each page N times in a row
    bool reverse = false;  // last page first
};

struct page_order {
    std::vector<int> pages;  // page numbers from 1, in printing order
    std::string refusal;     // why nothing can be printed; empty when `pages` holds the job
};

// The pages of a job of `page_count` pages that `range` asks for. A range
// starting past the last page is refused rather than printed as a blank
// page.
page_order print_page_order(int page_count, const print_range& range);

// Pages are played one to one onto the printer, so a printable area
// smaller than the one they were drawn for would cut records and the page
// header. Gives why the paper, orientation and margins chosen cannot take
// pages of needed_width x needed_height device units at `dots_per_inch`;
// empty when they can.
std::string paper_fit_refusal(std::int32_t needed_width, std::int32_t needed_height, std::int32_t chosen_width,
                              std::int32_t chosen_height, std::int32_t dots_per_inch);

}  // namespace vortel
