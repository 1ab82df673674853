// The CSV, JSON Lines and workbook exports: what each value becomes and the
// choices of the CSV form; and what exports and appends leave behind when
// they cannot finish: never a changed table, never a partial output, and
// always a reason.
#include "engine/table_export.h"

#include "engine/append_from.h"
#include "engine/export.h"
#include "engine/export_cells.h"
#include "engine/record_copy.h"
#include "engine/tests/table_test_base.h"
#include "platform/fault_injection.h"
#include "testing/child_process.h"

#include <optional>
#include <unistd.h>

namespace vortel {
namespace {

const std::vector<field_list_entry> fields = {{"NAME", 'C', 12, 0}, {"ID", 'N', 19, 0}, {"PRICE", 'N', 8, 2},
                                              {"BORN", 'D', 8, 0},  {"OK", 'L', 1, 0},  {"NOTE", 'M', 10, 0}};

// Stored bytes (code page 852: 0xA0 is "á"), memos as stored.
const std::string memo_with_everything = "say \"hi\"\r\nbye";

class table_export_test : public testing::table_test_base {
protected:
    void SetUp() override
    {
        table_test_base::SetUp();
        write_table(path, fields,
                    {{record_of(fields, {"Anna", "1234567890123456789", "   12.50", "20240131", "T"})},
                     {record_of(fields, {"Gone", "", "", "", "F"}), true},
                     {record_of(fields, {"", "", "", "", "?"})},
                     {record_of(fields, {"a,b \xA0", "", "     +.5", "20241399", "X"})}});
        put_memo(1, memo_with_everything);
    }

    std::unique_ptr<table_object> open() const
    {
        auto table = testing::open_table(path);
        choose_code_page(*table, code_page::cp852);
        return table;
    }

    // Stores a memo's bytes as they are, whatever the code page.
    void put_memo(std::int32_t record, const std::string& bytes) const
    {
        auto table = open();
        table->texts_as_stored = 1;
        std::vector<std::string> memos(static_cast<std::size_t>(record));
        memos.back() = bytes;
        put_memos(*table, 5, memos);
    }

    // The output of an export that must succeed.
    std::string exported(const export_options& options, const std::string& name = "OUT")
    {
        auto table = open();
        const std::string output = dir.file(name);
        EXPECT_EQ(export_table(*table, output, options), export_written) << table->failure;
        return read_file(output);
    }

    // The reason an export that must fail gives.
    std::string refusal(const export_options& options, const std::string& output)
    {
        auto table = open();
        EXPECT_EQ(export_table(*table, output, options), export_failed);
        return table->failure;
    }
};

TEST_F(table_export_test, every_format_writes_every_field_type_and_memo_byte_and_a_workbook_refuses_what_it_cannot_hold)
{
    const struct { const char* what; export_options options; std::string expected; } cases[] = {
        {"defaults", {},
         "NAME,ID,PRICE,BORN,OK,NOTE\r\n"
         "Anna,1234567890123456789,12.50,2024-01-31,T,\"say \"\"hi\"\"\r\nbye\"\r\n"
         ",,,,,\r\n"
         "\"a,b \xC3\xA1\",,+.5,20241399,X,\r\n"},
        {"semicolons, LF, words, deleted marked",
         {.deleted = deleted_records::mark, .delimiter = ';', .logicals = logical_style::words, .crlf = false},
         "NAME;ID;PRICE;BORN;OK;NOTE;_deleted\n"
         "Anna;1234567890123456789;12.50;2024-01-31;true;\"say \"\"hi\"\"\r\nbye\";false\n"
         "Gone;;;;false;;true\n"
         ";;;;;;false\n"
         "a,b \xC3\xA1;;+.5;20241399;X;;false\n"},
        {"tabs, the table's own bytes, dates as the grid shows them",
         {.delimiter = '\t', .table_code_page = true, .dates = date_style::picture},
         "NAME\tID\tPRICE\tBORN\tOK\tNOTE\r\n"
         "Anna\t1234567890123456789\t12.50\t31/01/2024\tT\t\"say \"\"hi\"\"\r\nbye\"\r\n"
         "\t\t\t\t\t\r\n"
         "a,b \xA0\t\t+.5\t20241399\tX\t\r\n"},
    };
    setting_by_index(SET_DATEFORMAT, "DD/MM/YYYY");
    for (const auto& c : cases) EXPECT_EQ(exported(c.options), c.expected) << c.what;

    EXPECT_EQ(exported({.byte_order_mark = true}).substr(0, 8), "\xEF\xBB\xBFNAME,");
    EXPECT_EQ(exported({.table_code_page = true, .byte_order_mark = true}).substr(0, 5), "NAME,")
        << "a byte order mark belongs to UTF-8 only";

    // JSON Lines give typed values, numbers digit for digit.
    EXPECT_EQ(exported({.format = export_format::jsonl, .deleted = deleted_records::mark}),
              "{\"NAME\":\"Anna\",\"ID\":1234567890123456789,\"PRICE\":12.50,\"BORN\":\"2024-01-31\",\"OK\":true,"
              "\"NOTE\":\"say \\\"hi\\\"\\r\\nbye\",\"_deleted\":false}\n"
              "{\"NAME\":\"Gone\",\"ID\":null,\"PRICE\":null,\"BORN\":null,\"OK\":false,\"NOTE\":null,"
              "\"_deleted\":true}\n"
              "{\"NAME\":null,\"ID\":null,\"PRICE\":null,\"BORN\":null,\"OK\":null,\"NOTE\":null,\"_deleted\":false}\n"
              "{\"NAME\":\"a,b \xC3\xA1\",\"ID\":null,\"PRICE\":0.5,\"BORN\":\"20241399\",\"OK\":\"X\",\"NOTE\":null,"
              "\"_deleted\":false}\n");

    for (const auto& [stored, json] : {std::pair{"+.50", "0.50"}, {"-007.", "-7"}, {"0", "0"}, {"-0.25", "-0.25"},
                                       {"9007199254740993", "9007199254740993"}}) {
        EXPECT_EQ(json_number_text(stored), json) << stored;
    }

    // A memo ends at its first zero byte; every other byte is kept.
    put_memo(3, "\x01\xFF\"x\r\n\x7F");
    put_memo(4, std::string(10 * 1024 * 1024, 'm'));

    const std::string text = exported({});
    EXPECT_NE(text.find(",\"\x01\xC2\xA0\"\"x\r\n\x7F\"\r\n"), std::string::npos)
        << "852 0xFF is a no-break space";
    EXPECT_TRUE(text.ends_with("," + std::string(10 * 1024 * 1024, 'm') + "\r\n")) << "the 10 MB memo whole";
    const std::string jsonl = exported({.format = export_format::jsonl});
    EXPECT_NE(jsonl.find("\"NOTE\":\"\\u0001\xC2\xA0\\\"x\\r\\n\x7F\"}"), std::string::npos);

    const export_options xlsx{.format = export_format::xlsx};
    EXPECT_EQ(refusal(xlsx, dir.file("OUT.XLSX")),
              "Record 4, field NOTE: its text of 10485760 characters is longer than a spreadsheet cell holds (32767)");
    EXPECT_FALSE(testing::files_in(dir.path()).contains("OUT.XLSX"));
    put_memo(4, std::string(32767, 'm'));
    EXPECT_EQ(exported(xlsx, "OUT.XLSX").substr(0, 2), "PK");

    // A table larger than a sheet is refused before anything is written.
    const std::vector<field_list_entry> one = {{"C", 'C', 1, 0}};
    write_table(path, one, std::vector<testing::fixture_record>(sheet_record_max + 1, {"x"}));
    EXPECT_EQ(refusal({.format = export_format::xlsx, .deleted = deleted_records::mark}, dir.file("BIG.XLSX")),
              "The table has more records than a sheet holds (1048575): leave deleted records out or export to CSV");
    EXPECT_FALSE(testing::files_in(dir.path()).contains("BIG.XLSX"));
}

// Every walk that writes records out passes what the filter leaves out;
// a copy that rebuilds a table in place keeps them all.
TEST_F(table_export_test, exports_and_copies_as_navigated_write_only_the_filters_records)
{
    record_set kept(4);
    kept.add(2);
    kept.add(4);
    auto table = open();
    table->navigation.filter = std::make_shared<const record_set>(kept);
    const auto written = [&](const auto& run) {
        const std::string output = dir.file("FILTERED.OUT");
        EXPECT_TRUE(run(output)) << table->failure;
        return read_file(output);
    };
    EXPECT_EQ(written([&](const std::string& out) {
                  return export_table(*table, out, {.deleted = deleted_records::mark, .crlf = false}) == export_written;
              }),
              "NAME,ID,PRICE,BORN,OK,NOTE,_deleted\nGone,,,,F,,T\n\"a,b \xC3\xA1\",,+.5,20241399,X,,F\n");
    const std::string text = written([&](const std::string& out) { return export_text(*table, out) == 1; });
    EXPECT_EQ(text.substr(0, 4) + "|" + text.substr(text.find("\r\n") + 2, 3), "Gone|a,b") << text;
    const std::string html =
        written([&](const std::string& out) { return export_html(*table, out, "T", {}) == 1; });
    EXPECT_EQ(std::tuple(html.find("Anna"), html.find("Gone"), html.find("a,b") != std::string::npos),
              std::tuple(std::string::npos, std::string::npos, true)) << "HTML writes live records only";

    for (const auto& [selection, records] : {std::pair{copy_selection::as_navigated, 2},
                                             std::pair{copy_selection::deleted_as_navigated, 4}}) {
        auto copy = open_new_table(dir.file("COPY.DBF"), fields, {});
        ASSERT_TRUE(lock_table(*table) && lock_table(*copy));
        EXPECT_EQ(copy_records(*table, *copy, map_fields_by_name(*table, *copy), selection), 1);
        unlock(*table);
        EXPECT_EQ(record_count(*copy), records);
    }
}

// Another process appends while exports run: each export holds the table
// lock for its whole run, so it writes the records as they stood at one
// moment, never a record half written or a count ahead of the records.
TEST_F(table_export_test, an_export_while_another_process_appends_writes_one_state_of_the_table)
{
    const std::vector<field_list_entry> names = {{"NAME", 'C', 12, 0}};
    write_table(path, names, {});
    testing::background_program appender(TABLE_PROBE, {"append", path, "3000", "P"});
    auto table = testing::open_table(path);
    std::size_t exports = 0;
    for (int attempt = 0; attempt < 5000 && exports < 20; ++attempt) {
        if (export_table(*table, dir.file("OUT.CSV"), {}) != export_written) {
            ::usleep(500);  // the appender held the lock
            continue;
        }
        ++exports;
        const std::string text = read_file(dir.file("OUT.CSV"));
        std::string expected = "NAME\r\n";
        while (expected.size() < text.size()) {
            expected += "P-" + std::to_string(std::count(expected.begin(), expected.end(), '\n') - 1) + "\r\n";
        }
        ASSERT_EQ(text, expected) << "export " << exports;
    }
    EXPECT_EQ(appender.finish(), 0);
    EXPECT_GT(exports, 0u);
}

const std::vector<field_list_entry> name_and_note = {{"NAME", 'C', 8, 0}, {"NOTE", 'M', 10, 0}};

// A table with these names and memos, stored through the engine outside any injection.
void write_with_memos(const std::string& path, const std::vector<std::string>& names,
                      const std::vector<std::string>& memos)
{
    std::vector<std::vector<std::string>> values;
    for (const std::string& name : names) values.push_back({name});
    auto table = testing::open_new_table(path, name_and_note, testing::records_of(name_and_note, values));
    testing::put_memos(*table, 1, memos);
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
        text += record_of(name_and_note, {"L" + std::to_string(i)}) + "\r\n";
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
