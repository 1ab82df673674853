#include "print/page_setup.h"

#include <algorithm>
#include <cstdlib>

#include "text/text_ops.h"

namespace vortel {

const paper_size* find_paper(std::string_view name)
{
    const auto same = [name](const paper_size& paper) { return equal_ignoring_case(paper.name, name); };
    const auto found = std::find_if(paper_sizes.begin(), paper_sizes.end(), same);
    return found == paper_sizes.end() ? nullptr : &*found;
}

std::string paper_names()
{
    std::string names;
    for (const paper_size& paper : paper_sizes) names += (names.empty() ? "" : "|") + std::string(paper.name);
    return names;
}

std::string margins_refusal(std::string_view text, const paper_size& paper, double& margins_mm)
{
    const std::string copy(text);
    char* end = nullptr;
    const double value = copy.empty() ? -1 : std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size() || !(value >= 0)) {
        return "The margins must be a number of millimetres from 0: " + copy;
    }
    // Half of the shorter side to print on keeps every listing line readable.
    const double most = std::min(paper.width_mm, paper.height_mm) / 4;
    if (value > most) {
        return "Margins of " + copy + " mm leave too little of " + paper.name + " paper: at most " +
               std::to_string(static_cast<int>(most)) + " mm";
    }
    margins_mm = value;
    return {};
}

}  // namespace vortel
