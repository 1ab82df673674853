#include "examples/sample_table.h"

#include "engine/dbf_format.h"
#include "engine/table.h"
#include "platform/codepage.h"
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

TEST(sample_table, reads_back_as_a_sound_table_with_deleted_records_and_memos)
{
    auto table = table_new(bundled);
    ASSERT_EQ(table_open(*table, 0), 1) << table->failure;  // refused unless its layout is sound
    EXPECT_EQ(table->header.version, dbf_version_with_memo);
    EXPECT_EQ(record_count(*table), sample_record_count);
    EXPECT_EQ(fh_size(table->dbf), record_offset(table->header, sample_record_count + 1)) << "no end-of-file mark";

    table->texts_as_stored = 1;
    const int memo_field = field_count(*table) - 1;
    int deleted = 0, memos = 0, long_memos = 0;
    std::string all_text;
    for (std::int32_t number = 1; number <= sample_record_count; ++number) {
        go_to(*table, number);
        ASSERT_EQ(current_record(*table), number);
        deleted += is_deleted(*table);
        all_text += record_text(*table);
        if (field_text(*table, memo_field) == std::string(10, ' ')) continue;
        const std::string text = memo_read(*table, field_text(*table, memo_field));
        ASSERT_FALSE(text.empty()) << "record " << number << " points at no memo";
        ++memos;
        long_memos += text.size() > 511;
    }
    EXPECT_EQ(deleted, 6);
    EXPECT_GT(memos, 20);
    EXPECT_GT(long_memos, 0) << "some memos must span several blocks";

    oem_to_ansi(all_text);
    for (const char* letter : {"\xE1", "\xE9", "\xF5", "\xFB", "\xD5", "\xC1", "\xDC"}) {
        EXPECT_NE(all_text.find(letter), std::string::npos) << "Hungarian letter missing: " << ansi_to_utf8(letter);
    }
}

}  // namespace
}  // namespace vortel
