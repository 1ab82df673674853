// The column callbacks of table windows: what each cell of the current
// record shows, and whether the cell may be edited in place.
#pragma once

#include "grid/column_model.h"

namespace vortel {

inline constexpr colour mark_text_colour = 0x00FF00;
inline constexpr colour cell_background = 0xFFFFFF;
inline constexpr colour deleted_text_colour = 0xAFAFAF;
inline constexpr colour numeric_text_colour = 0xFF0080;
inline constexpr colour date_text_colour = 0xDC8000;
inline constexpr colour logical_text_colour = 0xFF0000;
inline constexpr colour plain_text_colour = 0x000000;

inline constexpr const char* memo_cell_text = "<-MEMO->";
// A memo column of a table whose memo file is missing or unreadable.
inline constexpr const char* memo_unavailable_cell_text = "<no memo file>";

// The deleted column: "KUKA" for a deleted record, "INFO" for a live one.
cell_appearance deleted_mark_cell(const browse_object& browse);

// A field column (the asked column): the field's text of the current record
// through the column's picture, coloured by field type; grey when the record
// is deleted. Memo columns show a fixed mark whatever the memo holds, or
// that the memo file is missing.
cell_appearance field_cell(const browse_object& browse);

int always_editable(const browse_object& browse);
int never_editable(const browse_object& browse);
int always_accept(const browse_object& browse);

// Asks column `column` for the current record's cell, as painting does.
cell_appearance cell_of(browse_object& browse, int column);

}  // namespace vortel
