// Searching a table window's rows for a text, as the Search dialog and
// `vortel-cli search` do.
//
// The records are read in large blocks rather than moved to one by one, so
// a search through a million records takes a fraction of a second. Which
// records it compares is what the grid's moves would visit: every record
// after (or before) the current one, deleted ones left out while the
// table's navigation hides them. The record that is current when the search
// starts is never compared.
#pragma once

#include "grid/column_model.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vortel {

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
    bool cancelled = false;   // stopped by its progress callback; no message
};

// Told the share of the records compared so far, 0 to 100, after every
// block; returning false stops the search as if nothing had been found.
using search_progress = std::function<bool(int percent)>;

inline constexpr std::size_t search_text_max = 127;
inline constexpr const char* search_not_found_text = "Search string not found.";
inline constexpr const char* search_error_caption = "Error";

// The search over the grid's table. Current column: each record's cell as
// the grid shows it; all columns: the record after its delete flag. Without
// case sensitivity both sides are upper-cased, with the Hungarian letters of
// the settings when the table is in code page 852 and by the Windows-1250
// rules, which know the accented capitals of every language 1250 holds,
// otherwise. Found: the table stands on the found record. Not
// found or cancelled: it is back on the record where the search began.
search_result search_table(browse_object& browse, const search_request& request,
                           const search_progress& progress = {});

// Every record the search holds a match for, from the first record on in
// record order, deleted ones left out while the table's navigation hides
// them: the records a listing of the found records prints. The table stays
// on its record.
std::vector<std::int32_t> records_found(browse_object& browse, const search_request& request);

// The search on a table window's grid. A record found downwards keeps the
// screen row of the record that was current; one found upwards goes to the
// top row. A failed search leaves the grid as it was.
search_result search_grid(browse_object& browse, const search_request& request,
                          const search_progress& progress = {});

// The text the dialog starts with: the current cell as shown, trimmed.
std::string initial_search_text(browse_object& browse);

}  // namespace vortel
