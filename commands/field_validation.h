// The structure dialog's rules for field definitions, in one place for the
// dialog and for `vortel-cli create` and `modify`.
#pragma once

#include "engine/field_list_entry.h"

#include <string>
#include <string_view>
#include <vector>

namespace vortel {

// Tables hold at most this many fields: counts beyond it, and the record
// lengths they allow, do not fit what dBase III readers expect.
inline constexpr std::size_t field_count_max = 127;

struct field_check {
    std::string message;     // "" when the field is accepted
    field_list_entry field;  // the normalised field, when accepted
};

// One field as typed in the dialog: the name (upper-cased here; 1 to 10 of
// "A"-"Z", "0"-"9", "_", not starting with a digit), the type letter, and
// the length and decimals edits (up to 3 digits and 1 digit; empty reads as
// 0). Messages: "Empty field name!", "Bad field name!", and for what the
// dialog's controls cannot produce "Bad field type!", "Bad field length!",
// "Bad decimals!". The length is then fitted to the type: N at most 19, C
// at most 255, D 8, L 1, M 10; only N keeps its decimals. Lengths of 0 and
// decimals that do not fit the length are the user's choice.
field_check check_field(std::string_view name, char type, std::string_view length, std::string_view decimals);

// The command-line form NAME:TYPE[:LEN[:DEC]], TYPE a letter C, N, D, L, M
// or a type name ("Numeric"); LEN and DEC default to the dialog's initial
// "10" and "0". Unlike the dialog it keeps character lengths past 255, up to
// 65535, as tables of other programs hold them. "Bad field definition!" when
// the form itself is wrong.
field_check parse_field_definition(std::string_view text);

// The dialog's Append: adds `field` at the end unless the list has a field
// of that name (letter case ignored); false then. Modify: rewrites the field
// of that name; false when there is none.
bool append_field(std::vector<field_list_entry>& fields, const field_list_entry& field);
bool modify_field(std::vector<field_list_entry>& fields, const field_list_entry& field);

struct field_list_check {
    std::string message;  // "" when every definition is accepted
    std::vector<field_list_entry> fields;
};

// Definitions in the command-line form, in order; a name given twice is
// "Duplicate field name!" (the dialog's Append would ignore it silently).
field_list_check parse_field_list(const std::vector<std::string>& definitions);

// What Create and Modify check before anything is written: "Empty
// filename!", then "Empty table!", then "Too many fields!", then for a table
// with memo fields a name whose memo file would be the table itself
// (memo_name_refusal: "X.DAT" has the memo file name "X.DAT"); "" when the
// definition may be created. The dialog asks about overwriting an existing
// file after this.
std::string check_table_definition(std::string_view file_name, const std::vector<field_list_entry>& fields);

}  // namespace vortel
