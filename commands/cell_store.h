// Storing what the user typed into a field of a record, as the cell editor
// does on Enter, and storing a memo text, as the memo dialog does on Save.
// Both write under the record's lock.
//
// Both name the record and the field the user saw when the editor opened:
// the table may stand elsewhere by the time the user is done (a repaint
// moves it, and passes over a record another process deleted meanwhile),
// and a table may hold two fields of one name. The table is moved onto
// exactly that record, never past it, and the field is its index.
#pragma once

#include "commands/record_commands.h"

#include <cstdint>
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
//    a text without digits stores a blank date;
//  - logicals and characters go to the field as typed.
// Then the field's rules of store_field_value apply. A value they refuse
// (a number that does not fit, two decimal signs, a logical "x") changes
// nothing, and the refusal, naming the field, is the message.
// A field index the table does not have, or a memo field, is left alone
// without a message: memos go through store_memo_text. A read-only table
// refuses with its reason. A record that cannot be reached is refused as a
// busy one; record 0 (an empty table's) is left alone without a message.
// A field whose current text Windows-1250 cannot show whole (some of its
// characters read as '?') is refused with edit_refusal's message.
command_result store_typed_value(table_object& table, std::int32_t record, int field, std::string_view typed);

// Why field `field` of the current record may not be edited: its text holds
// characters that show as '?', which storing the shown text back would
// lose. "" when it may.
std::string edit_refusal(table_object& table, int field);

// The memo text of a memo field of the current record; "" for other fields.
std::string memo_text(table_object& table, int field);

// Why the memo of a memo field cannot be shown at all ("The memo cannot be
// shown: the memo file PD.DBT is missing"); "" when it can, or for other
// fields.
std::string memo_unavailable_text(const table_object& table, int field);

// Stores `text` as the memo of a memo field of `record`; refused as
// store_typed_value refuses a field whose memo does not show whole, and
// with the character when the table's code page cannot hold one of `text`.
command_result store_memo_text(table_object& table, std::int32_t record, int field, std::string_view text);

}  // namespace vortel
