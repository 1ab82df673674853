#include <gtest/gtest.h>

#include <filesystem>

#include "engine/table.h"
#include "engine/tests/table_fixture.h"
#include "grid/column_model.h"
#include "platform/fault_injection.h"
#include "print/page_player.h"
#include "print/table_listing.h"
#include "print/tests/recording_surface.h"
#include "print/tests/scoped_tmpdir.h"
#include "runtime/settings.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

namespace fs = std::filesystem;
using testing::fixture_record;
using testing::record_of;

const std::vector<field_list_entry> staff_fields = {
    {"CODE", 'C', 6, 0}, {"BORN", 'D', 8, 0}, {"NAME", 'C', 30, 0}, {"AGE", 'N', 3, 0}};

// Puts every character a page draws back on its cell, so a page reads as
// the lines of text a person would see; the fonts stay among its calls.
class cell_sheet : public print_testing::recording_surface {
public:
    cell_sheet(std::int32_t cell_width, std::int32_t line_height) : cell_width_(cell_width), line_height_(line_height) {}
    std::vector<std::string> lines;
    void draw_text(std::int32_t x, std::int32_t y, std::string_view text) override
    {
        const auto line = static_cast<std::size_t>(y / line_height_);
        const auto column = static_cast<std::size_t>(x / cell_width_);
        if (lines.size() <= line) lines.resize(line + 1);
        std::string& row = lines[line];
        if (row.size() < column + text.size()) row.resize(column + text.size(), ' ');
        row.replace(column, text.size(), text);
    }

private:
    std::int32_t cell_width_, line_height_;
};

struct seen_job {
    std::vector<std::vector<std::string>> pages;
    std::vector<std::string> files, calls;
    std::int32_t columns = 0;
};

void read_pages(page_device& device, void* context)
{
    auto& seen = *static_cast<seen_job*>(context);
    seen.columns = device.columns;
    for (void* name = list_first(device.pages); name != nullptr; name = list_next(device.pages)) {
        cell_sheet sheet(device.cell_width, device.line_height);
        EXPECT_EQ(play_page_file(static_cast<const char*>(name), sheet), play_result::complete);
        seen.pages.push_back(sheet.lines);
        seen.files.emplace_back(static_cast<const char*>(name));
        seen.calls.insert(seen.calls.end(), sheet.calls.begin(), sheet.calls.end());
    }
}

class table_listing : public testing_support::with_default_settings {
protected:
    void SetUp() override
    {
        with_default_settings::SetUp();
        printer_ = print_testing::a4_600_dpi();
        // Lines 0 to 14 on a page: the header and ten records.
        printer_.printable_height = 1600;
    }

    // Writes and opens STAFF.DBF; `browse` shows it with every field chosen.
    std::unique_ptr<table_object>& open_table(const std::vector<fixture_record>& records,
                                              const std::vector<field_list_entry>& fields = staff_fields)
    {
        const std::string path = tmp_.path() + "/STAFF.DBF";
        testing::write_table(path, fields, records);
        table_ = table_new(path);
        EXPECT_EQ(table_open(*table_), 1);
        browse = table_browse(*table_);
        for (column_descriptor& column : browse.columns) column.print_selected = column.field >= 0;
        return table_;
    }
    static fixture_record staff(int n, bool deleted = false)
    {
        const std::string number = std::to_string(n);
        const std::string age = std::string(3 - number.size(), ' ') + number;  // numbers are stored right-aligned
        return {record_of(staff_fields, {"C" + number, "19800101", "Person " + number, age}), deleted};
    }
    listing_environment environment(seen_job& seen)
    {
        listing_environment env;
        env.printer = &printer_;
        env.header = {"Vortel", "2026.12.06", "STAFF.DBF"};
        env.preview = read_pages;
        env.preview_context = &seen;
        return env;
    }

    print_testing::scoped_tmpdir tmp_;
    printer_facts printer_;
    std::unique_ptr<table_object> table_;
    browse_object browse;
};

TEST_F(table_listing, column_widths_listing_width_listings_without_pages_and_no_second_listing)
{
    auto& table = open_table({});
    std::vector<column_descriptor> columns = build_columns(*table);
    for (column_descriptor& column : columns) {
        column.caption = "Capt";
        column.print_selected = true;
    }
    columns[0].print_selected = false;  // the deleted column
    columns[4].print_selected = false;  // AGE
    EXPECT_EQ(listing_width_sum(*table, columns), 7 + 11 + 31 - 1);
    listing_layout layout = lay_out_listing(*table, columns, 48);
    EXPECT_EQ(layout.width, narrow_listing);
    EXPECT_EQ(layout.x, (std::vector<std::int32_t>{-1, 0, 7, 18, -1}));
    EXPECT_EQ(layout.field, (std::vector<int>{-1, 0, 1, 2, -1}));

    // The deleted column is a mark two wide in its place.
    columns[0].print_selected = true;
    EXPECT_EQ(listing_width_sum(*table, columns), 48 + 2);
    layout = lay_out_listing(*table, columns, 50);
    EXPECT_EQ(layout.mark_x, 0);
    EXPECT_EQ(layout.x, (std::vector<std::int32_t>{-1, 2, 9, 20, -1}));
    columns[0].print_selected = false;

    // A long caption over a short field, and a date under a long caption.
    columns[1].caption = "Twelve chars";
    columns[2].caption = "A longer caption";
    layout = lay_out_listing(*table, columns, 80);
    EXPECT_EQ(layout.x[2], 13);
    EXPECT_EQ(layout.x[3], 13 + 17);

    EXPECT_EQ(listing_width(80), 80);
    EXPECT_EQ(listing_width(81), 132);
    EXPECT_EQ(listing_font("Courier New", 80, 600).height, -100);
    // Wide cells take a larger letter, up to 12 points: 50 units at 600 dpi
    // hold a 10-point one (a wide listing across A4).
    for (const auto& [cell, height] : {std::pair{35, -58}, std::pair{50, -83}, std::pair{90, -100}})
        EXPECT_EQ(listing_font("Courier New", 132, 600, cell).height, height) << cell;

    // With nothing chosen or no printer the listing ends without pages.
    for (column_descriptor& column : browse.columns) column.print_selected = false;
    seen_job seen;
    EXPECT_EQ(print_listing(browse, environment(seen)), listing_result::nothing_chosen);

    browse.columns[1].print_selected = true;
    listing_environment no_printer = environment(seen);
    no_printer.printer = nullptr;
    EXPECT_EQ(print_listing(browse, no_printer), listing_result::no_printer);
    EXPECT_TRUE(seen.pages.empty());

    // An empty table still opens the preview, which then has no page; while
    // it is shown a second listing is refused.
    struct nested {
        browse_object* browse;
        listing_environment env;
        int previews = 0;
        listing_result inner = listing_result::shown;
    } job{&browse, environment(seen)};
    job.env.preview_context = &job;
    job.env.preview = [](page_device& device, void* context) {
        auto& outer = *static_cast<nested*>(context);
        ++outer.previews;
        EXPECT_EQ(list_count(device.pages), 0);
        EXPECT_TRUE(listing_running());
        outer.inner = print_listing(*outer.browse, outer.env);
    };
    EXPECT_EQ(print_listing(browse, job.env), listing_result::shown);
    EXPECT_EQ(job.previews, 1);
    EXPECT_EQ(job.inner, listing_result::already_running);
}

TEST_F(table_listing, pages_carry_header_and_every_live_record_in_order)
{
    std::vector<fixture_record> records;
    for (int n = 1; n <= 23; ++n) records.push_back(staff(n, n == 4));
    auto& table = open_table(records);
    table->navigation.hide_deleted = true;
    go_to(*table, 7);

    seen_job seen;
    EXPECT_EQ(print_listing(browse, environment(seen)), listing_result::shown);
    EXPECT_EQ(current_record(*table), 7);
    EXPECT_FALSE(listing_running());

    ASSERT_EQ(seen.pages.size(), 3u);  // 22 live records, ten a page
    EXPECT_EQ(seen.columns, 80);
    const std::vector<std::string>& first = seen.pages[0];
    ASSERT_EQ(first.size(), 15u);
    EXPECT_EQ(first[1].substr(0, 11), "Vortel T100");
    EXPECT_EQ(first[1].substr(70), "2026.12.06");
    EXPECT_EQ(first[2], std::string(35, ' ') + "STAFF.DBF" + std::string(27, ' ') + "0001.PAGE");
    EXPECT_EQ(first[3], "CODE   BORN       NAME                           AGE");
    EXPECT_EQ(first[4], std::string(80, '-'));
    EXPECT_EQ(first[5], "C1     1980.01.01 Person 1                         1");
    EXPECT_EQ(first[7].substr(0, 2), "C3");
    EXPECT_EQ(first[8].substr(0, 2), "C5");  // record 4 is deleted
    EXPECT_EQ(seen.pages[1][2].substr(71), "0002.PAGE");
    EXPECT_EQ(seen.pages[2].back().substr(0, 3), "C23");
    EXPECT_EQ(seen.pages[2].size(), 5u + 2u);
    // The pages were gone once the preview closed.
    for (const std::string& file : seen.files) EXPECT_FALSE(fs::exists(file)) << file;

    // Named records print alone, in the order named; one gone is passed over.
    const std::vector<std::int32_t> found = {9, 2, 40};
    seen = {};
    listing_environment named = environment(seen);
    named.only_records = &found;
    print_listing(browse, named);
    ASSERT_EQ(seen.pages.size(), 1u);
    EXPECT_EQ(seen.pages[0].size(), 7u);
    EXPECT_EQ(seen.pages[0][5].substr(0, 3), "C9 ");
    EXPECT_EQ(seen.pages[0][6].substr(0, 3), "C2 ");
    EXPECT_EQ(current_record(*table), 7);

    // With deleted records shown, record 4 prints like the others, marked
    // when the deleted column is chosen.
    table->navigation.hide_deleted = false;
    seen = {};
    print_listing(browse, environment(seen));
    EXPECT_EQ(seen.pages[0][8].substr(0, 2), "C4");
    browse.columns[0].print_selected = true;
    seen = {};
    print_listing(browse, environment(seen));
    EXPECT_EQ(seen.pages[0][3].substr(0, 7), "* CODE ");
    EXPECT_EQ(seen.pages[0][7].substr(0, 4), "  C3");
    EXPECT_EQ(seen.pages[0][8].substr(0, 4), "* C4");
    browse.columns[0].print_selected = false;

    // Under a filter only its records print.
    record_set kept(23);
    for (const std::int32_t member : {3, 4, 20}) kept.add(member);
    table->navigation = {.hide_deleted = true, .filter = std::make_shared<const record_set>(kept)};
    seen = {};
    print_listing(browse, environment(seen));
    ASSERT_EQ(seen.pages.size(), 1u);
    EXPECT_EQ(std::tuple(seen.pages[0].size(), seen.pages[0][5].substr(0, 3), seen.pages[0][6].substr(0, 3)),
              std::tuple(7u, "C3 ", "C20"));
    table->navigation = {};

    // A path that would reach the page number gives way to its file name,
    // and a file name that would is cut.
    const std::string path_61 = "/" + std::string(50, 'd') + "/STAFF.DBF";
    const std::pair<std::string, std::string> titles[] = {
        {path_61, std::string(9, ' ') + path_61 + " "},
        {"/" + path_61, std::string(35, ' ') + "STAFF.DBF" + std::string(27, ' ')},
        {std::string(81, 'T'), std::string(9, ' ') + std::string(61, 'T') + " "},
        {"C:\\" + std::string(70, 'x') + "\\S.DBF", std::string(37, ' ') + "S.DBF" + std::string(29, ' ')},
    };
    for (const auto& [title, line] : titles) {
        seen = {};
        listing_environment env = environment(seen);
        env.header.title = title;
        print_listing(browse, env);
        EXPECT_EQ(seen.pages[0][2], line + "0001.PAGE") << title;
    }
}

// Listings wider than 80 columns print 132 in a smaller font, cut at their
// end. Two fields may share a name, as in tables from other programs: each
// column still prints its own field. Dates take eleven columns whatever
// their caption: a name and five dates need the wide listing, and every
// date prints whole.
TEST_F(table_listing, wide_listing_cuts_columns_at_its_end_and_counts_dates_as_laid_out)
{
    const std::vector<field_list_entry> wide = {{"A", 'C', 70, 0}, {"A", 'C', 70, 0}};
    open_table({{record_of(wide, {std::string(70, 'a'), std::string(70, 'b')})}}, wide);
    seen_job seen;
    print_listing(browse, environment(seen));
    ASSERT_EQ(seen.pages.size(), 1u);
    EXPECT_EQ(seen.columns, 132);
    EXPECT_EQ(seen.pages[0][5], std::string(70, 'a') + ' ' + std::string(61, 'b'));
    EXPECT_EQ(seen.calls.at(0), "font Courier New -58/0/400");  // 7 points at 600 dpi
    EXPECT_EQ(listing_cut_warning(*browse.table, browse.columns),
              "The listing is 132 columns wide: A does not fit and will be cut or left out.");

    const std::vector<field_list_entry> dated = {{"NAME", 'C', 30, 0}, {"D1", 'D', 8, 0}, {"D2", 'D', 8, 0},
                                                 {"D3", 'D', 8, 0},    {"D4", 'D', 8, 0}, {"D5", 'D', 8, 0}};
    auto& table = open_table(
        {{record_of(dated, {"Kiss Anna", "20240101", "20240202", "20240303", "20240404", "20241231"})}}, dated);
    EXPECT_EQ(listing_width_sum(*table, browse.columns), 31 + 5 * 11 - 1);
    seen = {};
    print_listing(browse, environment(seen));
    ASSERT_EQ(seen.pages.size(), 1u);
    EXPECT_EQ(seen.columns, 132);
    EXPECT_EQ(seen.pages[0][5].substr(31 + 4 * 11), "2024.12.31");
    EXPECT_EQ(listing_columns_cut(*table, browse.columns), std::vector<std::string>{});
}

// Asked for, memo texts print under their record instead of their block
// numbers, wrapped at the listing's end and continued past a page break
// under the next page's header.
TEST_F(table_listing, memo_texts_print_wrapped_under_their_record)
{
    const std::vector<field_list_entry> noted = {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}};
    auto& table = open_table(testing::records_of(noted, {{"Anna", ""}, {"Bela", ""}, {"Cili", ""}}), noted);
    const std::string words = "word " + std::string(72, 'w') + " end";
    testing::put_memos(*table, 1, {"One line\r\n\r\n", "", words + "\r\n" + words + "\r\n" + words + "\nlast"});
    seen_job seen;
    listing_environment env = environment(seen);
    env.memo_texts = true;
    print_listing(browse, env);
    ASSERT_EQ(seen.pages.size(), 2u);
    const std::vector<std::string>& first = seen.pages[0];
    const auto rest = [&](std::size_t page, std::size_t line) { return seen.pages[page].at(line); };
    const std::string wrapped = "    " + std::string(72, 'w') + " end";
    EXPECT_EQ(first.at(5), "Anna      ");
    EXPECT_EQ(first.at(6), "    NOTE: One line");
    EXPECT_EQ(first.at(7), "Bela      ");
    EXPECT_EQ(first.at(8), "Cili      ");
    EXPECT_EQ(first.at(9), "    NOTE: word");
    EXPECT_EQ(first.at(10), wrapped);
    EXPECT_EQ(first.at(11), "    word");
    EXPECT_EQ(first.at(14), wrapped);
    EXPECT_EQ(rest(1, 4), std::string(80, '-'));
    EXPECT_EQ(rest(1, 5), "    last");
    EXPECT_EQ(seen.pages[1].size(), 6u);

    // Without them the block number stands in the memo's column.
    seen = {};
    print_listing(browse, environment(seen));
    EXPECT_EQ(seen.pages[0].at(5).substr(0, 11), "Anna       ");
    EXPECT_EQ(seen.pages[0].size(), 8u);
    EXPECT_NE(seen.pages[0].at(7).substr(11).find_first_not_of(' '), std::string::npos);

    for (const auto& [text, width, lines] : std::initializer_list<
             std::tuple<std::string, std::int32_t, std::vector<std::string>>>{
             {"ab cd ef", 5, {"ab cd", "ef"}},
             {"abcdefgh", 3, {"abc", "def", "gh"}},
             {"a\tb\x8D\nc\rd", 10, {"a b c", "d"}},
             {"x\n\n \n", 10, {"x"}},
         }) {
        EXPECT_EQ(wrap_listing_text(text, width), lines) << text;
    }
}

// A page that cannot be written whole ends the listing: no preview of a
// listing with holes, a message naming the page, nothing left behind.
TEST_F(table_listing, page_that_cannot_be_written_fails_the_listing_before_the_preview)
{
    std::vector<fixture_record> records;
    for (int n = 1; n <= 35; ++n) records.push_back(staff(n));
    auto& table = open_table(records);
    go_to(*table, 7);
    seen_job seen;
    std::string problem;
    listing_result result;
    {
        fault_injector faults(fault_call::write, 2, ENOSPC);
        result = print_listing(browse, environment(seen), &problem);
        EXPECT_EQ(faults.calls(), 2);  // the third page is never laid out
    }
    EXPECT_EQ(result, listing_result::pages_not_written);
    EXPECT_TRUE(seen.pages.empty());
    EXPECT_EQ(problem.rfind(std::string(pages_not_written_text) + "Disk full: " + tmp_.path() + "/vortel-job-", 0), 0u)
        << problem;
    EXPECT_EQ(problem.substr(problem.size() - 11), "/BT0002.WMF");
    EXPECT_EQ(current_record(*table), 7);
    EXPECT_FALSE(listing_running());
    for (const auto& entry : fs::directory_iterator(tmp_.path())) EXPECT_EQ(entry.path().filename(), "STAFF.DBF");
}

}  // namespace
}  // namespace vortel
