// Storing what the user typed into a field of the current record, as the
// cell editor does on Enter, and storing a memo text, as the memo dialog
// does on Save. Both write under the current record's lock.
#pragma once

#include "commands/record_commands.h"

#include <string>
#include <string_view>

namespace vortel {

inline constexpr const char* bad_date_text = "Bad date !";
inline constexpr const char* memo_write_error_text = "Memo write error !";

// `typed` is the cell's text as edited, in its shown form:
//  - numbers: blanks around, an optional sign, digits and one decimal sign,
//    "," or "." alike whatever SET_TIZEDESJEL says; nothing typed stores a
//    blank field;
//  - dates are read by the placeholders of SET_DATEFORMAT ("Bad date !" when
//    that gives no valid date); eight digits in the stored order are taken too;
//  - logicals and characters go to the field as typed.
// Then the field's rules of store_field_value apply. A value they refuse
// (a number that does not fit, two decimal signs, a logical "x") changes
// nothing, and the refusal, naming the field, is the message.
// A field of that name that does not exist, or is a memo field, is left
// alone without a message: memos go through store_memo_text.
command_result store_typed_value(table_object& table, std::string_view field_name, std::string_view typed);

// The memo text of a memo field of the current record; "" for other fields.
std::string memo_text(table_object& table, std::string_view field_name);

// Stores `text` as the memo of a memo field of the current record.
command_result store_memo_text(table_object& table, std::string_view field_name, std::string_view text);

}  // namespace vortel
