#include "examples/sample_table.h"

#include "engine/dbf_format.h"
#include "engine/table.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace vortel {
namespace {

const std::string bundled = std::string(SAMPLE_DIR) + "/DOLGOZO.DBF";

TEST(sample_table, the_bundled_files_are_what_the_generator_writes)
{
    testing::scratch_dir dir;
    std::string fresh = dir.file("DOLGOZO.DBF");
    ASSERT_TRUE(write_sample_table(fresh));
    EXPECT_EQ(testing::read_file(fresh), testing::read_file(bundled)) << "run make_sample to refresh examples/";
    EXPECT_EQ(testing::read_file(dbt_file_name(fresh)), testing::read_file(dbt_file_name(bundled)));
}

// What the sample holds (its deleted records, memos of several blocks and
// accented names) an independent reader checks in the interop tests; here
// our own reader must take it as sound.
TEST(sample_table, reads_back_as_a_sound_table_with_deleted_records_and_memos)
{
    auto table = table_new(bundled);
    ASSERT_EQ(table_open(*table, 0), 1) << table->failure;  // refused unless its layout is sound
    EXPECT_EQ(table->header.version, dbf_version_with_memo);
    EXPECT_EQ(record_count(*table), sample_record_count);
    EXPECT_EQ(fh_size(table->dbf), record_offset(table->header, sample_record_count + 1)) << "no end-of-file mark";
    ASSERT_EQ(go_to_exactly(*table, sample_record_count), 1);
}

}  // namespace
}  // namespace vortel
