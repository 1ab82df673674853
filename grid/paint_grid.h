// Painting a table window's grid. Input never draws: it changes the browse
// object and asks for a repaint; paint_grid then applies the pending move
// through the position callback, lays the columns out, draws the header and
// the visible records, and leaves the vertical thumb and the window title in
// the browse object for the front-end to apply.
//
// A paint reads only the visible records: one position call, at most
// visible-rows step calls, one go-to call and one cell callback per drawn
// cell.
#pragma once

#include "grid/column_model.h"
#include "platform/canvas.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vortel {

inline constexpr canvas_colour grid_pen_colour = 0xDCDCDC;
inline constexpr canvas_colour header_border_colour = 0x000000;
// Rows of a range chosen with Shift (grid/row_selection.h): light blue.
inline constexpr canvas_colour selected_row_background = 0xFFE0C8;

// Text flags of a column: its alignment, with "&" drawn as itself.
unsigned column_text_flags(const column_descriptor& column);

// Pixels between a cell's inner edge and its bitmap.
int bitmap_inset(const browse_object& browse);

// The scroll-bar allowance for a system scroll-bar width.
int scroll_bar_allowance_for(int system_bar_width, bool table_window);

// Column layout and the last-column rule, as every paint does them: x of
// the first visible column onwards, fully visible columns, and the last
// column stretched or shrunk to end at width - allowance.
void lay_out_columns(browse_object& browse);

// Where the vertical thumb stands for `current` of `record_count`: in
// percent above 65535 records, else current - 1.
int vertical_thumb_for(std::int32_t current, std::int32_t record_count);

// What every paint does around its drawing: applies the pending move, then
// makes each shown row current in turn and calls `row` with its number (0
// for the header, whose record is the top one), and at the end puts the
// table back on the current record and leaves the thumb and the title.
void walk_shown_rows(browse_object& browse, const std::function<void(int row)>& row);

// Paints the grid. Bitmap cells are drawn with their bitmap_id value as the
// canvas bitmap handle; the front-end's canvas maps it to its image.
void paint_grid(browse_object& browse, canvas& surface);

// "%s - %ld/%ld": the title (the table path), the record count and the
// current record number, both asked from the source. Stored in
// window_title and returned. The table window's after-move callback.
std::string set_grid_title(browse_object& browse);
void set_grid_title_after_move(browse_object& browse);

}  // namespace vortel
