// A range of rows chosen in the grid, as spreadsheets choose them: Shift
// with the up and down keys or with a click extends it from the row where
// it began (its anchor) to the current row; a move without Shift ends it.
// Copying puts the range on the clipboard as tab-separated text under a
// header row, which spreadsheets paste as cells.
#pragma once

#include "grid/column_model.h"

#include <cstdint>
#include <string>

namespace vortel {

// Before a move with Shift: anchors the range at the current record unless
// a range runs already.
void extend_row_selection(browse_object& browse);
void clear_row_selection(browse_object& browse);
bool has_row_selection(const browse_object& browse);

// Whether `record` lies in the range, the current row's record as the last
// paint found it being its other end. For painting.
bool row_selected(const browse_object& browse, std::int32_t record);

// The range's records as the grid shows them: a header row of the columns'
// captions, then one line per record, values tab-separated and ended by
// "\n" (the deleted column left out, a memo column's text whole, blanks
// around a value dropped). A value holding a tab, a quote or a line break
// is quoted, its quotes doubled. Program text. The table is left on the
// current record.
std::string selected_rows_text(browse_object& browse);

}  // namespace vortel
