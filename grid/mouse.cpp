#include "grid/navigation.h"

#include <algorithm>

namespace vortel {
namespace {

// Pixels on either side of a column border that belong to the border.
constexpr int border_band = 3;

std::size_t index(int column) { return static_cast<std::size_t>(column); }

}  // namespace

std::optional<int> header_border_at(const browse_object& browse, int x)
{
    for (int j = std::max(browse.first_visible_column, 0); j < static_cast<int>(browse.columns.size()); ++j) {
        const int left = browse.columns[index(j)].x;
        if (left - border_band < x && x < left + border_band) return j;
    }
    return std::nullopt;
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
    // Dragged left past its own left edge a column becomes empty, never
    // negative: a negative width would pull the columns after it over it.
    column_descriptor& resized = browse.columns[index(j - 1)];
    resized.width = std::max(resized.width + x - browse.columns[index(j)].x, 0);
    browse.column_being_resized = 0;
    result.pointer = pointer_shape::arrow;
    result.paint = repaint::keep_background;
    return result;
}

}  // namespace vortel
