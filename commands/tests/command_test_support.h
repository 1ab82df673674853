// What the tests of the commands and of vortel-cli share beside the table
// fixture: a field as another reader finds it in the file, a second process
// that holds a lock until the test lets it go, and fixtures that start and
// end with the default settings.
#pragma once

#include "commands/cell_store.h"
#include "engine/dbf_format.h"
#include "engine/table.h"
#include "engine/tests/table_fixture.h"
#include "testing/child_process.h"
#include "testing/scratch_dir.h"
#include "text/tests/default_settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vortel::testing {

// Field `field` of record `number` as another reader finds it in the file:
// a memo field's text, and for field -1 the delete mark ("*" or " ").
inline std::string stored_field(const std::string& path, std::int32_t number, int field)
{
    auto reader = table_new(path);
    if (table_open(*reader) != 1 || go_to_exactly(*reader, number) != 1) return "<cannot read>";
    if (field < 0) return is_deleted(*reader) ? "*" : " ";
    return field_type(*reader, field) == 'M' ? memo_text(*reader, field) : field_text(*reader, field);
}

// The bytes of a table's file and of its memo file, to tell that nothing changed.
inline std::string table_bytes(const std::string& path) { return read_file(path) + read_file(dbt_file_name(path)); }

// A second process that holds what `arguments` ask (a file, a record's lock)
// once it said "ready", until the object goes.
inline std::unique_ptr<background_program> holding(const std::string& program, const std::vector<std::string>& arguments)
{
    auto holder = std::make_unique<background_program>(program, arguments);
    EXPECT_EQ(holder->read_line(), "ready") << program;
    return holder;
}

}  // namespace vortel::testing
