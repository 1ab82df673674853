// The start every table test shares: settings as shipped before and after
// each test, and a scratch folder holding the table under test.
#pragma once

#include "engine/tests/table_fixture.h"
#include "runtime/settings.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

namespace vortel::testing {

class table_test_base : public ::testing::Test {
protected:
    void SetUp() override { settings_restore_defaults(); }
    void TearDown() override { settings_restore_defaults(); }

    scratch_dir dir;
    std::string path = dir.file("T.DBF");
};

}  // namespace vortel::testing

namespace vortel {

// The table tests use the fixture's helpers by their short names.
using testing::fixture_record;
using testing::open_new_table;
using testing::open_table;
using testing::put_memos;
using testing::read_file;
using testing::record_of;
using testing::records_of;
using testing::stored_records;
using testing::write_file;
using testing::write_table;

}  // namespace vortel
