#include "grid/column_model.h"

#include "engine/table.h"
#include "grid/cell_text.h"
#include "grid/paint_grid.h"
#include "runtime/settings.h"

namespace vortel {
namespace {

column_descriptor with_header_colours(column_descriptor column, const header_colours& colours)
{
    column.header_text = colours.text;
    column.header_background = colours.background;
    column.header_highlight = colours.highlight;
    return column;
}

column_descriptor deleted_column()
{
    column_descriptor column;
    column.width = deleted_column_width;
    column.source_name = "deleted()";
    column.caption = "Deleted";
    column.cell = deleted_mark_cell;
    column.edit_permission = never_editable;
    column.accept = always_accept;
    return column;
}

column_descriptor field_column(const field_information& field, int index)
{
    column_descriptor column;
    column.width = field.length * 10 + 10;
    column.source_name = field.name;
    column.field = index;
    column.caption = field.name;
    column.cell = field_cell;
    column.edit_permission = always_editable;
    column.accept = always_accept;
    column.type = field.type;
    column.edit_length = field.length;
    switch (field.type) {
    case 'N':
    case 'F':  // other programs' floating numbers, stored as N's are
    case 'I':  // other programs' binary numbers, shown as numbers
    case '+':
    case 'B':
    case 'O':
    case 'Y':
        column.alignment = align_right;
        break;
    case 'M':
        column.alignment = align_centre;
        column.edit_length = memo_edit_length;
        break;
    case 'D':
        column.picture = "@D";
        // The editor shows and takes dates in the shown form.
        column.edit_length = static_cast<int>(setting_by_index(SET_DATEFORMAT).size());
        break;
    case 'L':
        column.picture = "L";
        break;
    default:
        break;
    }
    return column;
}

}  // namespace

std::vector<column_descriptor> build_columns(const table_object& table, const header_colours& colours)
{
    std::vector<column_descriptor> columns;
    columns.reserve(static_cast<std::size_t>(field_count(table)) + 1);
    columns.push_back(with_header_colours(deleted_column(), colours));
    for (int i = 0; i < field_count(table); ++i) {
        // Null flags are shown in the fields they cover, not by themselves.
        if (i == table.null_flags_field) continue;
        columns.push_back(with_header_colours(field_column(field_info(table, i), i), colours));
    }
    return columns;
}

std::vector<std::string> field_captions(const table_object& table, const std::vector<column_descriptor>& columns)
{
    std::vector<std::string> captions(static_cast<std::size_t>(field_count(table)));
    std::vector<bool> shown(captions.size(), false);
    for (const column_descriptor& column : columns) {
        const auto index = static_cast<std::size_t>(column.field);
        if (column.field < 0 || index >= captions.size() || shown[index]) continue;
        captions[index] = column.caption;
        shown[index] = true;
    }
    return captions;
}

browse_object table_browse(table_object& table, const header_colours& colours)
{
    browse_object browse;
    browse.table = &table;
    browse.columns = build_columns(table, colours);
    browse.record_count = record_count(table);
    browse.title = table_file_name(table);
    browse.after_move = set_grid_title_after_move;
    go_top(table);
    return browse;
}

}  // namespace vortel
