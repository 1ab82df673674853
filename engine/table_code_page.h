// Which code page a table's texts are stored in, and how that was found.
//
// A table says it, from the strongest word to the weakest:
//  1. a .cpg file beside it (PD.DBF with PD.CPG, any letter case), as
//     shapefile programs write: "1250", "ANSI 1250", "UTF-8" ...;
//  2. its language driver byte (header byte 29), as dBase programs write;
//  3. its text itself, judged from the character fields of its first
//     records (platform/code_page_guess.h);
//  4. otherwise SET_OEMTOANSI: "1" (the default) 852, "0" 1250, as tables
//     were always read here.
// A code page the user chose overrides all four, and opening the table
// again keeps it.
#pragma once

#include "platform/code_page.h"

#include <cstdint>
#include <string>

namespace vortel {

struct table_object;

enum class code_page_origin { setting, guessed, language_byte, cpg_file, chosen };

struct table_code_page {
    code_page page = code_page::cp852;
    code_page_origin origin = code_page_origin::setting;
    std::uint8_t language_byte = 0;  // the byte, when it decided
    std::string cpg_file;            // the file's name as found, when it decided
};

// The code page SET_OEMTOANSI gives.
table_code_page setting_code_page();

// The code page in use with how it was found, for the user: "852 (from
// byte 29 = 0x64)", "1250 (from PD.CPG)", "852 (guessed from the text)",
// "852 (setting SET_OEMTOANSI)", "1250 (chosen)".
std::string code_page_description(const table_code_page& code);

// Steps 1-4 for an open table; reads the .cpg file and a bounded sample of
// the first records without moving the table.
table_code_page detect_code_page(table_object& table);

// The user's choice: texts are read and written in `page` from now on, and
// table_open keeps it.
void choose_code_page(table_object& table, code_page page);

// Header byte 29 as a table in `code` should carry it: `current` when it
// already names that code page (so 0x22 stays 0x22), otherwise the page's
// own byte, 0 where the page has none.
std::uint8_t language_byte_for(const table_code_page& code, std::uint8_t current);

// Where byte 29 of the header lies.
inline constexpr std::size_t language_byte_offset = 29;

}  // namespace vortel
