#include "commands/search.h"

#include "engine/table.h"
#include "grid/cell_text.h"
#include "platform/codepage.h"
#include "text/text_case.h"
#include "text/text_ops.h"

namespace vortel {

row_source table_row_source(browse_object& browse)
{
    table_object& table = *browse.table;
    row_source rows;
    rows.record_number = [&table] { return current_record(table); };
    rows.record_count = [&table] { return record_count(table); };
    rows.go_to = [&table](std::int32_t number) { go_to(table, number); };
    rows.step = [&table](int direction) { skip(table, direction); };
    rows.at_top = [&table] { return at_bof(table) != 0; };
    rows.at_end = [&table] { return at_eof(table) != 0; };
    rows.column_text = [&browse] { return cell_of(browse, browse.current_column).text; };
    rows.record_text = [&table] { return record_text(table); };
    rows.upper_case = [&table](std::string& text) {
        // Texts of 852 tables were always upper-cased with the settings'
        // Hungarian letters; every other table's texts by Windows' rules,
        // which know the accented capitals of every language 1250 holds.
        if (table.codepage.page == code_page::cp852) {
            text = text_upper(text);
        } else {
            ansi_upper(text);
        }
    };
    return rows;
}

search_result search_rows(const row_source& rows, const search_request& request)
{
    const std::int32_t start = rows.record_number();
    std::string needle = request.text.substr(0, search_text_max);
    trim_both(needle);
    if (!request.case_sensitive) rows.upper_case(needle);

    // An empty source is not stepped at all: stepping it would leave it on a
    // record number it does not have.
    if (rows.record_count() > 0) {
        const int direction = request.direction == search_direction::down ? 1 : -1;
        rows.step(direction);
        while (!(direction > 0 ? rows.at_end() : rows.at_top())) {
            std::string text = request.scope == search_scope::current_column ? rows.column_text() : rows.record_text();
            if (!request.case_sensitive) rows.upper_case(text);
            if (text_position(needle, text) >= 0) return {true, rows.record_number(), {}};
            rows.step(direction);
        }
        rows.go_to(start);
    }
    return {false, start, search_not_found_text};
}

search_result search_grid(browse_object& browse, const search_request& request)
{
    if (!browse.table) return {false, 0, search_not_found_text};
    search_result result = search_rows(table_row_source(browse), request);
    if (result.found) {
        browse.current_record = result.record;
        if (request.direction == search_direction::up) browse.current_row = 1;
        browse.top_offset = 1 - browse.current_row;
        browse.pending_move = 0;
        browse.move_pending = true;
    }
    return result;
}

std::string initial_search_text(browse_object& browse)
{
    std::string text = cell_of(browse, browse.current_column).text;
    return trim_both(text);
}

}  // namespace vortel
