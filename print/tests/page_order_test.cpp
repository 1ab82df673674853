#include <gtest/gtest.h>

#include "print/page_order.h"

namespace vortel {
namespace {

TEST(print_page_order, follows_range_copies_collation_and_order_or_refuses_missing_pages_and_small_paper)
{
    const struct {
        const char* name;
        int pages;
        print_range range;
        std::vector<int> order;
        const char* refusal = "";
    } cases[] = {
        {"all", 3, {}, {1, 2, 3}}, {"range", 5, {2, 4}, {2, 3, 4}},
        {"range past the end is cut", 3, {2, 10}, {2, 3}},
        {"collated copies", 3, {1, 999, 2, true, false}, {1, 2, 3, 1, 2, 3}},
        {"uncollated copies", 3, {1, 999, 2, false, false}, {1, 1, 2, 2, 3, 3}},
        {"reverse", 3, {1, 999, 1, true, true}, {3, 2, 1}},
        {"reverse uncollated range", 4, {2, 3, 3, false, true}, {3, 3, 3, 2, 2, 2}},
        {"reverse collated", 2, {1, 999, 2, true, true}, {2, 1, 2, 1}},
        {"no copies is one", 2, {1, 999, 0}, {1, 2}},
        {"range past the last page", 3, {5, 7}, {}, "The listing has 3 pages: there is no page 5 to print."},
        {"past the only page", 1, {2, 2}, {}, "The listing has 1 page: there is no page 2 to print."},
        {"no pages", 0, {}, {}, "There is no page to print."},
    };
    for (const auto& c : cases) {
        const page_order order = print_page_order(c.pages, c.range);
        EXPECT_EQ(order.pages, c.order) << c.name;
        EXPECT_EQ(order.refusal, c.refusal) << c.name;
    }

    // Pages drawn over 4488 x 6552 units at 600 dpi (A4 less 10 mm margins,
    // 190 x 277 mm) fit what is at least as large.
    const struct { const char* name; std::int32_t width, height; bool fits; } papers[] = {
        {"the same", 4488, 6552, true}, {"larger paper", 6500, 9500, true},
        {"one unit narrower", 4487, 6552, false}, {"one unit shorter", 4488, 6551, false},
        {"landscape", 6552, 4488, false},
    };
    for (const auto& c : papers)
        EXPECT_EQ(paper_fit_refusal(4488, 6552, c.width, c.height, 600).empty(), c.fits) << c.name;
    EXPECT_EQ(paper_fit_refusal(4488, 6552, 4725, 5651, 600),
              "The pages need a printable area of 190 x 277 mm; the paper, orientation and margins chosen leave "
              "200 x 239 mm. Choose a larger paper or smaller margins.");
}

}  // namespace
}  // namespace vortel
