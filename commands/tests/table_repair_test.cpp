// Repairing a record count: what the file holds goes into the header, a copy
// of the table as it was comes first, and nothing else changes.
#include "commands/table_repair.h"

#include "commands/tests/command_test_support.h"
#include "engine/tests/table_fixture.h"

namespace vortel {
namespace {

using testing::read_file;
using testing::write_file;

const std::vector<field_list_entry> fields = {{"NAME", 'C', 6, 0}};

// Three records under the header count `count`, followed by `tail`.
std::string damaged(const std::string& path, std::int32_t count, const std::string& tail = "")
{
    testing::write_table(path, fields, testing::records_of(fields, {{"Anna"}, {"Bela"}, {"Cili"}}));
    std::string bytes = read_file(path) + tail;
    for (int i = 0; i < 4; ++i) bytes[4 + static_cast<std::size_t>(i)] = static_cast<char>(count >> (8 * i));
    write_file(path, bytes);
    return bytes;
}

TEST(table_repair_test, the_count_becomes_the_whole_records_after_a_copy_of_the_table)
{
    const struct {
        const char* what;
        std::int32_t count;
        std::string tail;
        std::string message;
    } cases[] = {
        {"counts records the file lacks", 5, "", "The header counted 5 records and now counts the 3 records"},
        {"misses records after the counted ones", 1, "\x1A", "The header counted 1 record and now counts the 3 records"},
        {"negative", -1, " Dor", "The header counted -1 records and now counts the 3 records"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::scratch_dir dir;
        const std::string path = dir.file("PEOPLE.DBF");
        const std::string before = damaged(path, c.count, c.tail);
        const repair_result result = repair_record_count(path);
        EXPECT_EQ(result.status, repair_status::repaired) << result.message;
        EXPECT_EQ(result.message, c.message + " the file holds; the table as it was is kept as " +
                                      dir.file("PEOPLE.OLD1.DBF"));
        EXPECT_EQ(result.backup, dir.file("PEOPLE.OLD1.DBF"));
        EXPECT_EQ(read_file(result.backup), before);
        std::string expected = before;
        expected.replace(4, 4, std::string("\x03\0\0\0", 4));
        EXPECT_EQ(read_file(path), expected) << "only the count changes";

        const repair_result again = repair_record_count(path);
        EXPECT_EQ(again.status, repair_status::nothing_to_repair);
        EXPECT_EQ(again.message, "Nothing to repair: the header counts the 3 records the file holds");
        EXPECT_EQ(testing::files_in(dir.path()), (std::set<std::string>{"PEOPLE.DBF", "PEOPLE.OLD1.DBF"}));
    }
}

TEST(table_repair_test, a_table_open_elsewhere_or_unreadable_is_left_alone)
{
    testing::scratch_dir dir;
    const std::string path = dir.file("PEOPLE.DBF");
    const std::string before = damaged(path, 5);
    write_file(dir.file("PEOPLE.OLD1.DBF"), "someone else's");
    {
        const auto holder = testing::holding(FILE_PROBE, {"hold", path, "0", "1"});
        const repair_result busy = repair_record_count(path);
        EXPECT_EQ(busy.status, repair_status::busy);
        EXPECT_EQ(busy.message, "The table busy !");
        EXPECT_EQ(holder->finish(), 0);
    }
    EXPECT_EQ(read_file(path), before);

    const repair_result repaired = repair_record_count(path);
    EXPECT_EQ(repaired.backup, dir.file("PEOPLE.OLD2.DBF")) << "a name that is taken stays as it is";
    EXPECT_EQ(read_file(dir.file("PEOPLE.OLD1.DBF")), "someone else's");

    write_file(path, "\x03 short");
    EXPECT_EQ(repair_record_count(path).message,
              "The record count cannot be repaired: the file is shorter than a table header (32 bytes)");
    EXPECT_EQ(repair_record_count(dir.file("NONE.DBF")).message, "No such file or folder: " + dir.file("NONE.DBF"));
}

}  // namespace
}  // namespace vortel
