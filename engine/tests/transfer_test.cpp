#include "engine/append_from.h"
#include "engine/csv_import.h"
#include "engine/csv_structure.h"
#include "engine/export.h"
#include "engine/table_export.h"

#include "engine/tests/table_test_base.h"
#include "platform/file_ops.h"
#include "testing/child_process.h"
#include "text/text_ops.h"

#include <algorithm>
#include <cerrno>
#include <functional>

namespace vortel {
namespace {

using testing::table_rows;

const std::vector<field_list_entry> people = {{"NAME", 'C', 10, 0}, {"AGE", 'N', 4, 0}, {"BORN", 'D', 8, 0}};

const std::vector<field_list_entry> name_and_note = {{"NAME", 'C', 12, 0}, {"NOTE", 'M', 10, 0}};

class transfer_test : public testing::table_test_base {
protected:
    // A table of name_and_note whose names are `names` as stored, byte 29 set to `byte`.
    std::unique_ptr<table_object> open_with(const std::vector<std::string>& names, std::uint8_t byte = 0)
    {
        std::vector<std::vector<std::string>> values;
        for (const std::string& name : names) values.push_back({name});
        write_table(path, name_and_note, records_of(name_and_note, values));
        testing::patch_file(path, 29, std::string(1, static_cast<char>(byte)));
        return open_table(path);
    }

    std::string output = dir.file("OUT.TXT");
};

// --- export -------------------------------------------------------------

TEST_F(transfer_test, html_export_escapes_every_text_fills_blank_cells_and_leaves_out_deleted_records)
{
    const std::vector<field_list_entry> fields = {
        {"NAME", 'C', 6, 0}, {"AGE", 'N', 5, 1}, {"BORN", 'D', 8, 0}, {"OK", 'L', 1, 0}, {"NOTE", 'C', 4, 0}};
    write_table(path, fields,
                {{record_of(fields, {"a<b", "  2.5", "20240229", "T", "\"&\""})},
                 {record_of(fields, {"gone"}), true},
                 {record_of(fields, {"", "", "", "F", std::string("\xA0", 1)})}});
    const std::string page_path = dir.file("R&D.HTM");
    auto table = open_table(path);  // conversion on: the file holds code page 852
    ASSERT_EQ(export_html(*table, page_path, "Kft & <Co>", {"Name", "A>ge", "", "\"OK\""}), 1);
    EXPECT_EQ(read_file(page_path),
              "<HTML>\r\n<HEAD>\r\n<META http-equiv=\"content-type\" content=\"TEXT/HTML; charset=windows-1250\">"
              "<TITLE>Kft &amp; &lt;Co&gt;</TITLE>\r\n</HEAD>\r\n<BODY>\r\n<TABLE border=\"1\" frame=box>\r\n<CAPTION>" +
                  dir.path() +
                  "/R&amp;D.HTM</CAPTION><TR><TH>Name</TH><TH>A&gt;ge</TH><TH></TH><TH>&quot;OK&quot;</TH><TH></TH>"
                  "</TR>\r\n"
                  "<TR><TD>a&lt;b   </TD><TD>  2.5</TD><TD>20240229</TD><TD>T</TD><TD>&quot;&amp;&quot; </TD></TR>\r\n"
                  "<TR><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>F</TD><TD>\xE1   </TD></TR>\r\n"
                  "</TABLE>\r\n</BODY>\r\n</HTML>\r\n");

    // An empty table gives an empty text and a page without rows.
    write_table(path, people, {});
    table = open_table(path);
    ASSERT_EQ(export_text(*table, page_path), 1);
    EXPECT_EQ(read_file(page_path), "");
    ASSERT_EQ(export_html(*table, page_path, "", {"N", "A", "B"}), 1);
    EXPECT_NE(read_file(page_path).find("<TR><TH>N</TH><TH>A</TH><TH>B</TH></TR>\r\n</TABLE>"), std::string::npos);
}

// Exports read many records at once; they must write exactly what a walk
// with skip sees, bytes as stored, across block boundaries and in a file cut
// short, and leave the table on its record and unlocked.
TEST_F(transfer_test, text_export_writes_the_stored_records_a_walk_sees_and_leaves_the_table_as_it_stood)
{
    std::vector<fixture_record> records;
    for (int i = 0; i < 60000; ++i) records.push_back({record_of(people, {"N\xA0" + std::to_string(i)}), i % 7 == 3});
    write_table(path, people, records);
    std::string bytes = read_file(path);
    bytes.resize(bytes.size() - 2 * 23 - 10);  // the count promises two records more and a part
    write_file(path, bytes);

    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "deleted records hidden" : "deleted records shown");
        auto table = open_table(path, 1, {hidden});
        table->texts_as_stored = 1;
        std::string walked;
        for (go_top(*table); !at_eof(*table); skip(*table, 1)) walked += record_text(*table) + "\r\n";
        table->texts_as_stored = 0;
        go_to(*table, 2);
        ASSERT_EQ(export_text(*table, output), 1);
        const std::string text = read_file(output);
        EXPECT_TRUE(text.starts_with(record_of(people, {"N\xA0" "0"}) + "\r\n")) << "bytes as stored, never converted";
        EXPECT_TRUE(text == walked) << text.size() << " bytes written, " << walked.size() << " walked";
        EXPECT_EQ(current_record(*table), 2);
        EXPECT_EQ(lock_table(*table), 1) << "the lock was released";
    }
}

// --- every bulk operation and a second process ---------------------------

TEST_F(transfer_test, a_table_locked_by_another_process_is_left_alone)
{
    write_table(path, people, records_of(people, {{"B"}, {"A"}}));
    write_table(dir.file("SOURCE.DBF"), people, {{record_of(people, {"NEW"})}});
    const std::string before = read_file(path);
    testing::background_program holder(FILE_PROBE, {"hold", path, "0", std::to_string(before.size())});
    ASSERT_EQ(holder.read_line(), "ready");

    auto table = open_table(path);
    EXPECT_EQ(export_text(*table, output), 0);
    EXPECT_EQ(export_html(*table, output, "", {}), 0);
    EXPECT_FALSE(file_exists(output)) << "nothing is created while the table is busy";
    EXPECT_EQ(append_from(*table, dir.file("SOURCE.DBF")), 0);
    write_file(dir.file("IN.CSV"), "NAME\nNEW\n");
    csv_import_report report;
    EXPECT_EQ(append_csv(*table, dir.file("IN.CSV"), {}, report), 0);
    EXPECT_EQ(read_file(path), before);
    EXPECT_EQ(holder.finish(), 0);
    EXPECT_EQ(append_csv(*table, dir.file("IN.CSV"), {}, report), 1) << "free again";
}

// --- append from a table ------------------------------------------------

TEST_F(transfer_test, append_from_a_table_matches_fields_by_name_and_refuses_its_own_file_unreadable_tables_and_a_damaged_count)
{
    write_table(path, people, records_of(people, {{"ONLY"}}));
    const std::string before = read_file(path);
    auto table = open_table(path);
    EXPECT_EQ(append_from(*table, path), 0);
    EXPECT_EQ(append_from(*table, dir.path() + "/./T.DBF"), 0) << "the same file under another name is busy";

    const std::vector<field_list_entry> memo_fields = {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}};
    const std::string orphan = dir.file("ORPHAN.DBF");
    write_table(orphan, memo_fields, {{record_of(memo_fields, {"X"})}});
    ASSERT_EQ(::unlink(dbt_file_name(orphan).c_str()), 0);
    EXPECT_EQ(append_from(*table, orphan), 0) << "a table without its memo file is not text";

    const std::string busy = dir.file("BUSY.DBF");
    write_table(busy, people, {{record_of(people, {"Z"})}});
    testing::background_program holder(FILE_PROBE, {"hold", busy, "0", std::to_string(read_file(busy).size())});
    ASSERT_EQ(holder.read_line(), "ready");
    EXPECT_EQ(append_from(*table, busy), 0);
    EXPECT_EQ(holder.finish(), 0);

    EXPECT_EQ(append_from(*table, dir.file("NONE.TXT")), 0);
    EXPECT_EQ(read_file(path), before);
    EXPECT_EQ(lock_table(*table), 1);

    // A count that promises records the file lacks takes none.
    table.reset();
    const std::string damaged = testing::patch_file(path, 4, std::string("\xE8\x03\x00\x00", 4));  // 1000 records
    write_file(dir.file("IN.TXT"), "CILI\r\n");
    EXPECT_EQ(append_from(*open_table(path), dir.file("IN.TXT")), 0);
    EXPECT_EQ(read_file(path), damaged);

    // Fields are matched by name and values refitted.
    const std::vector<field_list_entry> source_fields = {{"NAME", 'C', 20, 0}, {"age", 'N', 3, 0}};
    const std::vector<field_list_entry> target_fields = {{"AGE", 'N', 5, 0}, {"CITY", 'C', 10, 0}};
    const std::string source = dir.file("SOURCE.DBF");
    write_table(source, source_fields,
                {{record_of(source_fields, {"Anna", " 42"})}, {record_of(source_fields, {"Bea", "  7"}), true}});

    // The target's filter chooses among its own records, never the source's:
    // a filter keeping record 1 must not keep only the source's record 1.
    for (const bool hidden : {false, true}) {
        write_table(path, target_fields, {{record_of(target_fields, {"    1", "Pecs"})}});
        record_set first_only(1);
        first_only.add(1);
        table = open_table(path, 1, {.hide_deleted = hidden, .filter = std::make_shared<const record_set>(first_only)});
        ASSERT_EQ(append_from(*table, source), 1);
        std::vector<std::string> expected = {" " + record_of(target_fields, {"    1", "Pecs"}),
                                             " " + record_of(target_fields, {"   42"})};
        if (!hidden) expected.push_back(" " + record_of(target_fields, {"    7"}));
        EXPECT_EQ(stored_records(path), expected) << "deleted source records come live, hidden " << hidden;
        EXPECT_EQ(current_record(*table), 1) << "back on its record";
        EXPECT_EQ(lock_table(*table), 1);
    }
    // A source of the same structure is copied a whole record at a time;
    // its deleted records come live all the same.
    const std::string twin = dir.file("TWIN.DBF");
    write_table(twin, target_fields, {{record_of(target_fields, {"    3", "Ozd"}), true}});
    table.reset();
    write_table(path, target_fields, {});
    ASSERT_EQ(append_from(*open_table(path), twin), 1);
    EXPECT_EQ(stored_records(path), std::vector<std::string>{" " + record_of(target_fields, {"    3", "Ozd"})});
}

// --- append from text ---------------------------------------------------

TEST_F(transfer_test, append_from_text_keeps_stored_forms_and_refuses_what_a_field_cannot_hold)
{
    const std::vector<field_list_entry> fields = {
        {"CODE", 'C', 3, 0}, {"VALUE", 'N', 5, 1}, {"DAY", 'D', 8, 0}, {"OK", 'L', 1, 0}, {"NOTE", 'M', 10, 0}};
    const std::string no_memo(10, '\0');
    // `stored`: the record after its delete flag; "" when refused.
    const struct { const char* what; std::string line; std::string stored; std::string failure; } rows[] = {
        {"stored forms stay", "ab 2.5  20240229y         7", "ab 2.5  20240229y" + no_memo, ""},
        {"other programs' forms stay", "cut-2   00000000?", "cut-2   00000000?" + no_memo, ""},
        {"a sign and a small letter stay", "x  +12.3        n", "x  +12.3        n" + no_memo, ""},
        {"an empty line is a blank record", "", std::string(3, '\0') + std::string(14, ' ') + no_memo, ""},
        {"short fields become blank, a lone CR is text", "l\rs", "l\rs" + std::string(14, ' ') + no_memo, ""},
        {"more decimals are rounded", "x\x1Az12.3420240101T", "x\x1Az 12.320240101T" + no_memo, ""},
        {"a short number is right-aligned", "abc12", "abc 12.0" + std::string(9, ' ') + no_memo, ""},
        // Refused values: the rules are the table test's; the reason names the line.
        {"no number", "abcxyz", "", "Line 1: xyz is not a number for VALUE N(5,1)"},
    };
    const std::string text = dir.file("IN.TXT");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        write_table(path, fields, {});
        write_file(text, r.line + "\r\n");
        auto table = open_table(path);
        EXPECT_EQ(append_from(*table, text), r.failure.empty() ? 1 : 0);
        EXPECT_EQ(table->failure, r.failure);
        const std::vector<std::string> expected =
            r.stored.empty() ? std::vector<std::string>{} : std::vector<std::string>{" " + r.stored};
        EXPECT_EQ(stored_records(path), expected);
    }

    // Records exported as text and appended again come back the same.
    // Wider than a line buffer of 4095 characters, with a memo in the middle
    // whose zero bytes must not end the line.
    std::vector<field_list_entry> wide = {{"STORY", 'M', 10, 0}};
    for (int i = 0; i < 20; ++i) wide.push_back({"F" + std::to_string(i), 'C', 255, 0});
    wide.push_back({"AGE", 'N', 4, 1});
    std::vector<fixture_record> records;
    for (int r = 0; r < 3; ++r) {
        std::vector<std::string> values = {std::string(10, '\0')};
        for (int i = 0; i < 20; ++i) values.push_back(std::string(255, static_cast<char>('a' + r + i)));
        values.push_back(" 1.5");
        records.push_back({record_of(wide, values), r == 1});
    }
    write_table(path, wide, records);
    const std::string copy = dir.file("COPY.DBF");
    write_table(copy, wide, {});

    auto table = open_table(path);
    ASSERT_EQ(export_text(*table, output), 1);
    auto target = open_table(copy);
    ASSERT_EQ(append_from(*target, output), 1);
    std::vector<std::string> expected;
    for (const fixture_record& record : records) expected.push_back(" " + record.fields);
    EXPECT_EQ(stored_records(copy), expected) << "records come back live";
}

// A progress callback is for the front-end to stay painted, which moves the
// table it shows: whatever it does, the output must be what a run without
// it writes, and the percentages must climb once to 100.
TEST_F(transfer_test, progress_climbs_to_100_and_changes_nothing_that_is_written)
{
    std::vector<fixture_record> records;
    for (int i = 0; i < 3000; ++i) records.push_back({record_of(people, {"N" + std::to_string(i)}), i % 5 == 2});
    write_table(path, people, records);
    auto table = open_table(path, 1, testing::hiding_deleted);
    go_to(*table, 7);

    std::vector<int> reported;
    const auto progress = [&](int percent) {
        reported.push_back(percent);
        go_to(*table, 1);  // as a repaint of the grid would
    };
    const auto check_reported = [&](const char* what) {
        ASSERT_FALSE(reported.empty()) << what;
        EXPECT_EQ(reported.front(), 0) << what;
        EXPECT_EQ(reported.back(), 100) << what;
        EXPECT_TRUE(std::adjacent_find(reported.begin(), reported.end(), std::greater_equal<>()) == reported.end())
            << what << ": each percentage once, rising";
        EXPECT_GT(reported.size(), 50u) << what << ": told about every percent, not only at the ends";
        reported.clear();
    };

    // Each run without and then with the callback: the same file written.
    const auto same_with_progress = [&](const char* what, const auto& run, const std::string& written) {
        ASSERT_EQ(run(nullptr), 1) << what;
        const std::string quiet = read_file(written);
        ASSERT_EQ(run(progress), 1) << what;
        EXPECT_TRUE(read_file(written) == quiet) << what;
        check_reported(what);
    };
    same_with_progress("text export", [&](const auto& told) { return export_text(*table, output, told); }, output);
    EXPECT_EQ(current_record(*table), 7);
    // The page names its file: the same name for both runs.
    same_with_progress(
        "HTML export", [&](const auto& told) { return export_html(*table, output, "T", {"A"}, told); }, output);

    // The text back in, each time into a fresh table.
    const std::string text = dir.file("IN.TXT"), copy = dir.file("COPY.DBF");
    ASSERT_EQ(export_text(*table, text), 1);
    const auto append = [&](const auto& told) {
        table.reset();
        write_table(copy, people, {});
        table = open_table(copy);
        return append_from(*table, text, told);
    };
    same_with_progress("append from text", append, copy);
}

// --- CSV import ---------------------------------------------------------

const std::vector<field_list_entry> import_fields = {
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
        write_table(path, import_fields, {});
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
        write_table(path, import_fields, {});
        EXPECT_EQ(append(e.csv, e.options), e.rows.empty() ? 0 : 1) << failure;
        EXPECT_EQ(table_rows(path), e.rows);
    }

    // Columns are matched by name, and strangers said once.
    write_table(path, import_fields, {});
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
    write_table(source, import_fields,
                {{record_of(import_fields, {"a \"q\", b", "  -12.50", "20240131", "T", ""})},
                 {record_of(import_fields, {arviz_852, "", "", "F", ""}), true}});
    put_memos(*open_table(source), 4, {"line\r\nbreak, \"quoted\""});
    for (const bool table_page : {false, true}) {
        SCOPED_TRACE(table_page);
        auto table = open_table(source);
        export_options options;
        options.delimiter = table_page ? ';' : ',';
        options.table_code_page = table_page;
        options.deleted = deleted_records::mark;
        ASSERT_EQ(export_table(*table, csv_path, options), 1) << table->failure;
        write_table(path, import_fields, {});
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
        write_table(path, import_fields, {});
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
    write_table(path, import_fields, {});
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

// --- a new table's structure from CSV -------------------------------------

std::string shape(const field_list_entry& field)
{
    return field.name + " " + field.type + "(" + std::to_string(field.length) + "," + std::to_string(field.decimals) +
           ")";
}

// A field is proposed only for values it stores and shows back as written.
TEST(csv_structure, a_column_proposes_the_field_its_values_keep)
{
    struct example {
        std::vector<std::string> values;
        std::string field;
    };
    const std::vector<example> examples = {
        {{"", "  "}, "X C(1,0)"},
        {{"T", "f", "true", "FALSE", "I", "n", "y", ""}, "X L(1,0)"},
        {{"T", "yes"}, "X C(3,0)"},
        {{"2024-01-31", "2024.02.29", ""}, "X D(8,0)"},
        {{"2024-02-30"}, "X C(10,0)"},
        {{"20240131"}, "X N(8,0)"},
        {{"-12", "0.25", "3.5", ""}, "X N(6,2)"},
        {{"0", "-7"}, "X N(2,0)"},
        {{"007", "1"}, "X C(3,0)"},
        {{"1e3"}, "X C(3,0)"},
        {{"-0"}, "X C(2,0)"},
        {{"-0.00", "1"}, "X C(5,0)"},
        {{"+5"}, "X C(2,0)"},
        {{"1."}, "X C(2,0)"},
        {{".5"}, "X C(2,0)"},
        {{"1.1234567890"}, "X C(12,0)"},
        {{"12345678901234567890"}, "X C(20,0)"},
        {{"1234567890123456789"}, "X N(19,0)"},
        {{"abc   ", "  x"}, "X C(3,0)"},
        {{"12 ", "T "}, "X C(2,0)"},
        {{"2024-01-31 "}, "X D(8,0)"},
        {{std::string(254, 'x')}, "X C(254,0)"},
        {{std::string(255, 'x')}, "X M(10,0)"},
    };
    for (const example& e : examples) {
        csv_column_survey survey;
        for (const std::string& value : e.values) survey.add(value, "YYYY.MM.DD");
        EXPECT_EQ(shape(survey.field("X")), e.field) << ::testing::PrintToString(e.values);
    }
}

TEST(csv_structure, column_names_become_valid_unique_field_names)
{
    const std::vector<std::string> columns = {
        "N\xE9v", "first name", "2024", "", "N\xC9V", "_id", "\xC1rv\xEDzt\xFBr\xF5 t\xFCk\xF6r", " a-b--c ",
        "LONGCOLUMNNAME1", "LONGCOLUMNNAME2", "LONGCOLUMNNAME3"};
    const std::vector<std::string> names = {"NEV",        "FIRST_NAME", "F2024",      "FIELD4",
                                            "NEV_2",      "_ID",        "ARVIZTURO_", "A_B_C",
                                            "LONGCOLUMN", "LONGCOLU_2", "LONGCOLU_3"};
    EXPECT_EQ(field_names_for_columns(columns), names);
}

// The file is read as the append reads it: encoding, delimiter and the
// delete flag column alike, widths counted in the table's code page.
TEST_F(csv_import_test, the_proposed_structure_reads_the_file_as_the_append_does)
{
    write_file(csv_path, "\xEF\xBB\xBFn\xC3\xA9v;Amount;_deleted\n" + arviz_utf8 + ";1,5;T\n;12;F\n");
    csv_structure structure;
    ASSERT_EQ(propose_csv_structure(csv_path, {}, code_page::cp852, structure), "");
    ASSERT_EQ(structure.fields.size(), 2u);
    EXPECT_EQ(shape(structure.fields[0]) + " " + shape(structure.fields[1]), "NEV C(5,0) AMOUNT C(3,0)");
    EXPECT_EQ(structure.column_fields, (std::vector<std::string>{"NEV", "AMOUNT", "_deleted"}));
    EXPECT_EQ(structure.renames, std::vector<std::string>{"Column n\xE9v is field NEV"});

    write_file(csv_path, "A\n1\n\"2\n");
    EXPECT_EQ(propose_csv_structure(csv_path, {}, code_page::cp852, structure),
              csv_path + ", line 3: the quote opened here is never closed");
    write_file(csv_path, "_deleted\nT\n");
    EXPECT_EQ(propose_csv_structure(csv_path, {}, code_page::cp852, structure),
              csv_path + ": the header row names no column for a field");
}

// --- code pages ---------------------------------------------------------

// "Kovács Éva" and friends in code page 852, enough to tell it by.
std::vector<std::string> hungarian_852()
{
    const std::vector<std::string> six = {"Kov\xA0" "cs \x90va", "Sz\x8Bke \x99" "d\x94n", "Gy\x8Br P\x82" "cs",
                                          "T\xA2th G\xA0" "bor",     "Sz\xFB" "cs \x9Anige",     "Kiss \xB5gnes"};
    std::vector<std::string> names;
    for (int i = 0; i < 6; ++i) names.insert(names.end(), six.begin(), six.end());
    return names;
}

TEST_F(transfer_test, a_cpg_file_then_byte_29_then_the_text_then_the_setting_decide)
{
    // `cpg_name`: "" for none.
    const struct {
        const char* what;
        std::string cpg_name, cpg_text;
        std::uint8_t byte;
        std::vector<std::string> names;
        const char* setting;
        std::string expected;
    } rows[] = {
        {"a .cpg in another letter case", "t.cpg", "ANSI 1250\r\n", 0x64, {"x"}, "1", "1250 (from t.cpg)"},
        {"a .cpg naming no code page", "T.CPG", "EBCDIC", 0x64, {"x"}, "1", "852 (from byte 29 = 0x64)"},
        {"byte 29", "", "", 0x57, {"x"}, "1", "1252 (from byte 29 = 0x57)"},
        {"an unknown byte 29", "", "", 0x13, hungarian_852(), "0", "852 (guessed from the text)"},
        {"plain ASCII", "", "", 0, {"Kovacs Eva"}, "0", "1250 (setting SET_OEMTOANSI)"},
        {"too little text", "", "", 0, {"Gy\x8Br"}, "1", "852 (setting SET_OEMTOANSI)"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        setting_by_index(SET_OEMTOANSI, r.setting);
        if (!r.cpg_name.empty()) write_file(dir.file(r.cpg_name), r.cpg_text);
        auto table = open_with(r.names, r.byte);
        EXPECT_EQ(code_page_description(table->codepage), r.expected);
        if (!r.cpg_name.empty()) std::remove(dir.file(r.cpg_name).c_str());
    }
}

TEST_F(transfer_test, text_the_program_cannot_show_reads_as_question_marks_and_is_never_stored_back)
{
    // "Москва" in UTF-8: six characters, twelve bytes.
    const std::string moscow = "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0";
    auto table = open_with({moscow, "Gy\xC5\x91r"});
    choose_code_page(*table, code_page::utf8);
    EXPECT_EQ(field_text(*table, 0), "??????");
    EXPECT_FALSE(field_shown_whole(*table, 0));
    ASSERT_EQ(go_to(*table, 2), 1);
    EXPECT_EQ(field_text(*table, 0), "Gy\xF5r       ");
    EXPECT_TRUE(field_shown_whole(*table, 0));

    // A text is cut between characters, and refused with the character the
    // code page lacks, the record buffer then as it was.
    const std::string before(table->record.begin(), table->record.end());
    ASSERT_EQ(store_field_value(*table, 0, "Kov\xE1" "cs  \xF5\xF5"), "");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(table->record.data()) + 1, 12), "Kov\xC3\xA1" "cs  \xC5\x91 ");
    choose_code_page(*table, code_page::cp852);
    std::copy(before.begin(), before.end(), table->record.begin());
    EXPECT_EQ(store_field_value(*table, 0, "10 \x80"), "NAME C(12) cannot hold \"\x80\" (U+20AC): code page 852 has no such character");
    EXPECT_EQ(std::string(table->record.begin(), table->record.end()), before);

    // A memo likewise: refused with its reason, the memo file unchanged.
    ASSERT_EQ(lock_table(*table), 1);
    const std::string memo_file = read_file(dbt_file_name(path));
    EXPECT_EQ(memo_write(*table, 1, "\x84id\xE9zet\x94"), 0);
    EXPECT_EQ(table->failure, "The memo NOTE cannot hold \"\x84\" (U+201E): code page 852 has no such character");
    EXPECT_EQ(read_file(dbt_file_name(path)), memo_file);
    unlock(*table);

    // The chosen code page outlasts opening the table again.
    table_close(*table);
    ASSERT_EQ(table_open(*table), 1);
    EXPECT_EQ(code_page_description(table->codepage), "852 (chosen)");

    // Pages of a multi-byte code page show what Windows-1250 holds.
    table = open_with({"\xD6\xD0\xCE\xC4 abc"}, 0x4D);  // "中文 abc" in 936
    const std::string page = dir.file("OUT.HTM");
    ASSERT_EQ(export_html(*table, page, "T", {"NAME", "NOTE"}), 1);
    EXPECT_NE(read_file(page).find("<TD>?? abc    </TD>"), std::string::npos);
    ASSERT_EQ(export_html(*table, page, "T", {"NAME", "NOTE"}, {}, export_encoding::utf8), 1);
    EXPECT_NE(read_file(page).find("<TD>\xE4\xB8\xAD\xE6\x96\x87 abc    </TD>"), std::string::npos);
}

}  // namespace
}  // namespace vortel
