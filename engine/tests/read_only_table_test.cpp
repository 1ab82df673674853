// Read-only tables: every way a table comes to be one, what it still does,
// and that no change reaches its files.
#include "engine/append_from.h"
#include "engine/export.h"
#include "engine/table.h"

#include "engine/tests/table_test_base.h"
#include "platform/file_ops.h"
#include "platform/read_only_medium.h"
#include "testing/child_process.h"

#include <cerrno>
#include <optional>

namespace vortel {
namespace {

const std::vector<field_list_entry> fields = {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}};

class read_only_table_test : public testing::table_test_base {
protected:
    void SetUp() override
    {
        table_test_base::SetUp();
        testing::put_memos(*testing::open_new_table(path, fields, testing::records_of(fields, {{"Anna"}, {"Bela"}})), 1,
                           {"Anna's memo"});
        testing::write_table(source, fields, testing::records_of(fields, {{"Cili"}}));
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
        testing::write_file(landing_in, bytes + " " + record_of(fields, {"Dora", ""}));
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
