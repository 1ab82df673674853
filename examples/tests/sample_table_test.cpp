#include "examples/sample_table.h"

#include "engine/dbf_format.h"
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
    file_handle table(bundled, 512);
    ASSERT_EQ(fh_open(table, access_read, share_read | share_write, file_creation::open_existing), 1);
    dbf_header header;
    ASSERT_TRUE(read_dbf_header(table, header));
    EXPECT_EQ(header.version, dbf_version_with_memo);
    EXPECT_EQ(header.record_count, sample_record_count);
    std::vector<field_descriptor> fields;
    ASSERT_TRUE(read_field_descriptors(table, field_count_for_header_length(header.header_length), fields));
    ASSERT_EQ(dbf_layout_problem(header, fields, fh_size(table)), "");
    EXPECT_EQ(fh_size(table), record_offset(header, sample_record_count + 1)) << "no end-of-file mark";

    file_handle memo(dbt_file_name(bundled), 512);
    ASSERT_EQ(fh_open(memo, access_read, share_read | share_write, file_creation::open_existing), 1);
    dbt_header memo_header;
    ASSERT_TRUE(read_dbt_header(memo, memo_header));

    int deleted = 0, memos = 0, long_memos = 0;
    std::string all_text;
    std::vector<std::uint8_t> record(header.record_length);
    const int memo_offset = header.record_length - 10;
    for (int number = 1; number <= header.record_count; ++number) {
        ASSERT_TRUE(read_record_bytes(table, header, number, record));
        deleted += record[0] == dbf_deleted_mark;
        std::string block_text(reinterpret_cast<const char*>(&record[static_cast<std::size_t>(memo_offset)]), 10);
        all_text.append(reinterpret_cast<const char*>(record.data()), record.size());
        if (block_text == std::string(10, ' ')) continue;
        std::int64_t block = std::stoll(block_text);
        ASSERT_GE(block, 2);
        ASSERT_LT(block, memo_header.next_free_block);
        std::string text = read_memo_text(memo, block, 64000);
        ASSERT_FALSE(text.empty());
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
