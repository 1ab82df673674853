// The page a listing is laid out for, chosen before the layout: paper,
// orientation, margins and printer. Both front-ends take it from the user
// (a dialog, command-line options) and hand it to the printer they make.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vortel {

struct paper_size {
    const char* name;
    double width_mm;  // portrait
    double height_mm;
};

// The papers offered, in the order offered.
inline constexpr std::array<paper_size, 5> paper_sizes = {{
    {"A4", 210, 297},
    {"A3", 297, 420},
    {"A5", 148, 210},
    {"Letter", 215.9, 279.4},
    {"Legal", 215.9, 355.6},
}};

// The paper of that name, letter case ignored; null for none.
const paper_size* find_paper(std::string_view name);

// The names of the papers, "A4|A3|...", for help texts and messages.
std::string paper_names();

// Margins of the printer's own choosing.
inline constexpr double printer_margins = -1;

struct page_setup {
    std::string paper = "A4";
    bool landscape = false;
    double margins_mm = printer_margins;  // the same on every side
    std::string printer;                  // empty: the default printer
};

// Why `text` is no margin for `paper` (a number of millimetres from 0 that
// leaves at least half of each side of the paper to print on); empty when
// it is one, and `margins_mm` then holds it.
std::string margins_refusal(std::string_view text, const paper_size& paper, double& margins_mm);

}  // namespace vortel
