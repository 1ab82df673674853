// The CSV, JSON Lines and workbook exports: what each value becomes, the
// choices of the CSV form, and what a refused or failed export leaves.
#include "engine/table_export.h"

#include "engine/export_cells.h"
#include "engine/tests/table_test_base.h"
#include "testing/child_process.h"

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

}  // namespace
}  // namespace vortel
