#include <gtest/gtest.h>

#include "print/page_device.h"
#include "print/page_order.h"
#include "print/tests/recording_surface.h"

namespace vortel {
namespace {

using print_testing::a4_600_dpi;
using print_testing::recording_surface;

struct layout_case {
    const char* name;
    std::int32_t printable_width, printable_height, font_height, leading, columns_wanted;
    std::int32_t columns, cell_width, line_height, lines_per_page;
};

TEST(cell_layout, follows_printable_area_font_and_column_count_and_drives_the_printer_in_order)
{
    const layout_case cases[] = {
        {"eighty_columns", 4800, 6600, 100, 0, 80, 80, 60, 100, 64},
        {"wide_listing", 4800, 6600, 100, 0, 132, 132, 36, 100, 64},
        {"narrow_request_widened_to_eighty", 4800, 6600, 100, 0, 40, 80, 60, 100, 64},
        {"external_leading_adds_to_line", 4800, 6600, 90, 10, 80, 80, 60, 100, 64},
        {"divisions_round_down", 4799, 6699, 100, 0, 80, 80, 59, 100, 64},
        {"page_of_two_lines_has_none_left", 4800, 250, 100, 0, 80, 80, 60, 100, 0},
        {"zero_font_height_does_not_divide_by_zero", 4800, 6600, 0, 0, 80, 80, 60, 1, 6598},
    };
    for (const layout_case& c : cases) {
        SCOPED_TRACE(c.name);
        printer_facts printer = a4_600_dpi();
        printer.printable_width = c.printable_width;
        printer.printable_height = c.printable_height;
        printer.font_height = c.font_height;
        printer.font_external_leading = c.leading;
        page_device device;
        open_page_device(device, &printer, nullptr, "T", true, c.columns_wanted, true);
        EXPECT_EQ(std::tuple(device.columns, device.cell_width, device.line_height, device.lines_per_page),
                  std::tuple(c.columns, c.cell_width, c.line_height, c.lines_per_page));
        close_page_device(device);
    }

    // Without a printer a device makes no document and no pages; a printer
    // that refuses the document is reported; otherwise it is driven in order.
    page_device none;
    open_page_device(none, nullptr, nullptr, "Listing", true, 80, true);
    EXPECT_EQ(start_document(none, "Listing"), 0);
    start_page(none);
    put_text(none, 0, 0, "lost", nullptr, nullptr, 0, false);
    end_page(none);
    end_document(none);
    EXPECT_EQ(list_count(none.pages), 0);
    close_page_device(none);

    printer_facts printer = a4_600_dpi();
    recording_surface refusing;
    refusing.start_result = 0;
    page_device refused;
    open_page_device(refused, &printer, &refusing, "Listing", false, 80, true);
    EXPECT_EQ(start_document(refused, "Listing"), 0);
    close_page_device(refused);

    recording_surface output;
    page_device device;
    open_page_device(device, &printer, &output, "Listing", false, 80, true);
    start_page(device);
    end_page(device);
    end_document(device);
    close_page_device(device);
    EXPECT_EQ(output.calls,
              (std::vector<std::string>{"start document Listing", "start page", "end page", "end document"}));
}

// What reaches the printer for texts put through a printer-mode device on a
// 4800-wide, 80-column grid (cells of 60, lines of 100): the start of every
// draw, in order.
TEST(placed_text, texts_reach_the_printer_cut_at_the_last_column_through_their_picture_and_font)
{
    const page_font bold{-80, 0, 700, 0, east_europe_charset, 0, "Arial"};
    struct put {
        int line, column;
        std::string text;
        const char* picture = nullptr;
        const page_font* font = nullptr;
        std::uint32_t colour = 0;
        bool whole = false;
    };
    struct placed_case {
        const char* name;
        bool cell_placement;
        std::vector<put> puts;
        std::vector<std::string> draws;
    };
    const placed_case cases[] = {
        {"characters_past_the_last_column_are_dropped", true,
         {{2, 75, "ABCDEFGHIJ"}, {3, 80, "beyond"}, {3, 200, "far"}},
         {"4500,200 A", "4560,200 B", "4620,200 C", "4680,200 D", "4740,200 E"}},
        {"a_whole_string_is_one_output_from_its_first_cell", true, {{1, 78, "HEADER", nullptr, nullptr, 0, true}},
         {"4680,100 HEADER"}},
        {"unplaced_text_is_one_output", false, {{0, 3, "row"}}, {"180,0 row"}},
        {"text_goes_through_its_picture", false, {{0, 0, "T", "@L"}, {0, 0, "plain", ""}}, {"0,0 I ", "0,0 plain "}},
        {"text_is_cut_to_the_work_text", false, {{0, 0, std::string(300, 'x')}},
         {"0,0 " + std::string(255, 'x') + " "}},
        {"own_font_is_used_and_the_default_put_back", true,
         {{0, 0, "B", nullptr, &bold, page_rgb(255, 0, 0)}, {1, 0, "n"}},
         {"0,0 B [Arial -80/0/700 colour 255 mode 1]", "0,100 n [Courier New 100/0/400 colour 0 mode 1]"}},
    };
    for (const placed_case& c : cases) {
        SCOPED_TRACE(c.name);
        printer_facts printer = a4_600_dpi();
        printer.printable_width = 4800;
        printer.printable_height = 6600;
        recording_surface output;
        page_device device;
        open_page_device(device, &printer, &output, "Listing", false, 80, c.cell_placement);
        start_page(device);
        for (const put& p : c.puts) put_text(device, p.line, p.column, p.text, p.picture, p.font, p.colour, p.whole);
        ASSERT_EQ(output.draws.size(), c.draws.size());
        for (std::size_t i = 0; i < c.draws.size(); ++i) {
            EXPECT_EQ(output.draws[i].substr(0, c.draws[i].size()), c.draws[i]);
        }
        close_page_device(device);
    }
}

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
