#include "print/page_order.h"

#include <algorithm>
#include <cmath>

namespace vortel {

page_order print_page_order(int page_count, const print_range& range)
{
    page_order order;
    const int first = std::max(range.from, 1);
    const int last = std::min(range.to, page_count);
    if (first > last) {
        order.refusal = page_count <= 0 ? "There is no page to print."
                                        : "The listing has " + std::to_string(page_count) + " page" +
                                              (page_count == 1 ? "" : "s") + ": there is no page " +
                                              std::to_string(first) + " to print.";
        return order;
    }
    std::vector<int> set;
    for (int page = first; page <= last; ++page) set.push_back(page);
    if (range.reverse) std::reverse(set.begin(), set.end());
    const int copies = std::max(range.copies, 1);
    if (range.collate) {
        for (int copy = 0; copy < copies; ++copy) order.pages.insert(order.pages.end(), set.begin(), set.end());
    } else {
        for (const int page : set) order.pages.insert(order.pages.end(), static_cast<std::size_t>(copies), page);
    }
    return order;
}

std::string paper_fit_refusal(std::int32_t needed_width, std::int32_t needed_height, std::int32_t chosen_width,
                              std::int32_t chosen_height, std::int32_t dots_per_inch)
{
    if (chosen_width >= needed_width && chosen_height >= needed_height) return {};
    const auto mm = [dots_per_inch](std::int32_t units) {
        return std::to_string(dots_per_inch > 0 ? std::lround(units * 25.4 / dots_per_inch) : 0L);
    };
    return "The pages need a printable area of " + mm(needed_width) + " x " + mm(needed_height) +
           " mm; the paper, orientation and margins chosen leave " + mm(chosen_width) + " x " + mm(chosen_height) +
           " mm. Choose a larger paper or smaller margins.";
}

}  // namespace vortel
