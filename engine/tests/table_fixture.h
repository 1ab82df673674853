// Tables for tests, written straight through the file format so that tests
// of one operation do not depend on another (create_table, append_blank).
#pragma once

#include "engine/field_list_entry.h"
#include "engine/table.h"

#include <memory>

#include <set>
#include <string>
#include <vector>

namespace vortel::testing {

struct fixture_record {
    std::string fields;    // the record's bytes after the delete flag, as stored
    bool deleted = false;
};

// Writes a table with these fields and records; with a memo field, also an
// empty memo file (next free block 1). Records must match the fields'
// total length. Throws when a file cannot be written.
void write_table(const std::string& path, const std::vector<field_list_entry>& fields,
                 const std::vector<fixture_record>& records);

// Every record of a table as "FIELD|FIELD|...", memo fields as their texts,
// "*" in front of deleted records; {"cannot open"} when it does not open.
std::vector<std::string> table_rows(const std::string& path);

// The names of the files in a folder.
std::set<std::string> files_in(const std::string& folder);

// A record's stored bytes from per-field texts, each padded with blanks (or
// cut) to its field's length.
std::string record_of(const std::vector<field_list_entry>& fields, const std::vector<std::string>& values);

// Live records from per-field texts, one record per entry (as record_of).
std::vector<fixture_record> records_of(const std::vector<field_list_entry>& fields,
                                       const std::vector<std::vector<std::string>>& values);

// The table opened (read-only for writable 0) with the navigation given;
// throws, failing the test, when it does not open.
std::unique_ptr<table_object> open_table(const std::string& path, int writable = 1, navigation_options navigation = {});

// Opened with its deleted records hidden from moves.
inline const navigation_options hiding_deleted{.hide_deleted = true, .filter = nullptr};

// write_table, then open_table.
std::unique_ptr<table_object> open_new_table(const std::string& path, const std::vector<field_list_entry>& fields,
                                             const std::vector<fixture_record>& records,
                                             navigation_options navigation = {});

// Stores memos[i] as record i + 1's memo in field `field` under the table
// lock ("" stores nothing); throws when a store fails.
void put_memos(table_object& table, int field, const std::vector<std::string>& memos);

// A table's records as stored, each with its delete flag.
std::vector<std::string> stored_records(const std::string& path);

// A field descriptor holding only a type and bytes 16 and 17 (the length
// and, by type, the decimals or the length's high byte).
field_descriptor raw_descriptor(char type, std::size_t byte16, int byte17);

// Writes `bytes` over a file's bytes from `offset` on, first growing the
// file with zero bytes to reach it; gives the file's new contents.
std::string patch_file(const std::string& path, std::size_t offset, const std::string& bytes);

// Each stored record's text up to its first blank or zero byte.
std::vector<std::string> leading_words(const std::string& path);

}  // namespace vortel::testing
