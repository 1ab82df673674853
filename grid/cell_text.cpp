#include "grid/cell_text.h"

#include "engine/table.h"
#include "text/number_text.h"
#include "text/picture.h"
#include "text/text_ops.h"

namespace vortel {
namespace {

colour live_text_colour(char type)
{
    switch (type) {
    case 'N':
    case 'F': return numeric_text_colour;
    case 'D':
    case 'S':
    case 'T': return date_text_colour;
    case 'L': return logical_text_colour;
    default: return plain_text_colour;
    }
}

std::string shown_text(const table_object& table, const column_descriptor& column)
{
    // A column that names no field of the table shows nothing.
    std::string raw = field_text(table, column.field);
    if (column.picture.empty()) return raw;
    if (is_number_type(column.type)) {
        // Zero shows as stored; a formatted zero would be a row of blanks.
        if (is_zero_number(raw)) return raw;
        trim_both(raw);
    }
    return picture_format(raw, column.picture);
}

}  // namespace

cell_appearance deleted_mark_cell(const browse_object& browse)
{
    cell_appearance cell;
    cell.text_colour = mark_text_colour;
    cell.background = cell_background;
    const bool deleted = browse.table && is_deleted(*browse.table);
    cell.bitmap = deleted ? bitmap_kuka : bitmap_info;
    return cell;
}

cell_appearance field_cell(const browse_object& browse)
{
    cell_appearance cell;
    cell.background = cell_background;
    cell.font = browse.cell_font;
    if (!browse.table || browse.asked_column < 0 ||
        static_cast<std::size_t>(browse.asked_column) >= browse.columns.size()) {
        return cell;
    }
    const table_object& table = *browse.table;
    const column_descriptor& column = browse.columns[static_cast<std::size_t>(browse.asked_column)];
    if (column.type == 'M') {
        cell.text = table.memo_problem.empty() ? memo_cell_text : memo_unavailable_cell_text;
    } else {
        cell.text = shown_text(table, column);
    }
    cell.text_colour = is_deleted(table) ? deleted_text_colour : live_text_colour(column.type);
    return cell;
}

int always_editable(const browse_object&) { return 1; }
int never_editable(const browse_object&) { return 0; }
int always_accept(const browse_object&) { return 1; }

cell_appearance cell_of(browse_object& browse, int column)
{
    if (column < 0 || static_cast<std::size_t>(column) >= browse.columns.size()) return {};
    browse.asked_column = column;
    const cell_callback callback = browse.columns[static_cast<std::size_t>(column)].cell;
    return callback ? callback(browse) : cell_appearance{};
}

}  // namespace vortel
