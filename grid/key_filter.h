// The cell editor's typing rules, without an edit control: each typed
// character is accepted (the edit control inserts it), refused, or turns
// into a rewritten text (date columns, whose digits are laid out afresh).
#pragma once

#include <string>
#include <string_view>

namespace vortel {

inline constexpr char key_backspace = 8;
inline constexpr char key_line_feed = 10;
inline constexpr char key_carriage_return = 13;

// The editor's text and selection; caret == anchor for no selection.
struct edit_state {
    std::string text;
    int selection_start = 0;
    int selection_end = 0;  // the caret when nothing is selected
};

enum class key_verdict { accept, refuse, rewritten };

struct key_filter_result {
    key_verdict verdict = key_verdict::accept;
    edit_state state;  // with rewritten: the new text, the caret as an empty selection
};

// The filter by the column's picture and type letter:
//  - backspace, carriage return and line feed always pass;
//  - numbers take digits, "-", ".", "," and the decimal sign;
//  - dates take digits only, re-laid through "@D" with the caret moved past
//    the digit (and past a separator that appears);
//  - logicals take T, F, Y, N (either case) and "?" in the first position only;
//  - every other column takes everything (the edit length limits it).
key_filter_result filter_key(const edit_state& state, char c, std::string_view picture, char type);

// A whole typed character as the editor handles it: the filter, then what
// the edit control does with an accepted one (backspace deletes, others
// replace the selection unless the text would exceed edit_length).
// Returns false when the text is unchanged.
bool type_character(edit_state& state, char c, std::string_view picture, char type, int edit_length);

// Pasted text, typed character by character into the selection. It ends
// at its first line break (a copied cell often brings one). A date takes
// the digits and leaves out its separators, which the filter lays out
// itself. A character the filter refuses, a control character, or a text
// longer than the edit length refuses the whole paste: false, the state
// unchanged.
bool paste_text(edit_state& state, std::string_view text, std::string_view picture, char type, int edit_length);

}  // namespace vortel
