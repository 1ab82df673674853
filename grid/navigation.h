// Keyboard, wheel, scroll-bar and mouse input of a table window, as changes
// of the browse object. Nothing here draws or touches widgets: each call
// returns what the front-end must do next (repaint, open an editor, run a
// command, close the window), and the next paint applies the move.
#pragma once

#include "grid/column_model.h"
#include "grid/command_table.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vortel {

enum class repaint {
    none,
    keep_background,  // rows only change content
    erase,            // the last page may now have fewer rows than before
};

enum class grid_action {
    none,
    open_cell_editor,    // over the current cell (cell_editor_geometry)
    open_memo_dialog,    // read-only when memo_read_only is set
    close_window,        // Escape outside a dialog
    focus_next_control,  // Tab inside a dialog
    copy_to_clipboard,   // clipboard_text: the cell's value as shown, without padding
    run_command,         // command; then call after_command
    undo,                // Ctrl+Z: take back the window's last edit
    fit_column,          // fit `column` to its caption and visible values (fit_column_width)
};

enum class pointer_shape { unchanged, arrow, size_we };

struct navigation_result {
    repaint paint = repaint::none;
    grid_action action = grid_action::none;
    std::optional<command_entry> command;  // with run_command
    std::string clipboard_text;             // with copy_to_clipboard
    bool horizontal_thumb_changed = false;  // apply browse.horizontal_thumb
    pointer_shape pointer = pointer_shape::unchanged;
    bool take_focus = false;                // give the grid window the focus
    std::optional<std::string> editor_text; // with open_cell_editor: the editor's first text, typed
    int column = -1;                        // with fit_column
};

// The navigation routine: the browse object's input code (and thumb for the
// thumb codes) becomes a new current row, column, record and pending move.
// Ignored while painting. `ctrl` tells whether Ctrl is held.
navigation_result navigate(browse_object& browse, bool ctrl = false);

// A move that an earlier input left for the paint and no paint has applied
// yet: applied to the source now, so that inputs arriving between two
// paints add up instead of the later one dropping the earlier one's move.
void apply_unpainted_move(browse_object& browse);

// The window's event paths into the routine. All are ignored while painting.
navigation_result key_down(browse_object& browse, int key, bool ctrl);
// One record per event: up for a positive delta, down otherwise.
navigation_result mouse_wheel(browse_object& browse, int delta);
// code: SB_ value of the bar; position: the bar's thumb as an unsigned 16-bit
// value. Ignored also while an earlier move waits for its paint.
navigation_result scroll_bar(browse_object& browse, int code, bool horizontal, int position);

// After a command handler has run: the grid re-reads the current record and
// the record count; repaint with erase.
navigation_result after_command(browse_object& browse);

// Mouse, in client pixels. A press on the header near a column's left
// border starts dragging it; a press on a data row makes the hit cell
// current. Releasing ends a drag and resizes the column left of the border;
// dragged to the left from an emptied column, it narrows the nearest column
// before it that still has a width.
navigation_result left_button_down(browse_object& browse, int x, int y);
navigation_result mouse_move(const browse_object& browse);
navigation_result left_button_up(browse_object& browse, int x);

// The column whose left border lies within 3 pixels of x on the header row
// (any column, the first one included), the nearest when several do; none
// when no border is that near. Borders of emptied columns coincide with the
// next one's: the last of them wins, so that a drag to the right widens the
// emptied column again.
std::optional<int> header_border_at(const browse_object& browse, int x);
// The cell a press on a data row hits: its column (3 pixels at each border
// hit nothing) and screen row; none outside.
struct cell_hit {
    int column;
    int row;
};
std::optional<cell_hit> data_cell_at(const browse_object& browse, int x, int y);

struct scroll_range {
    int minimum;
    int maximum;
};
// 0-100 from 65536 records on, 0-1 below 2 records, else 0 to count - 1.
scroll_range vertical_range(std::int32_t record_count);
scroll_range horizontal_range(int column_count);

// A new window size: visible rows = height / row height - 3 in table
// windows (- 1 otherwise), height snapped to whole rows. The current row
// is kept on screen.
void resize_grid(browse_object& browse, int x, int y, int width, int height);

// Where the cell editor lies over the current cell: the column's x and
// width + 1, the current row's top and row height + 1.
struct editor_geometry {
    int x, y, width, height;
};
editor_geometry cell_editor_geometry(const browse_object& browse);
// The editor's first text: the current cell as shown, blanks trimmed.
std::string cell_editor_text(browse_object& browse);

// The "&Modify" command: Enter on the current cell.
navigation_result modify_current_cell(browse_object& browse);

// A printable character typed on the current cell, as spreadsheets take it:
// the cell editor opens with the character in place of the cell's text, as
// the column's key filter lays it out. Nothing opens where Enter would open
// no editor (memo and deleted columns, a table without records), and for a
// character the filter refuses (refused is then set, for a beep).
navigation_result type_on_cell(browse_object& browse, char c, bool& refused);

// A double click: on a data cell it opens the editor as Enter does (the
// press before it made the cell current); on a header border it asks to fit
// the column left of it.
navigation_result left_double_click(browse_object& browse, int x, int y);

// The width that shows the caption of column `column` and each of its cells
// on screen whole, by `text_width` (pixels of a text in the column's font);
// a column of bitmaps keeps the deleted column's width. Reads the visible
// rows as a paint does.
int fit_column_width(browse_object& browse, int column, const std::function<int(std::string_view)>& text_width);

}  // namespace vortel
