// A grid showing only the records a filter kept (engine/record_set.h).
//
// The filter is the table's navigation filter: every move, paint, search
// and export of the window passes what it leaves out. The set is computed
// once, so a record edited since stays shown until the filter runs again;
// records this window appends join a copy of the set, while records other
// processes append stay outside it.
#pragma once

#include "engine/record_set.h"

#include <cstdint>
#include <memory>

namespace vortel {

struct browse_object;

// What an empty grid says while its filter keeps no record it may show.
inline constexpr const char* no_record_matches_text = "No record matches the filter";

// Installs `filter` (null: the whole table again) and shows its first
// record on the top row; a range of chosen rows is let go. While deleted
// records are hidden, the deleted members leave the set first.
void set_grid_filter(browse_object& browse, std::shared_ptr<const record_set> filter);
bool grid_filtered(const browse_object& browse);

// Records `first` to `last`, appended by this window, stay shown.
void keep_appended_records(browse_object& browse, std::int32_t first, std::int32_t last);

// How many records the scroll bar spans: the filter's members while one is
// set, else the records of the table.
std::int32_t scrolled_records(browse_object& browse);

// Whether the grid has no record to show while filtered: the table then
// stands on a record the filter hides, which no command may act on.
bool filter_shows_nothing(const browse_object& browse);

}  // namespace vortel
