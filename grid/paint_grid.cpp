#include "grid/paint_grid.h"

#include "engine/table.h"
#include "grid/cell_text.h"
#include "grid/grid_filter.h"
#include "grid/row_selection.h"

#include <algorithm>
#include <cstdio>

namespace vortel {
namespace {

void paint_header_cell(const browse_object& browse, const column_descriptor& column, canvas& surface)
{
    canvas_rect cell{column.x + 1, 0, column.x + column.width, browse.row_height - 1};
    surface.rectangle(cell, header_border_colour, column.header_background);

    // A raised look: highlight lines right, left and top inside the border.
    cell.left += 1;
    cell.top += 1;
    cell.right -= 1;
    cell.bottom -= 2;
    surface.line(cell.right + 1, cell.top - 1, cell.right + 1, cell.bottom + 2, column.header_highlight);
    surface.line(cell.left, cell.bottom, cell.left, cell.top, column.header_highlight);
    surface.line(cell.left, cell.top, cell.right, cell.top, column.header_highlight);

    cell.left += 2;
    cell.top += 1;
    surface.text(cell, column.caption, column_text_flags(column), column.header_text, column.header_background,
                 browse.header_font);
}

void paint_data_cell(browse_object& browse, int row, int c, canvas& surface)
{
    const cell_appearance cell = cell_of(browse, c);
    const column_descriptor& column = browse.columns[static_cast<std::size_t>(c)];
    const bool current = row == browse.current_row && c == browse.current_column;

    colour text_colour = cell.text_colour;
    colour background = cell.background;
    if (row_selected(browse, browse.source.record_number(browse))) background = selected_row_background;
    if (current) {
        text_colour = browse.has_focus ? browse.current_text : unfocused_cell_text;
        background = browse.has_focus ? browse.current_background : unfocused_cell_background;
    }

    // Neighbouring cells share their border pixels.
    const int top = row * browse.row_height;
    canvas_rect area{column.x, top, column.x + column.width + 1, top + browse.row_height + 1};
    if (browse.grid_lines) surface.rectangle(area, grid_pen_colour, background);

    area.left += 1;
    area.top += 1;
    area.right -= 1;
    area.bottom -= 1;
    if (cell.bitmap != no_bitmap) {
        area.left += bitmap_inset(browse);
        area.top += bitmap_inset(browse);
        surface.bitmap(cell.bitmap, area.left, area.top, area.right - area.left, area.bottom - area.top, 0);
    } else {
        area.left += 1;
        surface.text(area, cell.text, column_text_flags(column), text_colour, background, cell.font);
    }
}

}  // namespace

unsigned column_text_flags(const column_descriptor& column)
{
    return static_cast<unsigned>(column.alignment) | text_no_prefix;
}

int bitmap_inset(const browse_object& browse) { return browse.table_window ? 2 : 1; }

int scroll_bar_allowance_for(int system_bar_width, bool table_window)
{
    return system_bar_width + (table_window ? 9 : 1);
}

void lay_out_columns(browse_object& browse)
{
    if (browse.columns.empty()) return;
    browse.fully_visible_columns = 0;
    int s = 0;
    for (std::size_t i = static_cast<std::size_t>(browse.first_visible_column); i < browse.columns.size(); ++i) {
        browse.columns[i].x = s;
        s += browse.columns[i].width;
        if (s < browse.width) ++browse.fully_visible_columns;
    }
    // The last column always ends at the right limit, stretched or shrunk.
    column_descriptor& last = browse.columns.back();
    last.width = browse.width - browse.scroll_bar_allowance - last.x;
    if (last.width < 0) last.width = browse.width - browse.scroll_bar_allowance;
}

int vertical_thumb_for(std::int32_t current, std::int32_t record_count)
{
    // 64 bits: a percentage of ten million records overflows 32.
    if (record_count > 65535) return static_cast<int>(std::int64_t{current} * 100 / record_count);
    return current - 1;
}

void walk_shown_rows(browse_object& browse, const std::function<void(int row)>& row)
{
    // Without a source there is nothing to show, and input must not stay
    // locked out as it would if the painting flag were left set.
    if (!browse.table) return;
    if (browse.first_visible_column < 0 ||
        static_cast<std::size_t>(browse.first_visible_column) >= browse.columns.size()) {
        browse.first_visible_column = 0;
    }
    browse.painting = true;

    lay_out_columns(browse);
    const std::int32_t current = browse.source.position(browse);
    browse.shown_record = current;

    for (int r = 0; r <= browse.visible_rows; ++r) {
        if (r >= 1 && browse.source.at_end(browse)) break;
        row(r);
        if (r >= 1) browse.source.step(browse);
    }

    browse.source.go_to(browse, current);
    if (const std::shared_ptr<const record_set>& filter = browse.table->navigation.filter) {
        // A filtered grid's thumb stands at the current record's place among the members.
        browse.vertical_thumb = std::max(vertical_thumb_for(filter->rank(current), filter->members()), 0);
    } else {
        browse.vertical_thumb = vertical_thumb_for(current, browse.record_count);
    }
    if (browse.after_move) browse.after_move(browse);

    browse.top_offset = 0;
    browse.move_pending = false;
    browse.painting = false;
}

void paint_grid(browse_object& browse, canvas& surface)
{
    const int column_count = static_cast<int>(browse.columns.size());
    walk_shown_rows(browse, [&](int row) {
        for (int c = browse.first_visible_column; c < column_count; ++c) {
            if (row == 0) {
                paint_header_cell(browse, browse.columns[static_cast<std::size_t>(c)], surface);
            } else {
                paint_data_cell(browse, row, c, surface);
            }
        }
    });
    // An empty filter result says so, rather than leaving an empty grid
    // that could pass for a table without records.
    if (filter_shows_nothing(browse)) {
        const canvas_rect line{4, browse.row_height + 2, browse.width, 2 * browse.row_height};
        surface.text(line, no_record_matches_text, text_no_prefix, plain_text_colour, cell_background,
                     browse.cell_font);
    }
}

std::string set_grid_title(browse_object& browse)
{
    const long count = browse.source.record_count(browse);
    const long number = browse.source.record_number(browse);
    std::string counted = std::to_string(count);
    if (grid_filtered(browse)) counted = std::to_string(browse.table->navigation.filter->members()) + " of " + counted;
    std::string title = browse.title + " - " + counted;
    // A filter that shows nothing has no current record to name.
    if (!filter_shows_nothing(browse)) title += "/" + std::to_string(number);
    browse.window_title = title;
    return title;
}

void set_grid_title_after_move(browse_object& browse) { set_grid_title(browse); }

}  // namespace vortel
