#include "grid/navigation.h"

#include "engine/table.h"
#include "grid/cell_text.h"
#include "grid/input_codes.h"
#include "grid/key_filter.h"
#include "grid/paint_grid.h"
#include "grid/row_selection.h"
#include "grid/tests/grid_fixture.h"
#include "grid/tests/recording_canvas.h"
#include "runtime/settings.h"

namespace vortel {
namespace {

class navigation_test : public testing::grid_test {
protected:
    // The record, the row and the record drawn on the top row.
    using screen = std::tuple<std::int32_t, int, std::int32_t>;
    // The grid after a paint: its current record and row, and the top row.
    // The table must stand on the current record then.
    screen painted()
    {
        const std::int32_t top = paint();
        EXPECT_EQ(table_nr(), browse.current_record) << "the grid and its table disagree";
        return {browse.current_record, browse.current_row, top};
    }
};

struct key_step { const char* name; int key; bool ctrl; int record, row, top; };

TEST_F(navigation_test, keys_move_the_current_record_and_stop_at_both_ends)
{
    const key_step steps[] = {
        {"up_on_record_1", vk_up, false, 1, 1, 1}, {"down", vk_down, false, 2, 2, 1},
        {"down", vk_down, false, 3, 3, 1}, {"down", vk_down, false, 4, 4, 1}, {"down", vk_down, false, 5, 5, 1},
        {"down_scrolls", vk_down, false, 6, 5, 2}, {"up_moves_the_row", vk_up, false, 5, 4, 2},
        {"page_down", vk_next, false, 10, 4, 7}, {"page_down", vk_next, false, 15, 4, 12},
        {"page_down", vk_next, false, 20, 4, 17}, {"page_down_stops_on_the_last", vk_next, false, 22, 4, 19},
        {"page_down_on_the_last", vk_next, false, 22, 4, 19}, {"down_on_the_last", vk_down, false, 22, 4, 19},
        {"ctrl_home", vk_home, true, 1, 1, 1}, {"ctrl_end_keeps_the_row", vk_end, true, 22, 1, 22},
        {"page_up", vk_prior, false, 17, 1, 17}, {"page_up", vk_prior, false, 12, 1, 12},
        {"page_up", vk_prior, false, 7, 1, 7}, {"page_up", vk_prior, false, 2, 1, 2},
        {"page_up_stops_on_record_1", vk_prior, false, 1, 1, 1}, {"wheel_down_is_down", -1, false, 2, 2, 1},
    };
    open(22, 5);
    for (const key_step& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.key < 0) {
            mouse_wheel(browse, -120);
        } else {
            key_down(browse, s.key, s.ctrl);
        }
        EXPECT_TRUE(browse.move_pending);
        EXPECT_EQ(painted(), (screen{s.record, s.row, s.top}));
        EXPECT_EQ(browse.window_title, path + " - 22/" + std::to_string(s.record));
    }
}

TEST_F(navigation_test, ctrl_end_keeps_the_row_keys_add_up_scrolling_waits_for_the_paint_and_the_thumb_picks_a_record)
{
    open(1000, 19);
    browse.current_row = 5;
    key_down(browse, vk_end, true);
    EXPECT_EQ(painted(), (screen{1000, 5, 996})) << "the records above the end fill the rows above";

    open(30, 5);
    walk_down(9);
    key_down(browse, vk_up, false);
    key_down(browse, vk_up, false);
    EXPECT_EQ(painted(), (screen{8, 3, 6}));

    // Scroll messages wait for the paint of the previous move.
    key_down(browse, vk_down, false);
    EXPECT_EQ(scroll_bar(browse, sb_linedown, false, 0).paint, repaint::none);
    EXPECT_EQ(browse.current_record, 9);
    paint();
    browse.painting = true;
    EXPECT_EQ(key_down(browse, vk_down, false).paint, repaint::none);
    EXPECT_EQ(browse.current_record, 9);

    // The thumb picks a record by index or, in large tables, by percentage.
    struct thumb_case { int count, thumb, row_before, record, row; };
    const thumb_case cases[] = {
        {40000, 39999, 1, 40000, 1}, {40000, 2, 5, 3, 3}, {70000, 50, 5, 35000, 1}, {70000, 0, 1, 1, 1},
        {1, 1, 1, 1, 1},
    };
    for (const thumb_case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " at " + std::to_string(c.thumb));
        open(c.count, 19);
        browse.current_row = c.row_before;
        const navigation_result result = scroll_bar(browse, sb_thumbtrack, false, c.thumb);
        EXPECT_NE(result.paint, repaint::none);
        EXPECT_EQ(painted(), (screen{c.record, c.row, c.record - c.row + 1}))
            << "the current record is drawn on the current row";
    }
}

TEST_F(navigation_test, enter_and_command_keys_act_on_the_current_column_and_column_keys_scroll_it_into_view)
{
    open(3, 5);
    struct key_case {
        const char* name;
        int key;
        bool ctrl, in_dialog;
        grid_action action;
        int column = 2;
        char type = 'C';
        permission_callback permission = always_editable;
        bool memo_read_only = false;
    };
    const auto none = grid_action::none, run = grid_action::run_command, editor = grid_action::open_cell_editor;
    const auto memo = grid_action::open_memo_dialog;
    const key_case cases[] = {
        {"enter_on_the_deleted_column", vk_return, false, false, none, 0, 0, never_editable},
        {"enter_on_a_field", vk_return, false, false, editor},
        {"enter_on_a_memo", vk_return, false, false, memo, 2, 'M'},
        {"enter_on_a_refused_memo", vk_return, false, false, memo, 2, 'M', never_editable, true},
        {"escape_closes", vk_escape, false, false, grid_action::close_window},
        {"escape_in_a_dialog_stays", vk_escape, false, true, none},
        {"tab_in_a_dialog_leaves", vk_tab, false, true, grid_action::focus_next_control},
        {"tab_in_a_window", vk_tab, false, false, none}, {"f3_searches", vk_f3, false, false, run},
        {"f10_appends", vk_f10, false, false, run},
        {"ctrl_c_copies", vk_c, true, false, grid_action::copy_to_clipboard},
        {"c_alone_does_nothing", vk_c, false, false, none}, {"ctrl_z_undoes", vk_z, true, false, grid_action::undo},
        {"z_alone_does_nothing", vk_z, false, false, none}, {"unknown_key", 'A', false, false, none},
    };
    for (const key_case& c : cases) {
        SCOPED_TRACE(c.name);
        browse.memo_read_only = false;
        browse.in_dialog = c.in_dialog;
        browse.current_column = c.column;
        browse.columns[static_cast<std::size_t>(c.column)].type = c.type;
        browse.columns[static_cast<std::size_t>(c.column)].edit_permission = c.permission;
        const navigation_result result = key_down(browse, c.key, c.ctrl);
        EXPECT_EQ(result.action, c.action);
        EXPECT_EQ(browse.memo_read_only, c.memo_read_only);
        if (c.action == run) {
            EXPECT_EQ(result.command->key, c.key);
        }
        if (c.action == grid_action::copy_to_clipboard) {
            EXPECT_EQ(result.clipboard_text, "name1") << "the value, without the field's padding";
        }
        paint();
    }
    browse.in_dialog = false;
    key_down(browse, vk_down, false);
    paint();
    EXPECT_EQ(cell_editor_text(browse), "name2");
    const editor_geometry box = cell_editor_geometry(browse);
    EXPECT_EQ(std::tuple(box.x, box.y, box.width, box.height), std::tuple(90, 40, browse.columns[2].width + 1, 21));

    // Column keys scroll the current column into view.
    key_down(browse, vk_end, false);
    paint();
    EXPECT_EQ(std::tuple(browse.current_column, browse.first_visible_column, browse.horizontal_thumb),
              std::tuple(2, 2, 3));
    EXPECT_EQ(std::pair(browse.columns[2].x, browse.columns[2].width), std::pair(0, 750 - browse.scroll_bar_allowance))
        << "End shows the last column alone, stretched";
    key_down(browse, vk_home, false);
    paint();
    EXPECT_EQ(std::tuple(browse.current_column, browse.first_visible_column, browse.columns[2].x),
              std::tuple(0, 0, 90));

    // Right scrolls a column past the right limit into view, Left back.
    browse.width = 100;
    paint();
    const int steps[][3] = {{vk_right, 1, 0}, {vk_right, 2, 2}, {vk_right, 2, 2},
                            {vk_left, 1, 1},  {vk_left, 0, 0},  {vk_left, 0, 0}};
    for (const auto& [key, current, first_visible] : steps) {
        key_down(browse, key, false);
        paint();
        EXPECT_EQ(std::pair(browse.current_column, browse.first_visible_column), std::pair(current, first_visible));
    }
}

TEST_F(navigation_test, a_character_typed_on_a_cell_opens_the_editor_with_it_through_the_key_filter)
{
    struct typing_case {
        const char* name;
        std::int32_t records;
        int column;
        char type;  // the column's type letter, as the key filter reads it
        char typed;
        const char* text;  // the editor's first text; null: no editor
        bool refused;
    };
    const typing_case cases[] = {
        {"a_letter_on_characters", 3, 2, 'C', 'x', "x", false}, {"a_digit_on_a_number", 3, 1, 'N', '7', "7", false},
        {"a_letter_on_a_number", 3, 1, 'N', 'x', nullptr, true},
        {"the_deleted_column", 3, 0, 0, 'x', nullptr, false}, {"a_memo_column", 3, 2, 'M', 'x', nullptr, false},
        {"a_table_without_records", 0, 2, 'C', 'x', nullptr, false},
    };
    for (const typing_case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.records, 5);
        browse.current_column = c.column;
        column_descriptor& column = browse.columns[static_cast<std::size_t>(c.column)];
        column.type = c.type;
        bool refused = false;
        const navigation_result result = type_on_cell(browse, c.typed, refused);
        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(result.action, c.text ? grid_action::open_cell_editor : grid_action::none);
        EXPECT_EQ(result.editor_text.value_or("<none>"), c.text ? c.text : "<none>");
        EXPECT_FALSE(browse.memo_read_only);
    }
}

TEST_F(navigation_test, resizing_keeps_the_current_row_on_screen_and_a_command_rereads_record_and_count)
{
    open(30, 19);
    browse.current_row = 15;
    resize_grid(browse, 10, 20, 600, 205);
    EXPECT_EQ(std::tuple(browse.visible_rows, browse.height, browse.current_row), std::tuple(7, 161, 7));
    browse.table_window = false;
    resize_grid(browse, 10, 20, 600, 205);
    EXPECT_EQ(browse.visible_rows, 9);

    ASSERT_EQ(lock_table(*table), 1);
    ASSERT_EQ(append_blank(*table), 1);
    unlock(*table);
    EXPECT_EQ(after_command(browse).paint, repaint::erase);
    EXPECT_EQ(std::pair(browse.record_count, browse.current_record), std::pair(31, 31));
}

class mouse_test : public testing::grid_test {
protected:
    // y in the middle of a data row.
    int row_y(int row) const { return row * browse.row_height + 10; }
};

// Rows chosen from an anchor copy as tab-separated lines under the
// captions, hidden deleted records left out; the table stays on the
// current record, and without a range Ctrl+C copies the current cell.
TEST_F(navigation_test, rows_chosen_with_shift_copy_as_tab_separated_lines_under_the_captions)
{
    open_numbered(10, {4}, {.hide_deleted = true});
    browse.visible_rows = 8;
    paint();
    key_down(browse, vk_down, false);
    paint();
    extend_row_selection(browse);
    for (int i = 0; i < 3; ++i) {
        extend_row_selection(browse);  // the anchor stays where the range began
        key_down(browse, vk_down, false);
    }
    testing::recording_canvas surface;
    paint_grid(browse, surface);
    int chosen_cells = 0;
    for (const testing::canvas_call& call : surface.of(testing::drawn::text)) {
        chosen_cells += call.background == selected_row_background;
    }
    EXPECT_EQ(chosen_cells, 2 * 4) << "records 2, 3, 5 and 6";

    navigation_result copied = key_down(browse, vk_c, true);
    EXPECT_EQ(copied.action, grid_action::copy_to_clipboard);
    EXPECT_EQ(copied.clipboard_text, "NR\tNAME\n2\tname2\n3\tname3\n5\tname5\n6\tname6\n");
    paint();
    EXPECT_EQ(table_nr(), 6);

    clear_row_selection(browse);
    key_down(browse, vk_right, false);
    EXPECT_EQ(key_down(browse, vk_c, true).clipboard_text, "6");
}

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

using key_filter_test = testing_support::with_default_settings;

edit_state all_selected(const std::string& text) { return {text, 0, static_cast<int>(text.size())}; }
edit_state caret_at(const std::string& text, int caret) { return {text, caret, caret}; }

TEST_F(key_filter_test, typing_lays_out_dates_stops_at_the_edit_length_and_characters_pass_by_picture_and_type)
{
    struct typed { char c; const char* text; int caret; };
    const typed steps[] = {{'2', "2", 1},          {'0', "20", 2},        {'0', "200", 3},
                           {'1', "2001", 4},       {'0', "2001.0", 6},    {'6', "2001.06", 7},
                           {'0', "2001.06.0", 9},  {'1', "2001.06.01", 10}};
    edit_state state = all_selected("2020.12.31");
    for (const typed& s : steps) {
        SCOPED_TRACE(s.text);
        EXPECT_TRUE(type_character(state, s.c, "@D", 'D', 10));
        EXPECT_EQ(state.text, s.text);
        EXPECT_EQ(state.selection_start, s.caret);
        EXPECT_EQ(state.selection_end, s.caret);
    }

    state = caret_at("", 0);
    for (const char c : std::string("abcdef")) type_character(state, c, "", 'C', 5);
    EXPECT_EQ(state.text, "abcde");

    EXPECT_TRUE(type_character(state, key_backspace, "", 'C', 5));
    EXPECT_EQ(state.text, "abcd");
    EXPECT_EQ(state.selection_start, 4);
    EXPECT_FALSE(type_character(state, key_carriage_return, "", 'C', 5));

    state = caret_at("2001.06.01", 10);
    EXPECT_TRUE(type_character(state, key_backspace, "@D", 'D', 10));
    EXPECT_EQ(state.text, "2001.06.0");

    state = all_selected("T");
    EXPECT_TRUE(type_character(state, 'f', "L", 'L', 1));
    EXPECT_EQ(state.text, "f");
    EXPECT_FALSE(type_character(state, 'T', "L", 'L', 1));

    setting_by_index(SET_TIZEDESJEL, ",");  // the decimal sign setting is typed in numbers
    EXPECT_EQ(filter_key(caret_at("12", 2), ',', "", 'N').verdict, key_verdict::accept);

    setting_by_index(SET_TIZEDESJEL, ".");  // the table below is read with the default sign
    struct filter_case {
        const char* name;
        edit_state state;
        char c;
        const char* picture;
        char type;
        key_verdict verdict;
    };
    const filter_case cases[] = {
        {"date_letter", caret_at("2001", 4), 'a', "@D", 'D', key_verdict::refuse},
        {"date_minus", caret_at("2001", 4), '-', "@D", 'D', key_verdict::refuse},
        {"date_backspace", caret_at("2001", 4), key_backspace, "@D", 'D', key_verdict::accept},
        {"date_arrow_codes_are_no_characters", caret_at("2001", 4), '%', "@D", 'D', key_verdict::refuse},
        {"logical_t", caret_at("", 0), 't', "L", 'L', key_verdict::accept},
        {"logical_F", all_selected("T"), 'F', "L", 'L', key_verdict::accept},
        {"logical_yes", caret_at("", 0), 'Y', "L", 'L', key_verdict::accept},
        {"logical_no", caret_at("", 0), 'n', "L", 'L', key_verdict::accept},
        {"logical_unknown", caret_at("", 0), '?', "L", 'L', key_verdict::accept},
        {"logical_other_letter", caret_at("", 0), 'x', "L", 'L', key_verdict::refuse},
        {"logical_apostrophe", caret_at("", 0), '\'', "L", 'L', key_verdict::refuse},
        {"logical_after_the_letter", caret_at("T", 1), 'T', "L", 'L', key_verdict::refuse},
        {"number_digit", caret_at("12", 2), '5', "", 'N', key_verdict::accept},
        {"number_point", caret_at("12", 2), '.', "", 'N', key_verdict::accept},
        {"number_comma", caret_at("12", 2), ',', "", 'N', key_verdict::accept},
        {"number_leading_minus", caret_at("12", 0), '-', "", 'N', key_verdict::accept},
        {"number_inner_minus", caret_at("12", 1), '-', "", 'N', key_verdict::refuse},
        {"number_letter", caret_at("12", 2), 'e', "", 'N', key_verdict::refuse},
        {"float_digit", caret_at("12", 2), '5', "", 'F', key_verdict::accept},
        {"float_letter", caret_at("12", 2), 'e', "", 'F', key_verdict::refuse},
        {"character_anything", caret_at("ab", 2), '%', "", 'C', key_verdict::accept},
        {"memo_anything", caret_at("", 0), 'x', "", 'M', key_verdict::accept},
    };
    for (const filter_case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(filter_key(c.state, c.c, c.picture, c.type).verdict, c.verdict);
    }
}

}  // namespace
}  // namespace vortel
