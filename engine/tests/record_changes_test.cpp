#include "engine/table.h"

#include "engine/tests/table_test_base.h"
#include "testing/child_process.h"

namespace vortel {
namespace {

using testing::background_program;
using testing::run_program;

const std::vector<field_list_entry> fields = {{"KEY", 'C', 12, 0}, {"NOTES", 'M', 10, 0}};

class record_changes_test : public testing::table_test_base {
protected:
    void SetUp() override
    {
        table_test_base::SetUp();
        testing::write_table(path, fields, testing::records_of(fields, {{"R1"}, {"R2"}, {"R3"}}));
    }

    std::unique_ptr<table_object> open_table() { return testing::open_table(path); }

    int probe(std::initializer_list<std::string> arguments) { return run_program(TABLE_PROBE, arguments); }
};


TEST_F(record_changes_test, locks_coexist_or_exclude_across_processes_and_changes_are_written_only_under_them)
{
    auto table = open_table();
    go_to(*table, 2);
    ASSERT_EQ(lock_record(*table), 1);
    EXPECT_EQ(probe({"lock-record", path, "2"}), 3);
    EXPECT_EQ(probe({"lock-record", path, "3"}), 0);
    EXPECT_EQ(probe({"lock-table", path}), 3);
    unlock(*table);
    EXPECT_EQ(probe({"lock-table", path}), 0);

    background_program holder(TABLE_PROBE, {"hold-table", path});
    ASSERT_EQ(holder.read_line(), "ready");
    go_to(*table, 3);
    EXPECT_EQ(lock_record(*table), 0);
    EXPECT_EQ(lock_table(*table), 0);
    auto second = open_table();
    EXPECT_EQ(lock_record(*second), 0) << "another handle in this process is refused too";
    ASSERT_EQ(holder.finish(), 0);
    EXPECT_EQ(lock_record(*table), 1);

    // One lock at a time, and a record is written only under a lock that
    // covers it.
    unlock(*table);
    go_top(*table);
    ASSERT_EQ(lock_record(*table), 1);
    EXPECT_EQ(lock_record(*table), 0) << "one lock at a time per table object";
    EXPECT_EQ(lock_table(*table), 0);
    unlock(*table);
    ASSERT_EQ(lock_table(*table), 1);
    EXPECT_EQ(lock_record(*table), 0);
    unlock(*table);

    set_field_text(*table, 0, "changed");
    EXPECT_EQ(write_record(*table), 0) << "no lock";
    ASSERT_EQ(lock_record(*table), 1);
    skip(*table, 1);
    set_field_text(*table, 0, "changed");
    EXPECT_EQ(write_record(*table), 0) << "the lock covers record 1, not 2";
    unlock(*table);
    go_top(*table);
    EXPECT_EQ(field_text(*table, 0), "R1          ");

    ASSERT_EQ(lock_table(*table), 1);
    go_to(*table, 3);
    set_field_text(*table, 0, "three");
    EXPECT_EQ(write_record(*table), 1);
    unlock(*table);
    auto other = open_table();
    go_to(*other, 3);
    EXPECT_EQ(field_text(*other, 0), "three       ");

    // Delete and recall change only what needs changing.
    go_to(*table, 2);
    ASSERT_EQ(lock_record(*table), 1);
    EXPECT_EQ(recall_record(*table), 0) << "not deleted";
    EXPECT_EQ(delete_record(*table), 1);
    EXPECT_EQ(delete_record(*table), 0) << "already deleted";
    unlock(*table);
    go_to(*other, 2);
    EXPECT_EQ(is_deleted(*other), 1);

    EXPECT_EQ(recall_record(*table), 0) << "no lock: nothing written";
    EXPECT_EQ(is_deleted(*table), 1) << "and the record is read again";
    ASSERT_EQ(lock_record(*table), 1);
    EXPECT_EQ(recall_record(*table), 1);
    unlock(*table);
    go_to(*other, 2);
    EXPECT_EQ(is_deleted(*other), 0);
}

// Other programs end their tables with an end-of-file mark; the new record
// goes where the mark was, after the last record or as record one.
TEST_F(record_changes_test, append_needs_the_table_lock_and_a_sound_count_and_lands_after_the_last_record)
{
    for (const std::int32_t existing : {3, 0}) {
        SCOPED_TRACE(existing);
        write_table(path, fields, std::vector<fixture_record>(std::size_t(existing), {record_of(fields, {"R"})}));
        auto table = open_table();
        const std::string before = read_file(path);
        EXPECT_EQ(append_blank(*table), 0);
        EXPECT_EQ(read_file(path), before);

        write_file(path, before + "\x1A");
        ASSERT_EQ(lock_table(*table), 1);
        ASSERT_EQ(append_blank(*table), 1);
        unlock(*table);
        EXPECT_EQ(record_count(*table), existing + 1);
        EXPECT_EQ(current_record(*table), existing + 1);
        EXPECT_EQ(at_eof(*table) + at_bof(*table), 0);
        EXPECT_EQ(field_text(*table, 0), std::string(12, ' '));
        const std::string after = read_file(path);
        EXPECT_EQ(after.substr(before.size()), std::string(static_cast<std::size_t>(record_length(*table)), ' '));
    }

    // A damaged count, past the records the file holds or at its largest,
    // takes no new record, and the file stays as it was.
    for (const char* count : {"\xE8\x03\x00\x00", "\xFF\xFF\xFF\x7F"}) {  // 1000, 2^31 - 1
        const std::string bytes = testing::patch_file(path, 4, std::string(count, 4));
        auto table = open_table();
        ASSERT_EQ(lock_table(*table), 1);
        EXPECT_EQ(append_blank(*table), 0);
        unlock(*table);
        EXPECT_EQ(testing::read_file(path), bytes);
    }
}

}  // namespace
}  // namespace vortel
