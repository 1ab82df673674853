#include "print/page_order.h"

#include <algorithm>

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

}  // namespace vortel
