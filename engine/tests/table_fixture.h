// Tables for tests, written straight through the file format so that tests
// of one operation do not depend on another (create_table, append_blank).
#pragma once

#include "engine/field_list_entry.h"

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

// A record's stored bytes from per-field texts, each padded with blanks (or
// cut) to its field's length.
std::string record_of(const std::vector<field_list_entry>& fields, const std::vector<std::string>& values);

}  // namespace vortel::testing
