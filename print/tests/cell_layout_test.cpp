#include <gtest/gtest.h>

#include "print/page_device.h"
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

TEST(cell_layout, follows_printable_area_font_and_column_count)
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
}

// Drives a printer-mode device on a 4800-wide, 80-column grid (cells of 60,
// lines of 100) and returns what reached the printer.
class placed_text : public ::testing::Test {
protected:
    void SetUp() override
    {
        printer_ = a4_600_dpi();
        printer_.printable_width = 4800;
        printer_.printable_height = 6600;
    }
    void open(bool cell_placement)
    {
        open_page_device(device_, &printer_, &printer_output_, "Listing", false, 80, cell_placement);
        start_page(device_);
    }
    void TearDown() override { close_page_device(device_); }

    printer_facts printer_;
    recording_surface printer_output_;
    page_device device_;
};

TEST_F(placed_text, characters_past_the_last_column_are_dropped)
{
    open(true);
    put_text(device_, 2, 75, "ABCDEFGHIJ", nullptr, nullptr, 0, false);
    ASSERT_EQ(printer_output_.draws.size(), 5u);
    EXPECT_EQ(printer_output_.draws.front().substr(0, 10), "4500,200 A");
    EXPECT_EQ(printer_output_.draws.back().substr(0, 10), "4740,200 E");

    printer_output_.draws.clear();
    put_text(device_, 3, 80, "beyond", nullptr, nullptr, 0, false);
    put_text(device_, 3, 200, "far beyond", nullptr, nullptr, 0, false);
    EXPECT_TRUE(printer_output_.draws.empty());
}

TEST_F(placed_text, whole_strings_and_unplaced_text_are_one_output_from_the_first_cell)
{
    open(true);
    put_text(device_, 1, 78, "HEADER", nullptr, nullptr, 0, true);
    open_page_device(device_, &printer_, &printer_output_, "Listing", false, 80, false);
    put_text(device_, 0, 3, "row", nullptr, nullptr, 0, false);
    ASSERT_EQ(printer_output_.draws.size(), 2u);
    EXPECT_EQ(printer_output_.draws[0].substr(0, 15), "4680,100 HEADER");
    EXPECT_EQ(printer_output_.draws[1].substr(0, 9), "180,0 row");
}

TEST_F(placed_text, text_goes_through_its_picture_and_is_cut_to_the_work_text)
{
    open(false);
    put_text(device_, 0, 0, "T", "@L", nullptr, 0, false);
    put_text(device_, 0, 0, "plain", "", nullptr, 0, false);
    put_text(device_, 0, 0, std::string(300, 'x'), nullptr, nullptr, 0, false);
    ASSERT_EQ(printer_output_.draws.size(), 3u);
    EXPECT_EQ(printer_output_.draws[0].substr(0, 6), "0,0 I ");
    EXPECT_EQ(printer_output_.draws[1].substr(0, 10), "0,0 plain ");
    EXPECT_EQ(printer_output_.draws[2].substr(4, 256), std::string(255, 'x') + " ");
}

TEST_F(placed_text, own_font_is_used_for_the_text_and_the_default_put_back)
{
    open(true);
    const page_font bold{-80, 0, 700, 0, east_europe_charset, 0, "Arial"};
    put_text(device_, 0, 0, "B", nullptr, &bold, page_rgb(255, 0, 0), false);
    put_text(device_, 1, 0, "n", nullptr, nullptr, 0, false);
    ASSERT_EQ(printer_output_.draws.size(), 2u);
    EXPECT_EQ(printer_output_.draws[0], "0,0 B [Arial -80/0/700 colour 255 mode 1]");
    EXPECT_EQ(printer_output_.draws[1], "0,100 n [Courier New 100/0/400 colour 0 mode 1]");
}

// Without a printer a device makes no document and no pages; a printer that
// refuses the document is reported; otherwise the printer is driven in order.
TEST(page_device_printer_mode, makes_nothing_without_a_printer_reports_a_refusal_and_drives_the_printer_in_order)
{
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
    EXPECT_EQ(output.calls, (std::vector<std::string>{"start document Listing", "start page", "end page", "end document"}));
}

}  // namespace
}  // namespace vortel
