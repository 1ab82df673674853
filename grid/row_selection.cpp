#include "grid/row_selection.h"

#include "engine/table.h"
#include "grid/cell_text.h"
#include "grid/navigation.h"
#include "text/csv_field.h"
#include "text/text_ops.h"

#include <algorithm>

namespace vortel {

void extend_row_selection(browse_object& browse)
{
    if (browse.selection_anchor != 0 || !browse.table || browse.painting) return;
    apply_unpainted_move(browse);
    browse.selection_anchor = browse.source.record_number(browse);
}

void clear_row_selection(browse_object& browse) { browse.selection_anchor = 0; }

bool has_row_selection(const browse_object& browse) { return browse.selection_anchor != 0; }

bool row_selected(const browse_object& browse, std::int32_t record)
{
    if (browse.selection_anchor == 0) return false;
    return record >= std::min(browse.selection_anchor, browse.shown_record) &&
           record <= std::max(browse.selection_anchor, browse.shown_record);
}

std::string selected_rows_text(browse_object& browse)
{
    if (!browse.table || browse.painting) return {};
    table_object& table = *browse.table;
    apply_unpainted_move(browse);
    const std::int32_t current = browse.source.record_number(browse);
    const std::int32_t anchor = browse.selection_anchor != 0 ? browse.selection_anchor : current;
    const std::int32_t first = std::min(anchor, current);
    const std::int32_t last = std::max(anchor, current);

    std::string text;
    std::string line;
    const auto add = [&line](std::string value, bool whole) {
        if (!line.empty()) line += '\t';
        append_csv_field(line, whole ? value : trim_both(value), '\t');
    };
    for (const column_descriptor& column : browse.columns) {
        if (column.field >= 0) add(column.caption, false);
    }
    text += line + "\n";
    if (record_count(table) > 0) {
        go_to(table, first);
        // A filter that shows nothing leaves the table on a hidden record.
        while (current_record(table) <= last && !record_hidden(table)) {
            line.clear();
            for (int c = 0; c < static_cast<int>(browse.columns.size()); ++c) {
                const column_descriptor& column = browse.columns[static_cast<std::size_t>(c)];
                if (column.field < 0) continue;
                if (column.type == 'M') {
                    add(memo_read(table, field_text(table, column.field)), true);
                } else {
                    add(cell_of(browse, c).text, false);
                }
            }
            text += line + "\n";
            const std::int32_t before = current_record(table);
            skip(table, 1);
            if (current_record(table) == before || at_eof(table)) break;
        }
        go_to(table, current);
    }
    return text;
}

}  // namespace vortel
