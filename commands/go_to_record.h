// Making a record current by its number, as the Go to dialog does.
#pragma once

#include "grid/column_model.h"

#include <string>
#include <string_view>

namespace vortel {

inline constexpr const char* out_of_range_text = "Out of range.";
inline constexpr std::size_t go_to_text_max = 31;

struct go_to_result {
    bool moved = false;
    std::string message;  // for the warning box; empty: nothing to show
};

// `typed` is read as a decimal number (at most go_to_text_max characters).
// A number of 0 or less does nothing. A record near the top of the table
// goes to the screen row of its own number, so that record 1 stands in the
// top row; any other keeps the current screen row.
go_to_result go_to_record(browse_object& browse, std::string_view typed);

}  // namespace vortel
