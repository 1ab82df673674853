// Searching a grid's rows for a text, as the Search dialog does.
//
// The loop works on any row source: it moves with the source's own steps, so
// which records it visits (deleted ones or not) is the source's business.
// The record that is current when the search starts is never compared.
#pragma once

#include "grid/column_model.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vortel {

struct row_source {
    std::function<std::int32_t()> record_number;
    std::function<std::int32_t()> record_count;
    std::function<void(std::int32_t)> go_to;
    std::function<void(int)> step;  // one record on (+1) or back (-1)
    std::function<bool()> at_top;   // the last move stopped at the first record
    std::function<bool()> at_end;   // the last move stopped at the last record
    std::function<std::string()> column_text;  // the current column as the grid shows it
    std::function<std::string()> record_text;  // the whole record
    std::function<void(std::string&)> upper_case;
};

enum class search_direction { down, up };
enum class search_scope { current_column, all_columns };

struct search_request {
    std::string text;  // as typed; trimmed, and at most search_text_max characters are used
    search_direction direction = search_direction::down;
    search_scope scope = search_scope::current_column;
    bool case_sensitive = false;
};

struct search_result {
    bool found = false;
    std::int32_t record = 0;  // the found record, or the one returned to
    std::string message;      // shown under search_error_caption when not found
};

inline constexpr std::size_t search_text_max = 127;
inline constexpr const char* search_not_found_text = "Search string not found.";
inline constexpr const char* search_error_caption = "Error";

// The grid's table as a row source: the table's own moves, the current
// column's cell text, and the stored record. Without case sensitivity texts
// are upper-cased with the Hungarian letters of the settings when the table
// is in code page 852, and by the Windows-1250 rules otherwise.
row_source table_row_source(browse_object& browse);

// The search loop. Found: the source stands on the found record. Not found:
// it is back on the record where the search began.
search_result search_rows(const row_source& rows, const search_request& request);

// The search on a table window's grid. A record found downwards keeps the
// screen row of the record that was current; one found upwards goes to the
// top row. A failed search leaves the grid as it was.
search_result search_grid(browse_object& browse, const search_request& request);

// The text the dialog starts with: the current cell as shown, trimmed.
std::string initial_search_text(browse_object& browse);

}  // namespace vortel
