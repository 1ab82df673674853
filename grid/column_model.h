// The browse grid's column model, without a window system.
//
// A table window shows one column per field, led by the deleted column that
// shows each record's delete mark. The grid never reads the table itself: it
// asks each column for a cell's text and colours through the column's
// callbacks, which read the current record of the grid's table.
#pragma once

#include "grid/data_source.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vortel {

struct table_object;
struct browse_object;
class edit_history;

using colour = std::uint32_t;       // 0x00BBGGRR
using font_handle = std::intptr_t;  // the front-end's font; 0 keeps the current one

// Images a cell may show instead of text; the front-end maps them to its
// bitmaps (resources "KUKA" and "INFO").
enum bitmap_id : int { no_bitmap = 0, bitmap_kuka = 1, bitmap_info = 2 };

// Text alignment as the values of the single-line, vertically centred text
// drawing flags, which the desktop front-end passes on unchanged.
enum cell_alignment : int { align_left = 36, align_centre = 37, align_right = 38 };

struct cell_appearance {
    colour text_colour = 0;
    colour background = 0;
    font_handle font = 0;
    bitmap_id bitmap = no_bitmap;  // no_bitmap: draw the text
    std::string text;
};

using cell_callback = cell_appearance (*)(const browse_object& browse);
using permission_callback = int (*)(const browse_object& browse);

struct column_descriptor {
    int width = 0;            // pixels
    std::string source_name;  // the field name, or "deleted()"
    // The field's index, -1 for the deleted column. Cells, the editor and
    // every command reach their field through it, never through the name:
    // tables from other programs may hold two fields of one name.
    int field = -1;
    std::string caption;      // header text
    cell_callback cell = nullptr;
    permission_callback edit_permission = nullptr;  // may Enter edit in place
    permission_callback accept = nullptr;           // may the editor's text be written
    cell_alignment alignment = align_left;
    std::string picture;  // empty: the stored text is shown as it is
    int x = 0;            // left edge, laid out at every paint
    char type = 0;        // field type letter; 0 for the deleted column
    int edit_length = 0;  // most characters the cell editor takes
    bool print_selected = false;
    colour header_text = 0;
    colour header_background = 0;
    colour header_highlight = 0;
};

// Header colours are the system's when the window opens (caption text,
// desktop, 3-D light); they do not follow later changes. The defaults stand
// in where a front-end has no such colours.
struct header_colours {
    colour text = 0xFFFFFF;
    colour background = 0x808000;
    colour highlight = 0xDFDFDF;
};

// Colours of the current cell while the grid has the focus, and without it.
inline constexpr colour focus_cell_text = 255;          // red
inline constexpr colour focus_cell_background = 65535;  // yellow
inline constexpr colour unfocused_cell_text = 0x646464;
inline constexpr colour unfocused_cell_background = 0xE6E6E6;

inline constexpr int table_row_height = 20;

// One table window's grid state, as the portable grid reads and changes it.
// Window handles belong to the front-end: it sets the geometry, the focus
// and the scroll-bar allowance, and applies the thumbs and the window title
// that painting and navigation leave here. The cell font is its handle,
// passed on in every field cell.
struct browse_object {
    table_object* table = nullptr;
    std::vector<column_descriptor> columns;
    int current_column = 0;
    int asked_column = 0;              // the column whose cell callback is being called
    std::int32_t current_record = 1;   // the grid's number of the current row's record
    std::int32_t shown_record = 0;     // the current row's record as the last paint found it
    std::int32_t selection_anchor = 0; // where a range of rows began (grid/row_selection.h); 0: none
    int current_row = 1;               // 1 is the first row under the header
    int visible_rows = 19;             // as a new table window has
    std::int32_t record_count = 0;
    int top_offset = 0;                // 1 - current row while a move is pending
    std::int32_t pending_move = 0;
    bool move_pending = false;         // the next paint re-reads its rows
    font_handle cell_font = 0;

    // Geometry in pixels; width is the right limit for columns, and height
    // is (visible rows + 1) x row height + 1.
    int x = 0, y = 0, width = 0, height = 0;
    int row_height = table_row_height;  // header row included
    int first_visible_column = 0;
    int column_ordinal = 0;             // current column counted from the first visible one
    int fully_visible_columns = 0;      // recomputed at every paint
    int input_code = 0;                 // key or scroll code for the navigation routine
    std::int32_t thumb = 0;             // scroll-bar position, an unsigned 16-bit value
    int step = 1;                       // records per step callback; -1 while paging up
    int column_being_resized = 0;       // column whose left border is dragged; 0: none
    bool painting = false;              // input is ignored while set
    bool grid_lines = true;
    bool table_window = true;           // off for grids hosted elsewhere (list mode)
    bool in_dialog = false;             // hosted in a dialog: Tab leaves, Escape stays
    bool has_focus = false;
    bool memo_read_only = false;        // Enter on a memo column its permission refused
    std::string permission_letters = "IIIII";
    std::string title;                  // the table's path, kept whole whatever its length
    std::string window_title;           // the last title set_grid_title made
    colour current_text = focus_cell_text;
    colour current_background = focus_cell_background;
    font_handle header_font = 0;
    // Room kept right of the last column for the vertical scroll bar: the
    // system's bar width + 9 in table windows, + 1 otherwise. The front-end
    // sets it from its style; the default fits a 17-pixel bar.
    int scroll_bar_allowance = 26;
    int vertical_thumb = 0;             // where paint_grid puts the vertical thumb
    int horizontal_thumb = 0;           // follows the current column
    data_source source;
    void (*after_move)(browse_object&) = nullptr;  // run after every paint
    // The window's edits, for undo (commands/undo.h); edits made without
    // one cannot be undone. Owned by the front-end.
    edit_history* history = nullptr;
};

inline constexpr int deleted_column_width = 20;
inline constexpr int memo_edit_length = 64000;

// The columns of a table window for the open table: the deleted column, then
// one per field in field order.
std::vector<column_descriptor> build_columns(const table_object& table, const header_colours& colours = {});

// For each field of the table in order, the caption of the first column
// that shows it; empty for a field that no column shows.
std::vector<std::string> field_captions(const table_object& table, const std::vector<column_descriptor>& columns);

// A grid over the open table as a new table window starts it: its columns,
// its record count, the first record current, the path as its title and
// set_grid_title run after every paint.
browse_object table_browse(table_object& table, const header_colours& colours = {});

}  // namespace vortel
