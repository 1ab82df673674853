// The "Columns" dialog of the table listing: one checkable row per grid
// column, every field checked to start with, and the deleted column (a
// "*" beside deleted records) too while deleted records are shown.
#pragma once

#include <string>

class QWidget;

namespace vortel {

struct browse_object;

// Shows the dialog modally. On OK every column's print_selected flag takes
// its row's check; OK with no field checked is refused with a message.
// Cancel, or closing the dialog, leaves the flags as they were.
// What else the dialog asks besides the columns: shown as given, set on OK.
struct print_choices {
    bool memo_texts = false;  // memo texts under their record
    // The text of the window's last search; empty when none was made, and
    // the dialog then does not offer to print only the records found.
    std::string search_text;
    bool found_only = false;
};

void choose_print_columns(QWidget* owner, browse_object& browse, print_choices& choices);

}  // namespace vortel
