// The "Columns" dialog of the table listing: one checkable row per grid
// column, every field checked to start with, and the deleted column (a
// "*" beside deleted records) too while deleted records are shown.
#pragma once

class QWidget;

namespace vortel {

struct browse_object;

// Shows the dialog modally. On OK every column's print_selected flag takes
// its row's check; OK with no field checked is refused with a message.
// Cancel, or closing the dialog, leaves the flags as they were.
// `memo_texts` is the check box asking for memo texts under their record:
// shown as given, set on OK.
void choose_print_columns(QWidget* owner, browse_object& browse, bool& memo_texts);

}  // namespace vortel
