// Which member of the dBase family wrote a table, told by its version byte,
// and what that means for reading it: where the field descriptors lie and
// how long each is, which memo file goes with it and how its memos are laid
// out, and how fields that are not stored as text are to be read.
//
// Only plain dBase III tables (0x03, 0x83, with fields of types C, N, F, D,
// L and M) are ever changed. Every other table is shown read-only, its
// reason saying what it is, so that no edit can overwrite a layout this
// program reads but does not write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vortel {

enum class table_family { dbase3, dbase4, dbase7, foxpro, foxbase };

enum class memo_layout {
    none,
    dbt3,  // blocks of 512 bytes, texts ended by 0x1A
    dbt4,  // block size in the header; each memo FF FF 08 00 + its length
    fpt,   // big-endian block size in the header; each memo its type and length
};

struct table_dialect {
    std::uint8_t version = 0x03;
    table_family family = table_family::dbase3;
    memo_layout memo = memo_layout::none;
    // Fields some of which are not stored as text: read through
    // engine/field_decode.h, never edited.
    bool decoded = false;
};

// The dialect a version byte names; none for a byte no family uses.
std::optional<table_dialect> dialect_of_version(std::uint8_t version);

// Where the field descriptors start and how many bytes each takes.
int descriptor_start(const table_dialect& dialect);
int descriptor_stride(const table_dialect& dialect);

// "a dBase IV table (version 0x8B)", as the read-only reason names it.
std::string dialect_description(const table_dialect& dialect);

// Whether plain dBase III knows a field type: C, N, F, D, L and M.
bool is_dbase3_type(char type);

// The memo file of table file `dbf_file_name` in this layout: "X.FPT" for
// the FoxPro family, "X.DBT" otherwise, in the case of the table's name.
std::string memo_file_name(const table_dialect& dialect, const std::string& dbf_file_name);

}  // namespace vortel
