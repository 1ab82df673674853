// What exports and appends leave behind when they cannot finish: never a
// changed table, never a partial output, and always a reason.
#include "engine/append_from.h"
#include "engine/export.h"
#include "engine/table_export.h"

#include "engine/tests/table_test_base.h"
#include "platform/fault_injection.h"

#include <optional>
#include <unistd.h>

namespace vortel {
namespace {

const std::vector<field_list_entry> fields = {{"NAME", 'C', 8, 0}, {"NOTE", 'M', 10, 0}};

// A table with these names and memos, stored through the engine outside any injection.
void write_with_memos(const std::string& path, const std::vector<std::string>& names,
                      const std::vector<std::string>& memos)
{
    std::vector<std::vector<std::string>> values;
    for (const std::string& name : names) values.push_back({name});
    testing::put_memos(*testing::open_new_table(path, fields, testing::records_of(fields, values)), 1, memos);
}

class transfer_failure_test : public testing::table_test_base {
protected:
    // T.DBF with two records and their memos, and an end-of-file mark after
    // the records as other programs write it.
    void SetUp() override
    {
        table_test_base::SetUp();
        write_with_memos(path, {"Anna", "Bea"}, {"short", std::string(1500, 'b')});
        write_file(path, read_file(path) + "\x1A");
    }

    // The bytes of both table files.
    std::pair<std::string, std::string> table_bytes() const
    {
        return {read_file(path), read_file(dbt_file_name(path))};
    }

    std::unique_ptr<table_object> open_table() const { return testing::open_table(path); }
};

// The table's own files under other names (which names reach them is the
// platform test's), a full disk, a folder the user may not write and a name
// too long: in every format the output of that name stays as it was, nothing
// else is left, the table is untouched, and the reason names the output. A
// cancelled export leaves the same and gives no reason.
TEST_F(transfer_failure_test, a_refused_or_failed_export_leaves_the_old_output_and_says_why)
{
    const std::string output = dir.file("OUT.TXT");
    const std::string own = dir.path() + "/./T.DBF", memo = dir.file("MEMO.TXT");
    ASSERT_EQ(::symlink("T.DBT", memo.c_str()), 0);
    const auto before = table_bytes();
    const struct { const char* what; fault_call call; int error; std::string output, reason; } cases[] = {
        {"the table itself", fault_call::any, 0, own, own + " is the table itself: choose another file"},
        {"the memo file", fault_call::any, 0, memo, memo + " is the memo file of the table: choose another file"},
        {"full disk", fault_call::write, ENOSPC, output, "Disk full: " + output},
        {"read-only folder", fault_call::open, EACCES, output, "Permission denied: " + output},
        {"name too long", fault_call::any, 0, dir.file(std::string(300, 'N')),
         "File name too long: " + dir.file(std::string(300, 'N'))},
    };
    // `format`: none for the text and HTML exports.
    const struct { const char* name; std::optional<export_format> format; } kinds[] = {
        {"text", {}}, {"HTML", {}}, {"CSV", export_format::csv}, {"JSON Lines", export_format::jsonl},
        {"workbook", export_format::xlsx}};
    auto table = open_table();
    const auto leaves_the_old_output = [&](const std::string& what) {
        EXPECT_EQ(read_file(output), "old contents") << what;
        EXPECT_EQ(lock_table(*table), 1) << what;
        unlock(*table);
    };
    for (const auto& kind : kinds) {
        const auto run = [&](const std::string& to) {
            if (kind.format) return export_table(*table, to, {.format = *kind.format}) == export_written;
            return (kind.name == std::string("HTML") ? export_html(*table, to, "", {}) : export_text(*table, to)) == 1;
        };
        for (const auto& c : cases) {
            const std::string what = std::string(c.what) + ", " + kind.name;
            write_file(output, "old contents");
            const std::set<std::string> files = testing::files_in(dir.path());
            clear_failure(*table);
            {
                // The workbook library fills its file itself: a full disk reaches it at the open.
                const bool at_open = kind.format == export_format::xlsx && c.call == fault_call::write;
                fault_injector injector(at_open ? fault_call::open : c.call, c.error != 0 ? 1 : 0, c.error);
                EXPECT_FALSE(run(c.output)) << what;
            }
            EXPECT_EQ(table->failure, c.reason) << what;
            EXPECT_EQ(testing::files_in(dir.path()), files) << what << ": no temporary file stays";
            leaves_the_old_output(what);
        }
        if (kind.format) {
            int reports = 0;
            const auto cancel = [&reports](int) { return ++reports < 2; };
            EXPECT_EQ(export_table(*table, output, {.format = *kind.format}, cancel), export_cancelled) << kind.name;
            EXPECT_EQ(table->failure, "") << kind.name;
            leaves_the_old_output(std::string("cancelled ") + kind.name);
        }
    }
    table.reset();
    EXPECT_EQ(table_bytes(), before);
}

// Every write of an append failing in turn, as on a disk that fills up: the
// table's files are afterwards byte for byte what they were, memo header
// and end-of-file mark included. The text is longer than one block of
// records, so that records already counted must be taken back too.
TEST_F(transfer_failure_test, an_append_that_cannot_write_leaves_the_table_exactly_as_it_was)
{
    const std::string source_table = dir.file("S.DBF");
    write_with_memos(source_table, {"Cili", "Dora"}, {std::string(700, 'c'), "tiny"});
    std::string text;
    for (int i = 0; text.size() < (std::size_t{3} << 20); ++i) {
        text += record_of(fields, {"L" + std::to_string(i)}) + "\r\n";
    }
    write_file(dir.file("S.TXT"), text);

    const auto before = table_bytes();
    for (const std::string& source : {source_table, dir.file("S.TXT")}) {
        long writes = 0;
        {
            fault_injector counter(fault_call::write);
            auto table = open_table();
            ASSERT_EQ(append_from(*table, source), 1) << source;
            writes = counter.calls();
        }
        ASSERT_GT(writes, 2) << source;
        for (long n = 1; n <= writes; ++n) {
            write_file(path, before.first);
            write_file(dbt_file_name(path), before.second);
            auto table = open_table();
            {
                fault_injector injector(fault_call::write, n, ENOSPC);
                EXPECT_EQ(append_from(*table, source), 0) << source << ": write " << n;
            }
            EXPECT_EQ(table->failure.rfind("Disk full: " + dir.path() + "/T.DB", 0), 0u) << table->failure;
            EXPECT_EQ(record_count(*table), 2);
            table.reset();
            EXPECT_TRUE(table_bytes() == before) << source << ": write " << n << " of " << writes;
        }
    }
}

// No other process may place a memo while an append runs: taking back the
// memo file's end must never cut off another's memo.
TEST_F(transfer_failure_test, the_memo_header_stays_locked_for_the_whole_append)
{
    const std::string source = dir.file("S.DBF");
    write_with_memos(source, std::vector<std::string>(300, "Many"), std::vector<std::string>(300, "memo"));
    auto other = open_table();
    int tries = 0, taken = 0;
    auto table = open_table();
    ASSERT_EQ(append_from(*table, source, [&](int) { ++tries, taken += lock_memo_header(*other); }), 1);
    EXPECT_GT(tries, 1);
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(lock_memo_header(*other), 1) << "released at the end";
    unlock_memo_header(*other);

    // And held elsewhere, it makes the table busy before anything is written.
    const auto before = table_bytes();
    ASSERT_EQ(lock_memo_header(*other), 1);
    clear_failure(*table);
    EXPECT_EQ(append_from(*table, source), 0);
    EXPECT_EQ(table->failure, "") << "busy, as for a record lock";
    unlock_memo_header(*other);
    table.reset();
    EXPECT_TRUE(table_bytes() == before);
}

// Unix programs end lines with LF alone; our own exports with CR LF, and a
// record may then hold a lone LF or CR as text. Lines longer than any
// buffer stay one record each, a CR LF straddling the reader's blocks too.
TEST_F(transfer_failure_test, text_lines_end_in_cr_lf_or_in_lf_where_the_file_has_no_cr_lf)
{
    const std::vector<field_list_entry> line_fields = {{"TEXT", 'C', 4, 0}};
    const struct { std::string text; std::vector<std::string> records; } cases[] = {
        {"x\ny\nz\n", {"x", "y", "z"}}, {"x\n\ny", {"x", "", "y"}}, {"a\rb\nc", {"a\rb", "c"}},
        {"a\r\nb\nc\r\nd", {"a", "b\nc", "d"}}, {"a\nb\r\n", {"a\nb"}}, {"", {}},
        {std::string(4, 'x') + std::string((std::size_t{1} << 20) - 5, ' ') + "\r\nAnna\r\n" + std::string(4, 'y') +
             std::string(4091, ' ') + "\r\nBea",
         {"xxxx", "Anna", "yyyy", "Bea"}},
    };
    for (const auto& c : cases) {
        write_table(path, line_fields, {});
        write_file(dir.file("IN.TXT"), c.text);
        ASSERT_EQ(append_from(*open_table(), dir.file("IN.TXT")), 1);
        EXPECT_EQ(testing::leading_words(path), c.records) << c.text.substr(0, 20);
    }
}

}  // namespace
}  // namespace vortel
