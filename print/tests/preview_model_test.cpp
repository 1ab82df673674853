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

TEST_F(preview_model, scroll_codes_move_the_origin_and_the_toolbar_pages_and_switches_views)
{
    struct scroll_case {
        const char* name;
        int code;
        bool control;
        std::int32_t thumb, from_x, from_y, to_x, to_y;
    };
    const scroll_case cases[] = {
        {"line up", sb_lineup, false, 0, 5, 5, 5, 4}, {"key down", vk_down, false, 0, 5, 5, 5, 6},
        {"down through zero", vk_down, false, 0, 5, -1, 5, 0}, {"up to zero", vk_up, false, 0, 5, 1, 5, 0},
        {"page up near the top", vk_prior, false, 0, 5, 50, 5, -20},
        {"page up", sb_pageup, false, 0, 5, 200, 5, 100}, {"page down", vk_next, false, 0, 5, 200, 5, 300},
        {"vertical thumb", sb_thumbtrack, false, 120, 5, 5, 5, 100}, {"end", vk_end, false, 0, 5, 5, 779 - 20, 5},
        {"control end", vk_end, true, 0, 5, 5, 5, 519 - 20}, {"home", vk_home, false, 0, 300, 300, -20, 300},
        {"control home", vk_home, true, 0, 300, 300, 300, -20},
        {"left stops at the least origin", vk_left, false, 0, -20, 5, -20, 5},
        {"bar left", sb_lineup + preview_horizontal, false, 0, 7, 5, 6, 5},
        {"bar page right", sb_pagedown + preview_horizontal, false, 0, 7, 5, 107, 5},
        {"bar page left near the edge", sb_pageup + preview_horizontal, false, 0, 70, 5, -20, 5},
        {"horizontal thumb", sb_thumbposition + preview_horizontal, false, 40, 7, 5, 20, 5},
    };
    for (const scroll_case& c : cases) {
        SCOPED_TRACE(c.name);
        preview_surface surface = portrait();
        scroll_to(surface, c.from_x, c.from_y);
        EXPECT_TRUE(preview_scroll(surface, c.code, c.control, c.thumb));
        EXPECT_EQ(std::pair(surface.origin_x, surface.origin_y), std::pair(c.to_x, c.to_y));
        EXPECT_EQ(std::pair(surface.horizontal_thumb, surface.vertical_thumb), std::pair(c.to_x + 20, c.to_y + 20));
    }
    preview_surface surface = portrait();
    EXPECT_FALSE(preview_scroll(surface, 'A', false, 0));
    preview_drag(surface, 30, -10);
    EXPECT_EQ(std::pair(surface.origin_x, surface.origin_y), std::pair(-50, -10));

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

    // Paging keeps the origin; the view toggle and Start position reset it.
    scroll_to(surface, 300, 400);
    run_preview_command(pages, surface, preview_first);
    EXPECT_EQ(surface.origin_y, 400);
    run_preview_command(pages, surface, preview_zoom);
    EXPECT_TRUE(surface.unzoomed);
    EXPECT_EQ(surface.origin_x, -20);
    EXPECT_EQ(std::pair(preview_scroll_ranges(surface).vertical, preview_scroll_ranges(surface).horizontal),
              std::pair(6716 * 2, 4660 * 4));
    scroll_to(surface, 300, 400);
    run_preview_command(pages, surface, preview_start_position);
    EXPECT_EQ(std::pair(surface.vertical_thumb, surface.horizontal_thumb), std::pair(0, 0));
    run_preview_command(pages, surface, preview_zoom);
    EXPECT_FALSE(surface.unzoomed);

    EXPECT_EQ(run_preview_command(pages, surface, preview_print), preview_outcome::print);
    EXPECT_EQ(run_preview_command(pages, surface, preview_exit), preview_outcome::exit);
    EXPECT_EQ(run_preview_command(pages, surface, 99), preview_outcome::ignored);

    // A page file gone missing shows as a blank page.
    std::remove(pages.names[2].c_str());
    run_preview_command(pages, surface, preview_last);
    EXPECT_EQ(surface.page_name, "");
}

}  // namespace
}  // namespace vortel
