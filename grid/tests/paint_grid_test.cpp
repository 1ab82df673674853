#include "grid/paint_grid.h"

#include "engine/table.h"
#include "grid/cell_text.h"
#include "grid/data_source.h"
#include "grid/navigation.h"
#include "grid/tests/grid_fixture.h"
#include "grid/tests/recording_canvas.h"
#include "runtime/settings.h"

namespace vortel {
namespace {

using testing::drawn;
using testing::recording_canvas;
using paint_test = testing::grid_test;

// What a paint reads: data-source calls and cell callbacks, counted by
// callbacks installed over the table source.
struct read_counts {
    int position = 0, step = 0, go_to = 0, cells = 0;
} reads;

void count_reads(browse_object& browse)
{
    reads = {};
    browse.source.position = [](browse_object& b) { ++reads.position; return table_position(b); };
    browse.source.step = [](browse_object& b) { ++reads.step; return table_step(b); };
    browse.source.go_to = [](browse_object& b, std::int32_t to) { ++reads.go_to; table_go_to(b, to); };
    for (column_descriptor& column : browse.columns) {
        column.cell = [](const browse_object& b) {
            ++reads.cells;
            return b.asked_column == 0 ? deleted_mark_cell(b) : field_cell(b);
        };
    }
}

// Columns of the numbered table: deleted (20), NR (70), NAME (110).
TEST_F(paint_test, columns_are_laid_out_to_the_right_limit_under_bordered_highlighted_captions)
{
    struct layout_case {
        const char* name;
        int width, first_visible, expected_x[3], expected_last_width, expected_fully_visible;
    };
    const layout_case cases[] = {
        {"narrow_columns_widen_the_last", 750, 0, {0, 20, 90}, 750 - 26 - 90, 3},
        {"last_starting_beyond_the_limit_gets_width_minus_allowance", 80, 0, {0, 20, 90}, 80 - 26, 1},
        {"last_shrunk_to_the_limit", 150, 0, {0, 20, 90}, 150 - 26 - 90, 2},
        {"scrolled_columns_keep_their_old_x", 750, 1, {0, 0, 70}, 750 - 26 - 70, 2},
    };
    for (const layout_case& c : cases) {
        SCOPED_TRACE(c.name);
        open_numbered(3);
        browse.width = c.width;
        browse.first_visible_column = c.first_visible;
        recording_canvas surface;
        paint_grid(browse, surface);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(browse.columns[static_cast<std::size_t>(i)].x, c.expected_x[i]);
        EXPECT_EQ(browse.columns[2].width, c.expected_last_width);
        EXPECT_EQ(browse.fully_visible_columns, c.expected_fully_visible);
    }

    // Header cells have a border, highlight lines and the caption.
    browse_object no_table;
    recording_canvas surface;
    paint_grid(no_table, surface);
    EXPECT_TRUE(surface.calls.empty()) << "a grid without a table draws nothing";
    EXPECT_FALSE(no_table.painting) << "and takes input afterwards";

    open_numbered(0);
    browse.header_font = 7;
    paint_grid(browse, surface);

    ASSERT_EQ(surface.calls.size(), 3u * 5u) << "an empty table draws only the header row";
    const column_descriptor& nr = browse.columns[1];
    const auto& border = surface.calls[5];
    EXPECT_EQ(border.kind, drawn::rectangle);
    EXPECT_EQ(std::tuple(border.area.left, border.area.right, border.area.bottom), std::tuple(21, 90, 19));
    EXPECT_EQ(std::pair(border.pen, border.fill), std::pair(header_border_colour, nr.header_background));
    // Right edge, then left edge and top, inside the border.
    const auto& right = surface.calls[6];
    EXPECT_EQ(std::tuple(right.x1, right.y1, right.y2), std::tuple(90, 0, 19));
    EXPECT_EQ(std::pair(surface.calls[7].x1, surface.calls[7].y1), std::pair(22, 17));
    EXPECT_EQ(std::pair(surface.calls[8].x2, surface.calls[8].pen), std::pair(89, nr.header_highlight));
    const auto& caption = surface.calls[9];
    EXPECT_EQ(caption.text, "NR");
    EXPECT_EQ(std::pair(caption.area.left, caption.area.top), std::pair(24, 2));
    EXPECT_EQ(caption.flags, static_cast<unsigned>(align_right) | text_no_prefix);
    EXPECT_EQ(std::pair(caption.foreground, caption.font), std::pair(nr.header_text, canvas_font{7}));
}

// The deleted mark is a bitmap inset in its cell, one pixel deeper in a
// table window than in a dialog.
TEST_F(paint_test, data_cells_use_the_grid_pen_the_current_cell_colours_and_the_deleted_mark)
{
    open_numbered(3, {2});
    browse.current_column = 2;
    browse.current_row = 1;
    for (const bool focus : {true, false}) {
        SCOPED_TRACE(focus ? "with focus, in a table window" : "without focus, in a dialog");
        browse.has_focus = focus;
        browse.table_window = focus;
        recording_canvas surface;
        paint_grid(browse, surface);

        const auto texts = surface.of(drawn::text);
        // Header captions, then NR and NAME of three rows.
        ASSERT_EQ(texts.size(), 3u + 6u);
        const auto& current = texts[4];
        EXPECT_EQ(current.text, "name1     ");
        EXPECT_EQ(current.foreground, focus ? focus_cell_text : unfocused_cell_text);
        EXPECT_EQ(current.background, focus ? focus_cell_background : unfocused_cell_background);
        EXPECT_EQ(texts[3].foreground, numeric_text_colour) << "other cells keep their own colours";
        EXPECT_EQ(texts[6].foreground, deleted_text_colour);

        const auto rectangles = surface.of(drawn::rectangle);
        const auto& cell = rectangles[3 + 2];  // row 1, NAME
        EXPECT_EQ(std::pair(cell.pen, cell.fill), std::pair(grid_pen_colour, current.background));
        EXPECT_EQ(std::tuple(cell.area.left, cell.area.top, cell.area.right, cell.area.bottom),
                  std::tuple(90, 20, 90 + browse.columns[2].width + 1, 41));
        EXPECT_EQ(current.area.left, 92) << "text starts one pixel in from the inner edge";

        const auto bitmaps = surface.of(drawn::bitmap);
        ASSERT_EQ(bitmaps.size(), 3u);
        EXPECT_EQ(bitmaps[0].image, bitmap_info);
        EXPECT_EQ(bitmaps[1].image, bitmap_kuka);
        const int inset = focus ? 2 : 1;
        EXPECT_EQ(std::tuple(bitmaps[1].area.left, bitmaps[1].area.top, bitmaps[1].mode),
                  std::tuple(1 + inset, 41 + inset, 0));
    }
}

TEST_F(paint_test, a_paint_reads_only_the_visible_records_and_sets_the_thumb_by_the_current_one)
{
    open_numbered(5000);
    browse.current_row = 10;
    go_to(*table, 2500);
    browse.current_record = 2500;
    count_reads(browse);
    recording_canvas surface;
    paint_grid(browse, surface);

    EXPECT_EQ(std::tuple(reads.position, reads.step, reads.go_to, reads.cells),
              std::tuple(1, browse.visible_rows, 1, browse.visible_rows * 3));
    EXPECT_EQ(surface.texts()[3], "  2491") << "the top row";
    EXPECT_EQ(table_nr(), 2500) << "the source is back on the current record";

    // The thumb follows the current record.
    struct thumb_case { std::int32_t count, current; int expected_thumb, expected_range_max; };
    const thumb_case cases[] = {{70000, 35000, 50, 100}, {100, 1, 0, 99}, {1, 1, 0, 1}, {120, 7, 6, 119}};
    for (const thumb_case& c : cases) {
        SCOPED_TRACE(c.count);
        open_numbered(c.count);
        go_to(*table, c.current);
        browse.current_record = c.current;
        paint_grid(browse, surface);
        EXPECT_EQ(browse.vertical_thumb, c.expected_thumb);
        EXPECT_EQ(vertical_range(c.count).maximum, c.expected_range_max);
        EXPECT_FALSE(browse.move_pending);
        EXPECT_FALSE(browse.painting);
    }
    EXPECT_EQ(vertical_thumb_for(9'000'000, 10'000'000), 90) << "no overflow in large tables";
}

using position_test = testing::grid_test;

struct position_case {
    const char* name;
    std::int32_t source_record;  // where the table stands before the paint
    std::int32_t grid_record;
    int row;
    bool pending;
    std::int32_t pending_move, expected_result, expected_top, expected_grid_record;
};

TEST_F(position_test, leaves_the_source_on_the_top_row_returns_the_current_record_and_skips_hidden_rows)
{
    const position_case cases[] = {
        {"settled_mid_table", 10, 10, 5, false, 0, 10, 6, 10},
        {"walk_back_stops_at_record_1", 3, 3, 5, false, 0, 3, 1, 3},
        {"pending_move_up", 10, 9, 4, true, -1, 9, 6, 9},
        {"pending_move_past_the_end_clamps", 28, 31, 5, true, 3, 30, 26, 30},
        {"pending_move_before_the_start_clamps", 2, -1, 1, true, -3, 1, 1, 1},
    };
    open_numbered(30);
    for (const position_case& c : cases) {
        SCOPED_TRACE(c.name);
        go_to(*table, c.source_record);
        browse.current_record = c.grid_record;
        browse.current_row = c.row;
        browse.move_pending = c.pending;
        browse.pending_move = c.pending_move;
        browse.top_offset = 1 - c.row;
        EXPECT_EQ(table_position(browse), c.expected_result);
        EXPECT_EQ(std::tuple(table_nr(), browse.current_record, browse.record_count),
                  std::tuple(c.expected_top, c.expected_grid_record, 30));
    }

    // An empty table has no current record; hidden deleted records are no rows.
    open_numbered(0);
    EXPECT_EQ(table_position(browse), 0);
    EXPECT_EQ(browse.record_count, 0);
    EXPECT_TRUE(table_at_end(browse));

    open_numbered(30, {2, 3, 29, 30}, {.hide_deleted = true});

    go_to(*table, 5);
    browse.current_row = 3;
    EXPECT_EQ(table_position(browse), 5);
    EXPECT_EQ(table_nr(), 1) << "the walk back skips records 3 and 2";

    go_to(*table, 28);
    browse.current_record = 28;
    browse.current_row = 1;
    browse.move_pending = true;
    browse.pending_move = 1;
    browse.top_offset = 0;
    EXPECT_EQ(table_position(browse), 28) << "only deleted records lie beyond 28";
    EXPECT_EQ(table_nr(), 28);
}

}  // namespace
}  // namespace vortel
