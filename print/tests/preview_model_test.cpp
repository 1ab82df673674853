#include <gtest/gtest.h>

#include <cstdio>

#include "grid/input_codes.h"
#include "print/preview_model.h"
#include "print/tests/scoped_tmpdir.h"
#include "runtime/settings.h"
#include "testing/scratch_dir.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

class preview_model : public testing_support::with_default_settings {
protected:
    // A 780 x 476 surface at (0, 44) over a portrait 600 dpi page.
    static preview_surface portrait() { return make_preview_surface(0, 44, 780, 476, 4660, 6716, ""); }
    // The same at 0.2 pixels a page unit, with listing lines of 100 units.
    static preview_surface zoomed()
    {
        preview_surface surface = portrait();
        surface.fit = preview_fit::scale;
        surface.zoom_scale = 0.2;
        surface.line_height = 100;
        return surface;
    }
    static std::pair<std::int32_t, std::int32_t> extent(const preview_surface& surface)
    {
        return {preview_extent(surface).x, preview_extent(surface).y};
    }
};

TEST_F(preview_model, extents_follow_view_orientation_and_factors_that_fall_back_one_by_one)
{
    preview_surface landscape = make_preview_surface(0, 0, 100, 100, 6600, 4800, "");
    EXPECT_TRUE(landscape.landscape);
    EXPECT_EQ(extent(landscape), std::pair(4800, 3300));
    landscape.unzoomed = true;
    EXPECT_EQ(extent(landscape), std::pair(6960, 9570));

    preview_surface page = portrait();
    EXPECT_FALSE(page.landscape);
    EXPECT_EQ(extent(page), std::pair(static_cast<std::int32_t>(6716 / double{1.40f}),
                                      static_cast<std::int32_t>(4660 / double{1.8f})));

    const std::optional<page_view> view = preview_view(page);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->origin_x, -20);
    EXPECT_DOUBLE_EQ(view->scale_x, 779.0 / preview_extent(page).x);
    EXPECT_DOUBLE_EQ(view->scale_y, 475.0 / preview_extent(page).y);

    EXPECT_FALSE(preview_view(make_preview_surface(0, 0, 100, 100, 0, 0, "")));

    // View factors that are no positive number fall back one by one.
    setting_by_index(SET_PORT_WIDTH_ZOOM, "zero");
    setting_by_index(SET_PORT_HEIGHT_UNZOOM, "-2");
    setting_by_index(SET_LAND_WIDTH_ZOOM, "3");
    const view_factors factors = read_view_factors();
    EXPECT_FLOAT_EQ(factors[0], 3.0f);
    EXPECT_FLOAT_EQ(factors[4], 1.3f);
    EXPECT_FLOAT_EQ(factors[5], 1.8f);  // the setting's own value
    EXPECT_FLOAT_EQ(factors[7], 1.1f);
}

TEST_F(preview_model, keys_and_bars_step_by_lines_and_screens_within_the_page_and_the_toolbar_pages_and_fits)
{
    // At 0.2 pixels a unit the surface shows 3895 x 2375 units; with the
    // margin the origin goes from -20 to 785 across and 4361 down.
    struct scroll_case {
        const char* name;
        int code;
        bool control;
        std::int32_t thumb, from_x, from_y, to_x, to_y;
    };
    const scroll_case cases[] = {
        {"line up", sb_lineup, false, 0, 500, 500, 500, 400}, {"key down", vk_down, false, 0, 500, 500, 500, 600},
        {"up stops at the top", vk_up, false, 0, 500, -20, 500, -20},
        {"page up", sb_pageup, false, 0, 500, 3000, 500, 725},
        {"page up near the top", vk_prior, false, 0, 500, 500, 500, -20},
        {"page down", vk_next, false, 0, 500, 500, 500, 2775},
        {"page down stops at the page's end", vk_next, false, 0, 500, 3000, 500, 4361},
        {"vertical thumb", sb_thumbtrack, false, 120, 5, 5, 5, 100},
        {"end", vk_end, false, 0, 5, 5, 785, 5}, {"control end", vk_end, true, 0, 5, 5, 5, 4361},
        {"home", vk_home, false, 0, 300, 300, -20, 300}, {"control home", vk_home, true, 0, 300, 300, 300, -20},
        {"left stops at the least origin", vk_left, false, 0, -20, 5, -20, 5},
        {"bar right", sb_linedown + preview_horizontal, false, 0, 500, 5, 600, 5},
        {"bar page right stops at the edge", sb_pagedown + preview_horizontal, false, 0, 0, 5, 785, 5},
        {"horizontal thumb", sb_thumbposition + preview_horizontal, false, 40, 7, 5, 20, 5},
    };
    for (const scroll_case& c : cases) {
        SCOPED_TRACE(c.name);
        preview_surface surface = zoomed();
        scroll_to(surface, c.from_x, c.from_y);
        EXPECT_TRUE(preview_scroll(surface, c.code, c.control, c.thumb));
        EXPECT_EQ(std::pair(surface.origin_x, surface.origin_y), std::pair(c.to_x, c.to_y));
        EXPECT_EQ(std::pair(surface.horizontal_thumb, surface.vertical_thumb), std::pair(c.to_x + 20, c.to_y + 20));
    }
    // Ctrl+End shows the page's last unit with the margin below it.
    preview_surface surface = zoomed();
    preview_scroll(surface, vk_end, true, 0);
    EXPECT_EQ(surface.origin_y + preview_extent(surface).y, 6716 + 20);
    EXPECT_EQ(std::pair(preview_scroll_ranges(surface).vertical, preview_scroll_ranges(surface).horizontal),
              std::pair(4381, 805));
    // Without a line height a line is about 20 screen pixels; across, a line
    // is as many pixels as one down.
    surface.line_height = 0;
    EXPECT_EQ(preview_step_sizes(surface).line_y, 100);
    EXPECT_EQ(preview_step_sizes(surface).line_x, 100);
    surface = portrait();
    EXPECT_NEAR(preview_step_sizes(surface).line_x * preview_scales(surface).x,
                preview_step_sizes(surface).line_y * preview_scales(surface).y, 1.0);
    EXPECT_FALSE(preview_scroll(surface, 'A', false, 0));
}

TEST_F(preview_model, dragging_follows_the_pointer_and_zooming_keeps_the_point_under_it)
{
    preview_surface surface = zoomed();
    scroll_to(surface, 300, 300);
    preview_drag(surface, 30, -10);
    EXPECT_EQ(std::pair(surface.origin_x, surface.origin_y), std::pair(150, 350));

    // Twice the scale about pixel (100, 50): page point (650, 600) stays there.
    zoom_preview(surface, 2, 100, 50);
    EXPECT_DOUBLE_EQ(surface.zoom_scale, 0.4);
    EXPECT_EQ(std::pair(surface.origin_x, surface.origin_y), std::pair(400, 475));
    // Zooming stops at eight times the page's width and at half the page.
    zoom_preview(surface, 1000, 0, 0);
    EXPECT_DOUBLE_EQ(surface.zoom_scale, 8 * 779.0 / 4700);
    zoom_preview(surface, 0.0001, 0, 0);
    EXPECT_DOUBLE_EQ(surface.zoom_scale, 475.0 / 6756 / 2);

    // The wheel scrolls three lines a notch; with Ctrl it zooms by 1.25.
    surface = zoomed();
    scroll_to(surface, 500, 500);
    preview_wheel(surface, -1, false, false, 0, 0);
    EXPECT_EQ(surface.origin_y, 800);
    preview_wheel(surface, 0.5, true, false, 0, 0);
    EXPECT_EQ(surface.origin_x, 350);
    preview_wheel(surface, 1, false, true, 0, 0);
    EXPECT_DOUBLE_EQ(surface.zoom_scale, 0.25);

    // From a factor view zooming starts at its scale down the page.
    surface = portrait();
    const double down = preview_scales(surface).y;
    zoom_preview(surface, 1.25, 0, 0);
    EXPECT_EQ(surface.fit, preview_fit::scale);
    EXPECT_DOUBLE_EQ(surface.zoom_scale, down * 1.25);
}

TEST_F(preview_model, fit_views_show_the_whole_page_or_its_width_and_follow_a_resized_surface)
{
    preview_surface surface = zoomed();
    scroll_to(surface, 500, 500);
    set_preview_fit(surface, preview_fit::page);
    EXPECT_EQ(std::pair(surface.origin_x, surface.origin_y), std::pair(-20, -20));
    EXPECT_GE(preview_extent(surface).x, 4660 + 39);
    EXPECT_GE(preview_extent(surface).y, 6716 + 39);
    EXPECT_EQ(preview_scales(surface).x, preview_scales(surface).y);
    EXPECT_EQ(std::pair(preview_scroll_ranges(surface).vertical, preview_scroll_ranges(surface).horizontal),
              std::pair(0, 0));

    set_preview_fit(surface, preview_fit::width);
    EXPECT_DOUBLE_EQ(preview_scales(surface).x, 779.0 / 4700);
    EXPECT_EQ(preview_scroll_ranges(surface).horizontal, 0);
    preview_scroll(surface, vk_end, true, 0);
    const std::int32_t bottom = surface.origin_y + preview_extent(surface).y;
    // A narrower surface shows the width smaller, and more of the page
    // above, not space beyond its end.
    resize_preview_surface(surface, 390, 476);
    EXPECT_DOUBLE_EQ(preview_scales(surface).x, 389.0 / 4700);
    EXPECT_EQ(surface.origin_y + preview_extent(surface).y, bottom);
}

TEST_F(preview_model, toolbar_pages_switches_views_and_goes_to_a_page_by_number)
{
    preview_surface surface = portrait();
    // The toolbar pages through the files and switches the view.
    print_testing::scoped_tmpdir tmp;
    preview_pages pages;
    for (const char* name : {"/BT0001.WMF", "/BT0002.WMF", "/BT0003.WMF"}) {
        pages.names.push_back(tmp.path() + name);
        testing::write_file(pages.names.back(), "page");
    }
    surface = make_preview_surface(0, 44, 780, 476, 4660, 6716, pages.names[0]);
    EXPECT_EQ(surface.page_name, pages.names[0]);

    EXPECT_EQ(run_preview_command(pages, surface, preview_previous), preview_outcome::handled);
    EXPECT_EQ(pages.index, 0u);
    run_preview_command(pages, surface, preview_last);
    run_preview_command(pages, surface, preview_next);
    EXPECT_EQ(pages.index, 2u);
    run_preview_command(pages, surface, preview_previous);
    EXPECT_EQ(surface.page_name, pages.names[1]);

    EXPECT_EQ(preview_page_text(pages), "Page 2 of 3");
    EXPECT_TRUE(go_to_preview_page(pages, surface, 3));
    EXPECT_EQ(surface.page_name, pages.names[2]);
    for (const std::int64_t beyond : {0, 4}) EXPECT_FALSE(go_to_preview_page(pages, surface, beyond));
    EXPECT_EQ(pages.index, 2u);

    // Paging keeps the origin; the view toggle, the fits and Start position reset it.
    scroll_to(surface, 300, 400);
    run_preview_command(pages, surface, preview_first);
    EXPECT_EQ(surface.origin_y, 400);
    run_preview_command(pages, surface, preview_zoom);
    EXPECT_TRUE(surface.unzoomed);
    EXPECT_EQ(surface.origin_y, -20);
    run_preview_command(pages, surface, preview_fit_width);
    EXPECT_EQ(surface.fit, preview_fit::width);
    scroll_to(surface, 300, 400);
    run_preview_command(pages, surface, preview_fit_page);
    EXPECT_EQ(std::pair(surface.fit, surface.origin_y), std::pair(preview_fit::page, -20));
    run_preview_command(pages, surface, preview_zoom);
    EXPECT_EQ(std::pair(surface.fit, surface.unzoomed), std::pair(preview_fit::factors, false));
    run_preview_command(pages, surface, preview_zoom);
    scroll_to(surface, 300, 400);
    run_preview_command(pages, surface, preview_start_position);
    EXPECT_EQ(std::pair(surface.vertical_thumb, surface.horizontal_thumb), std::pair(0, 0));
    run_preview_command(pages, surface, preview_zoom);
    EXPECT_FALSE(surface.unzoomed);

    EXPECT_EQ(run_preview_command(pages, surface, preview_print), preview_outcome::print);
    EXPECT_EQ(run_preview_command(pages, surface, preview_save_pdf), preview_outcome::save_pdf);
    EXPECT_EQ(run_preview_command(pages, surface, preview_exit), preview_outcome::exit);
    EXPECT_EQ(run_preview_command(pages, surface, 99), preview_outcome::ignored);

    // A page file gone missing shows as a blank page.
    std::remove(pages.names[2].c_str());
    run_preview_command(pages, surface, preview_last);
    EXPECT_EQ(surface.page_name, "");
}

TEST(preview_pdf, is_offered_beside_the_table_in_its_extension_case_and_titled_with_its_name)
{
    const std::array<std::array<const char*, 3>, 5> cases = {{
        {"/data/DOLGOZO.DBF", "/data/DOLGOZO.PDF", "DOLGOZO"},
        {"/data/people.dbf", "/data/people.pdf", "people"},
        {"rel/v1.2/NOEXT", "rel/v1.2/NOEXT.PDF", "NOEXT"},
        {"Munka.Dbf", "Munka.pdf", "Munka"},
        {"", "", ""},
    }};
    for (const auto& [table, pdf, title] : cases) {
        EXPECT_EQ(preview_pdf_name(table), pdf);
        EXPECT_EQ(preview_pdf_title(table), title);
    }
}

}  // namespace
}  // namespace vortel
