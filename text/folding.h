// Accent folding for sort keys.
//
// Folding maps each accented vowel onto its base vowel and keeps its case, so
// that "Ábel" sorts with "Abel" while capitals still sort before small
// letters. Keys are folded in the table's own bytes: the ANSI table serves
// the Windows and ISO Latin code pages, the OEM table the DOS ones.
#pragma once

#include "platform/code_page.h"

#include <array>
#include <string_view>

namespace vortel {

using folding_table = std::array<unsigned char, 256>;

extern const folding_table ansi_folding_table;
// Code pages 437 and 850.
extern const folding_table oem_folding_table;
// Code page 852, whose "ő" folds to "o".
extern const folding_table hungarian_oem_folding_table;
// Leaves every byte as it is: for code pages whose accented letters lie
// elsewhere (866, 1251) or take several bytes (UTF-8, 936), whose keys
// compare by their bytes, in UTF-8 the order of the characters.
extern const folding_table identity_folding_table;

// The table for keys stored in `page`: the OEM ones for the DOS Latin pages
// (852, and 437 and 850, whose vowels lie where 437 has them), the ANSI one
// for the Windows and ISO Latin pages, whose vowels lie at the ISO 8859-1
// positions.
const folding_table& folding_for(code_page page);

// Compares two sort keys as NUL-terminated byte strings (a NUL inside a view
// ends that key), byte by byte as unsigned values. With `fold` every byte is
// folded first, through the 852 table when `oem_text` is set. Negative, 0 or
// positive, as a sorts before, with or after b.
int folded_key_comparison(std::string_view a, std::string_view b, bool oem_text, bool fold);

}  // namespace vortel
