#include "grid/navigation.h"

#include "engine/table.h"
#include "grid/input_codes.h"
#include "grid/tests/grid_fixture.h"

namespace vortel {
namespace {

class mouse_test : public testing::grid_test {
protected:
    // y in the middle of a data row.
    int row_y(int row) const { return row * browse.row_height + 10; }
};

// Columns: deleted 0-20, NR 20-90, NAME from 90.
TEST_F(mouse_test, a_click_on_a_data_row_makes_the_hit_cell_current_and_a_double_click_fits_or_edits)
{
    struct click_case {
        const char* name;
        std::int32_t count;
        int before;  // Down presses first; -1: Ctrl+End, leaving one record on screen
        int x, row;
        std::int32_t record;
        int current_row, column;
        repaint paint;
    };
    const click_case cases[] = {
        {"down_the_screen", 30, 0, 100, 3, 3, 3, 2, repaint::keep_background},
        {"above_the_current_row", 30, 9, 100, 2, 7, 2, 2, repaint::keep_background},
        {"below_the_last_record_of_a_short_table", 3, 0, 50, 5, 1, 1, 1, repaint::keep_background},
        {"below_the_last_record_of_the_last_page", 30, -1, 50, 3, 30, 1, 1, repaint::keep_background},
        {"in_a_border_band", 30, 0, 22, 3, 1, 1, 0, repaint::none},
        {"beyond_the_visible_rows", 30, 0, 100, 9, 1, 1, 2, repaint::keep_background},
    };
    for (const click_case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.count, 5);
        if (c.before < 0) {
            key_down(browse, vk_end, true);
            paint();
        }
        walk_down(c.before);
        const navigation_result result = left_button_down(browse, c.x, row_y(c.row));
        EXPECT_EQ(result.paint, c.paint);
        EXPECT_EQ(browse.horizontal_thumb, c.column);
        paint();
        EXPECT_EQ(std::tuple(browse.current_record, browse.current_row, browse.current_column, table_nr()),
                  std::tuple(c.record, c.current_row, c.column, c.record));
    }

    // A double click fits a column or edits a cell.
    open(12, 5);
    walk_down(9);
    // Ten pixels a character; the rows shown hold records 8 to 12.
    const auto text_width = [](std::string_view text) { return static_cast<int>(text.size()) * 10; };
    const navigation_result on_border = left_double_click(browse, 91, 5);
    ASSERT_EQ(on_border.action, grid_action::fit_column);
    EXPECT_EQ(on_border.column, 1);
    EXPECT_EQ(fit_column_width(browse, 1, text_width), 2 * 10 + 8) << "the caption NR is wider than 10 to 12";
    EXPECT_EQ(fit_column_width(browse, 2, text_width), 6 * 10 + 6) << "name10 and after, their padding not counted";
    EXPECT_EQ(fit_column_width(browse, 0, text_width), deleted_column_width);
    EXPECT_EQ(browse.current_record, 10) << "measuring moves nothing";
    EXPECT_EQ(table_nr(), 10);

    EXPECT_EQ(left_double_click(browse, 50, 5).action, grid_action::none) << "no border there";
    left_button_down(browse, 100, row_y(browse.current_row));
    paint();
    EXPECT_EQ(left_double_click(browse, 100, row_y(browse.current_row)).action, grid_action::open_cell_editor);
    EXPECT_EQ(left_double_click(browse, 100, row_y(1)).action, grid_action::none) << "not the current cell";
}

// A column dragged to nothing (NR at width 0: its border and NAME's both at
// x 20) can be widened again: its border is the nearest, the last of equals.
TEST_F(mouse_test, dragging_a_header_border_resizes_the_column_left_of_it)
{
    struct drag_case {
        const char* name;
        int first_visible, nr_width, press_x, release_x;  // nr_width: NR's width before the drag
        bool drags;
        int deleted_after, nr_after;
    };
    const drag_case cases[] = {
        {"thirty_to_the_right", 0, 70, 91, 120, true, 20, 100},
        {"left_past_the_columns_own_edge", 0, 70, 89, 10, true, 20, 0},
        {"the_first_columns_left_edge_is_no_border", 0, 70, 1, 50, false, 20, 70},
        {"a_scrolled_out_column_from_the_first_visible_edge", 1, 70, 0, 15, true, 35, 70},
        {"to_the_right_widens_an_emptied_column", 0, 0, 21, 60, true, 20, 40},
        {"to_the_left_of_an_emptied_column_narrows_the_one_before", 0, 0, 19, 15, true, 15, 0},
    };
    for (const drag_case& c : cases) {
        SCOPED_TRACE(c.name);
        open(3, 5);
        browse.first_visible_column = c.first_visible;
        browse.columns[1].width = c.nr_width;
        paint();
        if (c.nr_width == 0) {
            ASSERT_EQ(browse.columns[2].x, 20);
            ASSERT_EQ(header_border_at(browse, c.press_x), 2);
        }
        const navigation_result press = left_button_down(browse, c.press_x, 5);
        const pointer_shape sizing = c.drags ? pointer_shape::size_we : pointer_shape::unchanged;
        EXPECT_EQ(press.pointer, sizing);
        EXPECT_EQ(mouse_move(browse).pointer, sizing);
        const int before = browse.current_record;
        const navigation_result release = left_button_up(browse, c.release_x);
        EXPECT_EQ(release.pointer, c.drags ? pointer_shape::arrow : pointer_shape::unchanged);
        EXPECT_TRUE(c.drags || release.paint == repaint::none);
        EXPECT_EQ(browse.column_being_resized, 0);
        EXPECT_EQ(browse.current_record, before) << "a header press moves no record";
        EXPECT_EQ(std::pair(browse.columns[0].width, browse.columns[1].width), std::pair(c.deleted_after, c.nr_after));
    }
    browse.columns[0].width = 20;
    browse.columns[1].width = 4;
    paint();
    EXPECT_EQ(header_border_at(browse, 21), 1) << "of two borders in reach, the nearer";
    EXPECT_EQ(header_border_at(browse, 23), 2);
}

}  // namespace
}  // namespace vortel
