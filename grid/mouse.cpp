#include "grid/navigation.h"

#include "grid/cell_text.h"
#include "grid/paint_grid.h"
#include "text/text_ops.h"

#include <algorithm>
#include <cstdlib>

namespace vortel {
namespace {

// Pixels on either side of a column border that belong to the border.
constexpr int border_band = 3;

std::size_t index(int column) { return static_cast<std::size_t>(column); }

}  // namespace

std::optional<int> header_border_at(const browse_object& browse, int x)
{
    std::optional<int> nearest;
    int distance = border_band;
    for (int j = std::max(browse.first_visible_column, 0); j < static_cast<int>(browse.columns.size()); ++j) {
        const int off = std::abs(x - browse.columns[index(j)].x);
        if (off <= distance && off < border_band) {
            nearest = j;
            distance = off;
        }
    }
    return nearest;
}

std::optional<cell_hit> data_cell_at(const browse_object& browse, int x, int y)
{
    if (browse.row_height <= 0 || y < browse.row_height) return std::nullopt;
    for (int j = std::max(browse.first_visible_column, 0); j < static_cast<int>(browse.columns.size()); ++j) {
        const column_descriptor& column = browse.columns[index(j)];
        if (column.x + border_band < x && x < column.x + column.width - border_band) {
            return cell_hit{j, y / browse.row_height};
        }
    }
    return std::nullopt;
}

navigation_result left_button_down(browse_object& browse, int x, int y)
{
    navigation_result result;
    result.take_focus = true;
    browse.has_focus = true;

    if (y < browse.row_height) {
        // The border left of column j belongs to column j - 1, so a press at
        // the first visible column's edge resizes a column scrolled out.
        const std::optional<int> border = header_border_at(browse, x);
        if (border && *border >= 1) {
            browse.column_being_resized = *border;
            result.pointer = pointer_shape::size_we;
        }
        return result;
    }
    if (browse.column_being_resized != 0 || !browse.table) return result;
    const std::optional<cell_hit> hit = data_cell_at(browse, x, y);
    if (!hit) return result;

    apply_unpainted_move(browse);
    browse.move_pending = true;
    browse.column_ordinal = hit->column - browse.first_visible_column;
    browse.current_column = hit->column;
    browse.horizontal_thumb = hit->column;
    result.horizontal_thumb_changed = true;

    const int row = hit->row;
    // A row below the last record is empty, also when the top row is not
    // record 1 (a scrolled last page): clicking it moves nothing.
    const bool row_has_record = row <= browse.visible_rows && row <= browse.source.record_count(browse) &&
                                browse.current_record + (row - browse.current_row) <= browse.source.record_count(browse);
    if (row < browse.current_row || (row > browse.current_row && row_has_record)) {
        browse.top_offset = 1 - row;
        browse.pending_move = row - browse.current_row;
        browse.current_row = row;
    } else {
        browse.top_offset = 1 - browse.current_row;
        browse.pending_move = 0;
    }
    browse.current_record += browse.pending_move;
    result.paint = repaint::keep_background;
    return result;
}

navigation_result mouse_move(const browse_object& browse)
{
    navigation_result result;
    if (browse.column_being_resized != 0) result.pointer = pointer_shape::size_we;
    return result;
}

navigation_result left_button_up(browse_object& browse, int x)
{
    navigation_result result;
    const int j = browse.column_being_resized;
    if (j < 1 || j >= static_cast<int>(browse.columns.size())) {
        browse.column_being_resized = 0;
        return result;
    }
    const int moved = x - browse.columns[index(j)].x;
    int target = j - 1;
    // An emptied column shares its border with the next: a drag to the left
    // from there means the nearest column before it that can still narrow.
    while (moved < 0 && target > 0 && browse.columns[index(target)].width == 0) --target;
    // Dragged left past its own left edge a column becomes empty, never
    // negative: a negative width would pull the columns after it over it.
    column_descriptor& resized = browse.columns[index(target)];
    resized.width = std::max(resized.width + moved, 0);
    browse.column_being_resized = 0;
    result.pointer = pointer_shape::arrow;
    result.paint = repaint::keep_background;
    return result;
}

navigation_result left_double_click(browse_object& browse, int x, int y)
{
    navigation_result result;
    if (browse.painting || !browse.table) return result;
    if (y < browse.row_height) {
        const std::optional<int> border = header_border_at(browse, x);
        if (border && *border >= 1) {
            browse.column_being_resized = 0;
            result.action = grid_action::fit_column;
            result.column = *border - 1;
        }
        return result;
    }
    const std::optional<cell_hit> hit = data_cell_at(browse, x, y);
    if (!hit || hit->column != browse.current_column || hit->row != browse.current_row) return result;
    // An empty row shows no record to edit.
    if (browse.source.record_count(browse) < 1) return result;
    return modify_current_cell(browse);
}

int fit_column_width(browse_object& browse, int column, const std::function<int(std::string_view)>& text_width)
{
    if (column < 0 || index(column) >= browse.columns.size()) return 0;
    // Room beside the text: the header cell's raised edge and inset, the
    // data cell's border and inset, as paint_grid draws them.
    constexpr int header_room = 8, cell_room = 6;
    int width = text_width(browse.columns[index(column)].caption) + header_room;
    bool bitmaps = false;
    walk_shown_rows(browse, [&](int row) {
        if (row == 0) return;
        const cell_appearance cell = cell_of(browse, column);
        if (cell.bitmap != no_bitmap) bitmaps = true;
        // Blanks that fill a field up show nothing.
        std::string shown = cell.text;
        width = std::max(width, text_width(trim_both(shown)) + cell_room);
    });
    return bitmaps ? deleted_column_width : width;
}

}  // namespace vortel
