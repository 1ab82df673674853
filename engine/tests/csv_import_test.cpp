#include "engine/csv_import.h"
#include "engine/table_export.h"

#include "engine/tests/table_test_base.h"

namespace vortel {
namespace {

using testing::table_rows;

const std::vector<field_list_entry> fields = {
    {"NAME", 'C', 10, 0}, {"AMOUNT", 'N', 8, 2}, {"BORN", 'D', 8, 0}, {"OK", 'L', 1, 0}, {"NOTE", 'M', 10, 0}};

// "Árvíz" in each encoding a file may bring, and as the program shows it.
const std::string arviz_utf8 = "\xC3\x81rv\xC3\xADz";
const std::string arviz_1250 = "\xC1rv\xEDz";
const std::string arviz_852 = "\xB5rv\xA1z";

class csv_import_test : public testing::table_test_base {
protected:
    void SetUp() override
    {
        table_test_base::SetUp();
        write_table(path, fields, {});
    }

    // Appends `csv` and gives 1 or 0; the table's failure lands in `failure`.
    int append(const std::string& csv, const csv_import_options& options = {})
    {
        write_file(csv_path, csv);
        auto table = open_table(path);
        const int done = append_csv(*table, csv_path, options, report);
        failure = table->failure;
        if (failure.starts_with(dir.path() + "/")) failure.erase(0, dir.path().size() + 1);
        return done;
    }

    std::string files() const { return read_file(path) + read_file(dbt_file_name(path)); }

    std::string csv_path = dir.file("IN.CSV");
    csv_import_report report;
    std::string failure;
};

csv_import_options with(csv_encoding encoding, char delimiter = 0)
{
    csv_import_options options;
    options.date_layout = "YYYY.MM.DD";
    options.encoding = encoding;
    options.delimiter = delimiter;
    return options;
}

TEST_F(csv_import_test, values_reach_the_fields_their_columns_name_whatever_the_quoting_encoding_and_delimiter)
{
    const std::string blank = "          |        |        | |";
    struct example {
        const char* name;
        std::string csv;
        csv_import_options options;
        std::vector<std::string> rows;
    };
    const std::vector<example> examples = {
        {"quoting and line ends",
         "NAME,NOTE\r\n\"a,b\",\"say \"\"hi\"\"\r\nnext\"\nc,\rd,\"\"\r\n",
         {},
         {"a,b       |        |        | |say \"hi\"\r\nnext", "c         |        |        | |",
          "d         |        |        | |"}},
        {"semicolon, decimal comma, missing fields blank", "amount;Name\n12,5;x\n", {}, {"x         |   12.50|        | |"}},
        {"tab, dates and logicals", "BORN\tOK\tNAME\n2024-01-31\ttrue\ta\n2024.02.29\tI\tb\n20231231\tn\tc\n\t\td\n", with(csv_encoding::detect),
         {"a         |        |20240131|T|", "b         |        |20240229|T|", "c         |        |20231231|F|",
          "d" + blank.substr(1)}},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBFNAME\n" + arviz_utf8 + "\n", {}, {arviz_1250 + "     " + blank.substr(10)}},
        {"UTF-8 without one", "NAME\n" + arviz_utf8 + "\n", {}, {arviz_1250 + "     " + blank.substr(10)}},
        {"no UTF-8: the table's code page", "NAME\n" + arviz_852 + "\n", {}, {arviz_1250 + "     " + blank.substr(10)}},
        {"1250 as given", "NAME\n" + arviz_1250 + "\n", with(csv_encoding::cp1250), {arviz_1250 + "     " + blank.substr(10)}},
        {"delimiter as given", "NAME;X\na;b\n", with(csv_encoding::detect, ','), {}},
    };
    for (const example& e : examples) {
        SCOPED_TRACE(e.name);
        write_table(path, fields, {});
        EXPECT_EQ(append(e.csv, e.options), e.rows.empty() ? 0 : 1) << failure;
        EXPECT_EQ(table_rows(path), e.rows);
    }

    // Columns are matched by name, and strangers said once.
    write_table(path, fields, {});
    ASSERT_EQ(append("Extra,name,NAME,note,\x01" + std::string(50, 'z') + "\nx,a,b,m\ny,c,d,\n"), 1) << failure;
    EXPECT_EQ(table_rows(path),
              (std::vector<std::string>{"a         |        |        | |m", "c         |        |        | |"}));
    EXPECT_EQ(report.notes, (std::vector<std::string>{
                                "Column Extra names no field of the table: ignored",
                                "Column NAME names field NAME a second time: ignored",
                                "Column ?" + std::string(39, 'z') + "... names no field of the table: ignored"}));

    // A file whose columns are all strangers (a binary file, say) is said
    // once, not column by column.
    EXPECT_EQ(append("\x7F" "ELF\x01,\x02\n"), 0);
    EXPECT_EQ(report.notes, std::vector<std::string>{});

    // Exported records come back equal, deleted marks and memos too.
    const std::string source = dir.file("S.DBF");
    write_table(source, fields,
                {{record_of(fields, {"a \"q\", b", "  -12.50", "20240131", "T", ""})},
                 {record_of(fields, {arviz_852, "", "", "F", ""}), true}});
    put_memos(*open_table(source), 4, {"line\r\nbreak, \"quoted\""});
    for (const bool table_page : {false, true}) {
        SCOPED_TRACE(table_page);
        auto table = open_table(source);
        export_options options;
        options.delimiter = table_page ? ';' : ',';
        options.table_code_page = table_page;
        options.deleted = deleted_records::mark;
        ASSERT_EQ(export_table(*table, csv_path, options), 1) << table->failure;
        write_table(path, fields, {});
        auto copy = open_table(path);
        ASSERT_EQ(append_csv(*copy, csv_path, {}, report), 1) << copy->failure;
        EXPECT_EQ(table_rows(path), table_rows(source));
        EXPECT_TRUE(table_rows(source)[0].ends_with("break, \"quoted\"")) << "the memo went along";
    }
}

TEST_F(csv_import_test, a_refused_value_stops_skips_its_row_or_blanks_its_field)
{
    const std::string csv = "NAME,AMOUNT,BORN\nok,1,\nwide,123456789,2024-02-30\nlast,2,\n";
    struct example {
        csv_on_error choice;
        std::vector<std::string> rows;
        std::int64_t skipped, blanked;
    };
    const std::vector<example> examples = {
        {csv_on_error::stop, {}, 0, 0},
        {csv_on_error::skip, {"ok        |    1.00|        | |", "last      |    2.00|        | |"}, 1, 0},
        {csv_on_error::blank,
         {"ok        |    1.00|        | |", "wide      |        |        | |", "last      |    2.00|        | |"}, 0, 2},
    };
    for (const example& e : examples) {
        SCOPED_TRACE(static_cast<int>(e.choice));
        write_table(path, fields, {});
        const std::string before = files();
        csv_import_options options;
        options.on_error = e.choice;
        EXPECT_EQ(append(csv, options), e.rows.empty() ? 0 : 1);
        EXPECT_EQ(table_rows(path), e.rows);
        EXPECT_EQ(report.skipped, e.skipped);
        EXPECT_EQ(report.blanked, e.blanked);
        if (e.rows.empty()) {
            EXPECT_EQ(failure, "line 3, column AMOUNT: 123456789 does not fit AMOUNT N(8,2)");
            EXPECT_EQ(files(), before);
        }
    }

    // Asked, the user sees each refusal once, before anything is written.
    std::vector<std::string> asked;
    csv_import_options options;
    options.on_error = csv_on_error::ask;
    options.ask = [&](const std::string& refusal) {
        asked.push_back(refusal);
        return csv_on_error::blank;
    };
    write_table(path, fields, {});
    EXPECT_EQ(append(csv, options), 1);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].substr(0, 24), "line 3, column BORN: 202");
}

// A value that would change is refused rather than cut; a file that is no
// sound CSV is refused whole, even where refused values would be skipped.
TEST_F(csv_import_test, values_that_would_change_and_hostile_files_are_refused_naming_the_line)
{
    struct example {
        std::string csv;
        std::string failure;
        bool damage = false;
    };
    const std::vector<example> examples = {
        {"NAME\nelevenchars\n", "line 2, column NAME: a text of 11 characters does not fit NAME C(10)"},
        {"NAME\n\xE2\x82\xAC\n", "line 2, column NAME: NAME C(10) cannot hold"},
        {"NAME\na\x01z\n", "line 2, column NAME: the value holds the control byte 0x01, which is no text"},
        {"BORN\n2024-1-31\n", "line 2, column BORN: 2024-1-31 is no date"},
        {"OK\nmaybe\n", "line 2, column OK: "},
        {"AMOUNT\n1\xC3\xA9\n", "line 2, column AMOUNT: 1\xE9 is no value for AMOUNT N(8,2)"},
        {"NAME\na,b\n", "line 2: 2 values where the header row names 1 columns"},
        {"NAME\na\n\"open\nb\n", "IN.CSV, line 3: the quote opened here is never closed", true},
        {"NAME\n\"a\"b\n", "IN.CSV, line 2: text follows the closing quote of a value", true},
        {"NAME\r\na\rb\"c\n", "IN.CSV, line 3: a quote stands inside a value that does not begin with one", true},
        {"NAME\na\n" + std::string(40, 'x') + "\n", "IN.CSV, line 3: a value longer than 32 bytes", true},
        {"NAME\na\n\xEF\xBB\xBFNAME\nb\n", "IN.CSV, line 3: a byte order mark stands inside the file", true},
        {"", "IN.CSV holds no header row naming the fields", true},
        {"WHO,WHAT\na,b\n", "IN.CSV: no column of the header row names a field of the table", true},
    };
    csv_import_options skipping;
    skipping.longest_value = 32;
    skipping.on_error = csv_on_error::skip;
    for (const example& e : examples) {
        SCOPED_TRACE(e.csv);
        const std::string before = files();
        EXPECT_EQ(append(e.csv, e.damage ? skipping : csv_import_options{}), 0);
        EXPECT_EQ(failure.substr(0, e.failure.size()), e.failure);
        EXPECT_EQ(files(), before);
    }

    // A UTF-8 table takes only UTF-8 text.
    write_file(csv_path, "NAME\n" + arviz_1250 + "\n");
    const std::string before = files();
    auto table = open_table(path);
    choose_code_page(*table, code_page::utf8);
    for (const csv_encoding encoding : {csv_encoding::detect, csv_encoding::utf8}) {
        EXPECT_EQ(append_csv(*table, csv_path, with(encoding), report), 0);
        EXPECT_NE(table->failure.find("IN.CSV is no UTF-8 text"), std::string::npos) << table->failure;
        clear_failure(*table);
    }
    EXPECT_EQ(files(), before);
}

}  // namespace
}  // namespace vortel
