#include "grid/navigation.h"

#include "engine/table.h"
#include "grid/cell_text.h"
#include "grid/grid_filter.h"
#include "grid/input_codes.h"
#include "grid/key_filter.h"
#include "grid/row_selection.h"
#include "text/text_ops.h"

#include <algorithm>
#include <cstdlib>

namespace vortel {
namespace {

void ask_repaint(navigation_result& result, repaint hint) { result.paint = std::max(result.paint, hint); }

int column_count(const browse_object& browse) { return static_cast<int>(browse.columns.size()); }

std::int32_t clamped_record(std::int32_t record, std::int32_t count)
{
    return std::max(std::min(record, count), std::int32_t{1});
}

void line_up(browse_object& browse, navigation_result& result)
{
    if (browse.current_record > 1 && !browse.source.at_top(browse)) {
        if (browse.current_row > 1) --browse.current_row;
        browse.top_offset = 1 - browse.current_row;
        --browse.current_record;
        browse.pending_move = -1;
    }
    ask_repaint(result, repaint::keep_background);
}

void line_down(browse_object& browse, navigation_result& result)
{
    browse.source.step(browse);
    if (browse.source.record_number(browse) > browse.record_count || browse.source.at_end(browse)) {
        ask_repaint(result, repaint::erase);
    } else {
        if (browse.current_row < browse.visible_rows) ++browse.current_row;
        browse.top_offset = 1 - browse.current_row;
        ++browse.current_record;
        ask_repaint(result, repaint::keep_background);
    }
    browse.pending_move = 0;
}

void page_up(browse_object& browse, navigation_result& result)
{
    const int saved_step = browse.step;
    browse.step = -1;
    browse.source.step(browse);
    for (int i = 1; i < browse.visible_rows && !browse.source.at_top(browse); ++i) {
        --browse.current_record;
        browse.source.step(browse);
    }
    browse.step = saved_step;
    if (browse.source.at_top(browse)) {
        browse.current_record = 1;
        browse.current_row = 1;
    } else {
        --browse.current_record;
    }
    browse.current_record = std::max(browse.current_record, std::int32_t{1});
    browse.current_row = std::max(browse.current_row, 1);
    browse.top_offset = 1 - browse.current_row;
    ask_repaint(result, repaint::keep_background);
}

// Erase when the rows below the last record may have held records before.
repaint near_end_repaint(browse_object& browse)
{
    return browse.source.record_number(browse) + browse.visible_rows >= browse.record_count ? repaint::erase
                                                                                              : repaint::keep_background;
}

void page_down(browse_object& browse, navigation_result& result)
{
    browse.source.step(browse);
    for (int i = 1; i < browse.visible_rows && !browse.source.at_end(browse); ++i) {
        ++browse.current_record;
        browse.source.step(browse);
    }
    if (!browse.source.at_end(browse)) ++browse.current_record;
    browse.current_record = std::min(browse.current_record, browse.record_count);
    browse.top_offset = 1 - browse.current_row;
    ask_repaint(result, near_end_repaint(browse));
}

// The thumb of a filtered grid picks the n-th member of the filter, as it
// picks the n-th record of the whole table.
void thumb_moved_among_members(browse_object& browse, const record_set& filter)
{
    const std::int32_t members = filter.members();
    const std::int32_t position =
        members <= 65535 ? browse.thumb + 1 : static_cast<std::int32_t>(std::int64_t{members} * browse.thumb / 100);
    const std::int32_t record = filter.select(std::clamp(position, std::int32_t{1}, std::max(members, 1)));
    browse.current_record = std::max(record, std::int32_t{1});
    browse.source.go_to(browse, browse.current_record);
    browse.current_row = members <= 65535 && browse.visible_rows > browse.thumb ? std::max(position, 1) : 1;
}

void thumb_moved(browse_object& browse, navigation_result& result)
{
    // Within 16 bits the thumb is a record index; above, a percentage.
    if (browse.table->navigation.filter) {
        thumb_moved_among_members(browse, *browse.table->navigation.filter);
    } else if (browse.record_count <= 65535) {
        browse.current_record = clamped_record(browse.thumb + 1, browse.record_count);
        browse.source.go_to(browse, browse.current_record);
        if (browse.visible_rows > browse.thumb) browse.current_row = browse.current_record;
    } else {
        browse.current_row = 1;
        browse.current_record = clamped_record(browse.record_count / 100 * browse.thumb, browse.record_count);
        browse.source.go_to(browse, browse.current_record);
    }
    // The walk back to the top row must match the row the record is drawn on.
    browse.top_offset = 1 - browse.current_row;
    ask_repaint(result, near_end_repaint(browse));
}

void end_key(browse_object& browse, bool ctrl, navigation_result& result)
{
    if (ctrl) {
        browse.source.go_to(browse, browse.record_count);
        browse.current_record = browse.record_count;
        ask_repaint(result, repaint::erase);
        return;
    }
    if (browse.columns.empty()) return;
    browse.horizontal_thumb = column_count(browse);
    result.horizontal_thumb_changed = true;
    browse.column_ordinal = std::max(browse.fully_visible_columns - 1, 0);
    browse.current_column = browse.first_visible_column = column_count(browse) - 1;
    ask_repaint(result, repaint::keep_background);
}

void home_key(browse_object& browse, bool ctrl, navigation_result& result)
{
    if (ctrl) {
        browse.source.go_to(browse, 1);
        browse.current_record = 1;
        browse.current_row = 1;
        browse.top_offset = 0;
    } else {
        browse.horizontal_thumb = 0;
        result.horizontal_thumb_changed = true;
        browse.column_ordinal = browse.current_column = browse.first_visible_column = 0;
    }
    ask_repaint(result, repaint::keep_background);
}

void column_left(browse_object& browse, navigation_result& result)
{
    browse.horizontal_thumb = std::max(browse.horizontal_thumb - 1, 0);
    result.horizontal_thumb_changed = true;
    bool changed = false;
    if (browse.column_ordinal > 0) {
        --browse.column_ordinal;
        changed = true;
    }
    if (browse.current_column > 0) {
        --browse.current_column;
        changed = true;
    }
    if (browse.current_column < browse.first_visible_column) {
        browse.first_visible_column = browse.current_column;
        changed = true;
    }
    if (changed) ask_repaint(result, repaint::keep_background);
}

void column_right(browse_object& browse, navigation_result& result)
{
    if (browse.columns.empty()) return;
    browse.horizontal_thumb = std::min(browse.horizontal_thumb + 1, column_count(browse) - 1);
    result.horizontal_thumb_changed = true;
    bool changed = false;
    if (browse.column_ordinal < browse.fully_visible_columns) {
        ++browse.column_ordinal;
        changed = true;
    }
    if (browse.current_column < column_count(browse) - 1) {
        ++browse.current_column;
        changed = true;
    }
    const column_descriptor& column = browse.columns[static_cast<std::size_t>(browse.current_column)];
    if (column.x + column.width > browse.width) {
        browse.first_visible_column = browse.current_column;
        browse.column_ordinal = 0;
        changed = true;
    }
    if (changed) ask_repaint(result, repaint::keep_background);
}

void edit_current_cell(browse_object& browse, navigation_result& result)
{
    if (!browse.table_window && (browse.permission_letters.size() < 2 || browse.permission_letters[1] != 'I')) return;
    if (browse.current_column < 0 || browse.current_column >= column_count(browse)) return;
    if (filter_shows_nothing(browse)) return;  // the record the table stands on is not shown
    const column_descriptor& column = browse.columns[static_cast<std::size_t>(browse.current_column)];
    const bool memo = column.type == 'M';
    if (column.edit_permission && column.edit_permission(browse)) {
        result.action = memo ? grid_action::open_memo_dialog : grid_action::open_cell_editor;
    } else if (memo) {
        browse.memo_read_only = true;
        result.action = grid_action::open_memo_dialog;
    }
}

}  // namespace

void apply_unpainted_move(browse_object& browse)
{
    if (!browse.move_pending || browse.pending_move == 0) return;
    const int saved_step = browse.step;
    browse.step = browse.pending_move < 0 ? -1 : 1;
    for (std::int32_t i = 0; i < std::abs(browse.pending_move); ++i) browse.source.step(browse);
    browse.step = saved_step;
    browse.pending_move = 0;
}

navigation_result navigate(browse_object& browse, bool ctrl)
{
    navigation_result result;
    if (browse.painting || !browse.table) return result;
    apply_unpainted_move(browse);
    browse.move_pending = true;
    browse.top_offset = 1 - browse.current_row;
    browse.pending_move = 0;
    browse.has_focus = true;

    switch (browse.input_code) {
    case vk_up:
    case sb_lineup: line_up(browse, result); break;
    case vk_down:
    case sb_linedown: line_down(browse, result); break;
    case vk_prior:
    case sb_pageup: page_up(browse, result); break;
    case vk_next:
    case sb_pagedown: page_down(browse, result); break;
    case sb_thumbposition:
    case sb_thumbtrack: thumb_moved(browse, result); break;
    case sb_top:
    case sb_bottom:
    case sb_endscroll: break;
    case vk_tab:
        if (browse.in_dialog) result.action = grid_action::focus_next_control;
        break;
    case vk_return: edit_current_cell(browse, result); break;
    case vk_escape:
        if (!browse.in_dialog) result.action = grid_action::close_window;
        break;
    case vk_end: end_key(browse, ctrl, result); break;
    case vk_home: home_key(browse, ctrl, result); break;
    case vk_left:
    case sb_lineleft:
    case sb_pageleft:
    case sb_left: column_left(browse, result); break;
    case vk_right:
    case sb_lineright:
    case sb_pageright:
    case sb_right: column_right(browse, result); break;
    case vk_c:
    case vk_numpad3:
        if (ctrl) {
            if (has_row_selection(browse)) {
                result.clipboard_text = selected_rows_text(browse);
            } else {
                result.clipboard_text = cell_of(browse, browse.current_column).text;
                trim_both(result.clipboard_text);
            }
            result.action = grid_action::copy_to_clipboard;
        }
        break;
    case vk_z:
        if (ctrl) result.action = grid_action::undo;
        break;
    default:
        result.command = command_for_key(browse.input_code);
        if (result.command) result.action = grid_action::run_command;
        break;
    }
    return result;
}

navigation_result key_down(browse_object& browse, int key, bool ctrl)
{
    if (browse.painting) return {};
    browse.input_code = key;
    browse.thumb = 0;
    return navigate(browse, ctrl);
}

navigation_result mouse_wheel(browse_object& browse, int delta)
{
    if (browse.painting) return {};
    browse.input_code = delta > 0 ? vk_up : vk_down;
    browse.thumb = 0;
    return navigate(browse);
}

navigation_result scroll_bar(browse_object& browse, int code, bool horizontal, int position)
{
    if (browse.painting || browse.move_pending) return {};
    browse.input_code = code + (horizontal ? horizontal_scroll : 0);
    browse.thumb = position & 0xFFFF;
    navigation_result result = navigate(browse);
    ask_repaint(result, repaint::keep_background);
    return result;
}

navigation_result modify_current_cell(browse_object& browse)
{
    browse.input_code = vk_return;
    return navigate(browse);
}

navigation_result type_on_cell(browse_object& browse, char c, bool& refused)
{
    refused = false;
    if (browse.painting || !browse.table || browse.source.record_count(browse) < 1) return {};
    if (browse.current_column < 0 || browse.current_column >= column_count(browse)) return {};
    const column_descriptor& column = browse.columns[static_cast<std::size_t>(browse.current_column)];
    if (column.type == 'M' || column.field < 0) return {};
    navigation_result result = modify_current_cell(browse);
    if (result.action != grid_action::open_cell_editor) return {};
    // The typed character replaces the whole text, as in an editor opened
    // with everything selected.
    edit_state state;
    state.text = cell_editor_text(browse);
    state.selection_end = static_cast<int>(state.text.size());
    if (!type_character(state, c, column.picture, column.type, column.edit_length)) {
        refused = true;
        return {};
    }
    result.editor_text = state.text;
    return result;
}

navigation_result after_command(browse_object& browse)
{
    navigation_result result;
    result.paint = repaint::erase;
    if (!browse.table) return result;
    // A command may have removed or reordered the records of a range.
    clear_row_selection(browse);
    browse.current_record = browse.source.record_number(browse);
    browse.record_count = browse.source.record_count(browse);
    return result;
}

scroll_range vertical_range(std::int32_t record_count)
{
    if (record_count >= 65536) return {0, 100};
    if (record_count < 2) return {0, 1};
    return {0, record_count - 1};
}

scroll_range horizontal_range(int column_count) { return {0, column_count - 1}; }

void resize_grid(browse_object& browse, int x, int y, int width, int height)
{
    browse.x = x;
    browse.y = y;
    browse.width = width;
    if (browse.row_height <= 0) return;
    browse.visible_rows = height / browse.row_height - (browse.table_window ? 3 : 1);
    browse.height = (browse.visible_rows + 1) * browse.row_height + 1;
    // A shrunk window would otherwise hide the current cell below its rows.
    if (browse.visible_rows >= 1) browse.current_row = std::min(browse.current_row, browse.visible_rows);
}

editor_geometry cell_editor_geometry(const browse_object& browse)
{
    if (browse.current_column < 0 || browse.current_column >= column_count(browse)) return {0, 0, 0, 0};
    const column_descriptor& column = browse.columns[static_cast<std::size_t>(browse.current_column)];
    return {column.x, browse.current_row * browse.row_height, column.width + 1, browse.row_height + 1};
}

std::string cell_editor_text(browse_object& browse)
{
    std::string text = cell_of(browse, browse.current_column).text;
    return trim_both(text);
}

}  // namespace vortel
