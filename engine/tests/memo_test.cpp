#include "engine/append_from.h"
#include "engine/export.h"
#include "engine/table.h"

#include "engine/tests/table_test_base.h"
#include "platform/file_ops.h"
#include "platform/read_only_medium.h"
#include "testing/child_process.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>

namespace vortel {
namespace {

using testing::background_program;
using testing::run_program;

// The table of the memo and record change tests.
const std::vector<field_list_entry> fields = {{"KEY", 'C', 12, 0}, {"NOTES", 'M', 10, 0}};

class memo_test : public testing::table_test_base {
protected:
    void SetUp() override
    {
        table_test_base::SetUp();
        table = testing::open_new_table(path, fields, testing::records_of(fields, {{"A"}, {"B"}}));
    }

    // Stores `text` as record `number`'s memo under a record lock.
    int store(std::int32_t number, const std::string& text)
    {
        go_to(*table, number);
        EXPECT_EQ(lock_record(*table), 1);
        int result = memo_write(*table, 1, text);
        unlock(*table);
        return result;
    }

    std::string memo_of(std::int32_t number)
    {
        go_to(*table, number);
        return memo_read(*table, field_text(*table, 1));
    }

    std::string memo_file() { return testing::read_file(dbt_file_name(path)); }

    std::int32_t next_free_block()
    {
        dbt_header header;
        EXPECT_TRUE(read_dbt_header(table->dbt, header));
        return header.next_free_block;
    }

    // Writes a damaged or foreign next free block into the memo header.
    void set_next_free_block(std::int32_t block)
    {
        dbt_header header;
        ASSERT_TRUE(read_dbt_header(table->dbt, header));
        header.next_free_block = block;
        ASSERT_TRUE(write_dbt_header(table->dbt, header));
    }

    std::unique_ptr<table_object> table;
};

TEST_F(memo_test, the_first_memo_goes_to_block_two_in_code_page_852_and_memos_of_any_length_follow)
{
    ASSERT_EQ(store(1, "\xE1rv\xEDzt\xFBr\xF5"), 1);  // árvíztűrő in Windows-1250
    go_to(*table, 1);
    EXPECT_EQ(field_text(*table, 1), "         2");
    EXPECT_EQ(next_free_block(), 3);
    const std::string bytes = memo_file();
    ASSERT_EQ(bytes.size(), 1024u + 11u) << "the last block is not filled";
    EXPECT_EQ(bytes.substr(1024), "\xA0rv\xA1zt\xFBr\x8B\x1A\x1A");
    EXPECT_EQ(bytes.substr(512, 512), std::string(512, '\0')) << "block 1 never holds a memo";
    EXPECT_EQ(memo_of(1), "\xE1rv\xEDzt\xFBr\xF5");

    // An empty memo is its two end marks.
    ASSERT_EQ(store(2, ""), 1);
    EXPECT_EQ(memo_of(2), "");
    EXPECT_EQ(memo_file().substr(3 * 512), "\x1A\x1A");

    std::string long_text;
    for (int i = 0; long_text.size() < 70000; ++i) long_text += std::to_string(i) + " ";
    ASSERT_EQ(store(2, long_text), 1);
    EXPECT_EQ(memo_of(2), long_text) << "memos are read whole, whatever their length";

    EXPECT_EQ(memo_read(*table, "         0"), "") << "no memo";
    EXPECT_EQ(memo_read(*table, "    999999"), "") << "past the end of the file";
    EXPECT_EQ(memo_write(*table, 7, "x"), 0) << "no such field";
}

TEST_F(memo_test, short_texts_overwrite_their_block_long_ones_take_new_blocks_and_none_is_stored_without_a_lock)
{
    ASSERT_EQ(store(1, std::string(600, 'x')), 1);  // blocks 2 and 3
    ASSERT_EQ(store(2, "first"), 1);                // block 4
    EXPECT_EQ(next_free_block(), 5);

    ASSERT_EQ(store(2, std::string(300, 'y')), 1);
    EXPECT_EQ(next_free_block(), 5) << "in place: the header does not change";
    EXPECT_EQ(memo_of(2), std::string(300, 'y'));

    ASSERT_EQ(store(2, std::string(511, 'z')), 1);
    go_to(*table, 2);
    EXPECT_EQ(field_text(*table, 1), "         5");
    EXPECT_EQ(next_free_block(), 7) << "511 characters and the end mark need two blocks";
    EXPECT_EQ(memo_of(2), std::string(511, 'z'));
    EXPECT_EQ(memo_of(1), std::string(600, 'x')) << "neighbours untouched";

    const std::string before = memo_file();
    EXPECT_EQ(memo_write(*table, 1, std::string(800, 'n')), 0) << "no lock";
    EXPECT_EQ(memo_file(), before);
    EXPECT_EQ(memo_of(1), std::string(600, 'x'));
}

// A next free block inside another memo is stale; one past the end of the
// memo file, in its header or in a field, is damage: a memo written there
// would grow the file to a terabyte. The new memo goes to the real end, and
// the header is corrected.
TEST_F(memo_test, stale_or_damaged_block_numbers_never_let_a_memo_overwrite_another_or_land_past_the_end)
{
    // `first`: record 1's memo, from block 2 to the file's end; `next_free`: 0 leaves it as it is;
    // `field`: record 2's memo field before the store, "" as it is.
    const struct { const char* damage; std::string first; std::int32_t next_free; const char* field; } cases[] = {
        {"stale next free block inside a memo", std::string(2000, 'a'), 3, ""},
        {"forged next free block", "first", 0x7ffffff0, ""},
        {"field past the end", "first", 0, " 999999999"},
        {"both past the end", "first", 0x7ffffff0, "2147483000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        table = testing::open_new_table(path, fields, testing::records_of(fields, {{"A"}, {"B", c.field}}));
        ASSERT_EQ(store(1, c.first), 1);
        if (c.next_free != 0) set_next_free_block(c.next_free);
        ASSERT_EQ(store(2, "second"), 1);
        const auto end = static_cast<std::int32_t>(2 + memo_block_count(static_cast<std::int64_t>(c.first.size())));
        go_to(*table, 2);
        EXPECT_EQ(std::stoi(field_text(*table, 1)), end);
        EXPECT_EQ(next_free_block(), end + 1);
        EXPECT_EQ(memo_file().size(), std::size_t(end) * 512 + 8);  // "second" and two end marks
        EXPECT_EQ(memo_of(1), c.first);
        EXPECT_EQ(memo_of(2), "second");
    }

    // Damaged tables may give a memo field fewer than the ten places of a
    // block number: the number takes the field's width, or the store fails.
    for (const int width : {6, 1}) {
        const std::vector<field_list_entry> narrow = {{"KEY", 'C', 4, 0}, {"NOTES", 'M', width, 0}};
        const std::string narrow_path = dir.file("NARROW.DBF");
        write_table(narrow_path, narrow, records_of(narrow, {{"A"}}));
        testing::patch_file(dbt_file_name(narrow_path), 12 * 512 - 1, std::string(1, '\0'));  // eleven blocks in use
        testing::patch_file(dbt_file_name(narrow_path), 0, "\x0C");                          // the next free block
        auto narrow_table = open_table(narrow_path);
        go_to(*narrow_table, 1);
        ASSERT_EQ(lock_record(*narrow_table), 1);
        const std::string before = read_file(narrow_path);
        EXPECT_EQ(memo_write(*narrow_table, 1, "kept whole"), width == 6 ? 1 : 0);
        EXPECT_EQ(field_text(*narrow_table, 1), width == 6 ? "    12" : " ");
        EXPECT_EQ(memo_read(*narrow_table, field_text(*narrow_table, 1)), width == 6 ? "kept whole" : "");
        EXPECT_TRUE(width == 6 || read_file(narrow_path) == before) << "a refused store writes nothing";
        unlock(*narrow_table);
    }
}

// Four processes append at once, then four store memos at once: no record
// and no memo block lands on another's.
TEST_F(memo_test, processes_appending_and_storing_memos_at_once_never_overwrite_each_other)
{
    constexpr int processes = 4, records_each = 40;
    for (const std::string command : {"append", "memos"}) {
        std::vector<std::unique_ptr<testing::background_program>> programs;
        for (int p = 0; p < processes; ++p) {
            std::vector<std::string> arguments = {command, path, "P" + std::to_string(p)};
            if (command == "append") arguments.insert(arguments.begin() + 2, std::to_string(records_each));
            programs.push_back(std::make_unique<testing::background_program>(TABLE_PROBE, arguments));
        }
        for (auto& program : programs) ASSERT_EQ(program->finish(), 0) << command;
    }
    const std::int32_t count = record_count(*table);
    ASSERT_EQ(count, 2 + processes * records_each) << "the others' records are seen by a table opened before";
    go_bottom(*table);
    EXPECT_EQ(current_record(*table), count);
    EXPECT_EQ(fh_size(table->dbf), table->header.header_length + std::int64_t{count} * record_length(*table));
    std::set<std::string> keys;
    std::vector<std::pair<long, long>> extents;
    for (std::int32_t number = 3; number <= count; ++number) {
        go_to(*table, number);
        const std::string key = field_text(*table, 0);
        keys.insert(key);
        const std::string text = memo_read(*table, field_text(*table, 1));
        std::string expected;
        while (expected.size() < 1300) expected += key + ";";
        EXPECT_EQ(text, expected) << "record " << number;
        const long block = std::stol(field_text(*table, 1));
        extents.emplace_back(block, block + static_cast<long>(memo_block_count(static_cast<std::int64_t>(text.size()))));
    }
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(processes * records_each)) << "no record written over another";
    std::sort(extents.begin(), extents.end());
    for (std::size_t i = 1; i < extents.size(); ++i) {
        EXPECT_LE(extents[i - 1].second, extents[i].first) << "memos overlap at block " << extents[i].first;
    }
}

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

    ASSERT_TRUE(set_field_text(*table, 0, "changed"));
    EXPECT_EQ(write_record(*table), 0) << "no lock";
    ASSERT_EQ(lock_record(*table), 1);
    skip(*table, 1);
    ASSERT_TRUE(set_field_text(*table, 0, "changed"));
    EXPECT_EQ(write_record(*table), 0) << "the lock covers record 1, not 2";
    unlock(*table);
    go_top(*table);
    EXPECT_EQ(field_text(*table, 0), "R1          ");

    ASSERT_EQ(lock_table(*table), 1);
    go_to(*table, 3);
    ASSERT_TRUE(set_field_text(*table, 0, "three"));
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

// Read-only tables: every way a table comes to be one, what it still does,
// and that no change reaches its files.
const std::vector<field_list_entry> with_note = {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}};

class read_only_table_test : public testing::table_test_base {
protected:
    void SetUp() override
    {
        table_test_base::SetUp();
        auto table = testing::open_new_table(path, with_note, testing::records_of(with_note, {{"Anna"}, {"Bela"}}));
        testing::put_memos(*table, 1, {"Anna's memo"});
        testing::write_table(source, with_note, testing::records_of(with_note, {{"Cili"}}));
    }

    std::string files() const { return read_file(path) + read_file(dbt_file_name(path)); }

    std::string source = dir.file("MORE.DBF");
};

TEST_F(read_only_table_test, every_change_is_refused_with_the_reason_and_reading_goes_on)
{
    // `refusal`: the medium's error; `write_opens`: opens that asked the system for write access.
    const struct { const char* what; int writable; int refusal; std::string reason; int write_opens; } cases[] = {
        {"asked for, which never asks to write", 0, EROFS, "opened read-only as asked", 0},
        {"a file without write permission", 1, EACCES, "the file is read-only (permission denied)", 1},
        {"a read-only file system", 1, EROFS, "the file is read-only (read-only file system)", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = files();
        std::optional<read_only_medium> medium(c.refusal);
        auto table = table_new(path);
        ASSERT_EQ(table_open(*table, c.writable), 1) << table->failure;
        EXPECT_EQ(table->read_only, c.reason);
        EXPECT_EQ(medium->write_opens(), c.write_opens);

        const std::string refusal = "The table is read-only: " + c.reason;
        const auto refused = [&](int result, const char* change) {
            EXPECT_EQ(result, 0) << change;
            EXPECT_EQ(table->failure, refusal) << change;
            clear_failure(*table);
        };
        refused(lock_record(*table), "record lock");
        refused(write_record(*table), "record write");
        refused(memo_write(*table, 1, "new"), "memo write");
        refused(append_from(*table, source), "append from");
        // Readers take the table lock to see the table whole; it is granted,
        // and still nothing is written under it.
        ASSERT_EQ(lock_table(*table), 1);
        refused(append_blank(*table), "append");
        refused(lock_memo_header(*table), "memo header lock");
        unlock(*table);

        EXPECT_EQ(record_count(*table), 2);
        go_top(*table);
        EXPECT_EQ(memo_read(*table, field_text(*table, 1)), "Anna's memo");
        medium.reset();  // the copy goes elsewhere
        EXPECT_EQ(export_text(*table, dir.file("OUT.TXT")), 1) << table->failure;
        EXPECT_EQ(files(), before);
    }

    // A table only viewed stands in no writer's way.
    auto viewer = table_new(path);
    ASSERT_EQ(table_open(*viewer, 0), 1);
    // Another process opens the table to change it, and does.
    EXPECT_EQ(testing::run_program(TABLE_PROBE, {"set", path, "1", "1", "Zoe"}), 0);
    go_top(*viewer);
    EXPECT_EQ(field_text(*viewer, 0), "Zoe       ");

    // An append writes its records before the count, under the table lock: a
    // table opened meanwhile must not take the records in flight for damage and
    // turn read-only. Once nobody holds the lock, the same disagreement is
    // damage, and an append refuses to write over the uncounted records.
    const std::string bytes = testing::patch_file(path, 4, "\x01");
    {
        testing::background_program holder(FILE_PROBE, {"hold", path, "0", std::to_string(bytes.size())});
        ASSERT_EQ(holder.read_line(), "ready");
        auto table = testing::open_table(path);
        EXPECT_EQ(table->read_only, "");
        EXPECT_EQ(holder.finish(), 0);

        ASSERT_EQ(lock_table(*table), 1);
        EXPECT_EQ(append_blank(*table), 0);
        EXPECT_EQ(table->failure, path + " is damaged: the header says 1 record but the file holds 1 more after them; "
                                         "vortel-cli repair writes the count the file holds");
        unlock(*table);
    }
    EXPECT_EQ(read_file(path), bytes);
    EXPECT_NE(testing::open_table(path)->read_only, "");
}

// Another process's append lands after the open looked at the file's size
// and before it read the header: the count then promises a record the size
// did not show, and only a second look, under the header lock, sees that
// the table is whole.
std::string landing_in;  // the table the append lands in; "" once it has

ssize_t read_after_an_append(int fd, void* buffer, std::size_t count)
{
    if (!landing_in.empty()) {
        std::string bytes = read_file(landing_in);
        bytes[4] = static_cast<char>(bytes[4] + 1);
        testing::write_file(landing_in, bytes + " " + record_of(with_note, {"Dora", ""}));
        landing_in.clear();
    }
    return system_file_ops().read(fd, buffer, count);
}

TEST_F(read_only_table_test, an_append_landing_while_the_table_opens_is_no_damage)
{
    file_ops ops = system_file_ops();
    ops.read = read_after_an_append;
    scoped_file_ops landing(ops);
    landing_in = path;
    auto table = testing::open_table(path);
    EXPECT_EQ(landing_in, "") << "the append landed";
    EXPECT_EQ(table->read_only, "");
    EXPECT_EQ(record_count(*table), 3);
}

}  // namespace
}  // namespace vortel
