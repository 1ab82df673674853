#include "cli/print_command.h"
#include "cli/tests/cli_run.h"

#include "commands/tests/command_test_support.h"
#include "engine/tests/table_fixture.h"
#include "grid/column_model.h"
#include "platform/read_only_medium.h"
#include "runtime/version.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>

#include <unistd.h>

namespace vortel {
namespace {

using testing::cli_result;
using testing::read_file;
using testing::record_of;
using testing::run_cli_with;
using testing::write_file;

class cli_test : public testing_support::with_default_settings {
protected:
    void SetUp() override
    {
        with_default_settings::SetUp();
        testing::copy_sample_table(table);
    }

    static cli_result run(const std::vector<std::string>& arguments, const std::string& input = "")
    {
        return testing::run_cli_with(arguments, input);
    }
    std::string sample_bytes() const { return testing::table_bytes(table); }

    testing::scratch_dir dir;
    std::string table = dir.file("DOLGOZO.DBF");
};

TEST_F(cli_test, usage_errors_exit_with_two_and_help_and_version_with_zero)
{
    const std::vector<std::vector<std::string>> usage_errors = {
        {}, {"frobnicate"}, {"--set", "SET_NOPE=1", "structure", table}, {"--set", "SET_DELETED", "structure", table},
        {"--set", "SET_CEGNEV=" + std::string(51, 'x'), "structure", table},
        {"memo", table, "1"}, {"memo", table, "x", "NEV"}, {"memo", table, "1", "NEV", "--bogus"}};
    for (const auto& arguments : usage_errors) EXPECT_EQ(run(arguments).status, cli_usage_error) << ::testing::PrintToString(arguments);
    cli_result help = run({"--help"});
    EXPECT_EQ(help.status, cli_success);
    EXPECT_NE(help.out.find("memo T N FIELD"), std::string::npos);
    EXPECT_EQ(run({"--version"}).out, std::string("vortel-cli ") + vortel_version + "\n");
}

TEST_F(cli_test, a_table_that_does_not_open_is_a_failure_in_the_program_s_words)
{
    cli_result result = run({"memo", dir.file("NONE.DBF"), "1", "NOTES"});
    EXPECT_EQ(result.status, cli_failure);
    EXPECT_EQ(result.errors, "Can't open : " + dir.file("NONE.DBF") + "\nNo such file or folder\n");
    // A name the terminal spells in UTF-8 is named as typed, and the reason
    // that names a file too.
    const std::string accented = dir.file("ÁRVÍZ.DBF");
    testing::write_table(accented, {{"NOTE", 'M', 10, 0}}, {});
    std::remove(dbt_file_name(accented).c_str());
    const std::string structure = run({"structure", accented}).out;
    EXPECT_NE(structure.find("Read-only    : the memo file ÁRVÍZ.DBT is missing\n"), std::string::npos) << structure;
    EXPECT_NE(structure.find("Last update  : 2026.12.06\n"), std::string::npos) << "a date, not the year byte";
    EXPECT_EQ(run({"new", accented}).errors, "The table is read-only: the memo file ÁRVÍZ.DBT is missing\n");
}

// A table that may only be read answers every reading command as any table
// does, and refuses the changing ones with one line that says why.
TEST_F(cli_test, read_only_tables_are_read_as_any_and_every_change_says_why)
{
    const std::string before = sample_bytes();
    const cli_result plain = run({"list", table, "--count", "3"});
    const struct {
        const char* what;
        std::vector<std::string> options;
        int refusal;  // the file system's refusal to write; 0 for none
        std::string reason;
    } cases[] = {
        {"--read-only", {"--read-only"}, 0, "opened read-only as asked"},
        {"no write permission", {}, EACCES, "the file is read-only (permission denied)"},
        {"a read-only file system", {"--set", "SET_DELETED=0"}, EROFS, "the file is read-only (read-only file system)"},
    };
    const std::vector<std::vector<std::string>> changes = {
        {"set", table, "1", "NEV", "x"}, {"delete", table, "1"}, {"new", table}, {"memo", table, "1", "MEGJEGYZES", "--write", "-"},
        {"append", table, table},         {"sort", table, "NEV"}, {"pack", table}, {"zap", table},
        {"modify", table, "NEV:C:10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<read_only_medium> medium;
        if (c.refusal) medium.emplace(c.refusal);
        const auto with_options = [&](std::vector<std::string> arguments) {
            arguments.insert(arguments.begin(), c.options.begin(), c.options.end());
            return run(arguments);
        };
        const cli_result listed = with_options({"list", table, "--count", "3"});
        EXPECT_EQ(listed.out, plain.out);
        EXPECT_EQ(listed.errors, "") << "reading commands say nothing more";
        EXPECT_NE(with_options({"info", table}).out.find("Read-only  : " + c.reason + "\n"), std::string::npos);
        for (const auto& change : changes) {
            const cli_result refused = with_options(change);
            EXPECT_EQ(refused.status, cli_failure) << change[0];
            EXPECT_EQ(refused.errors, "The table is read-only: " + c.reason + "\n") << change[0];
        }
        EXPECT_EQ(sample_bytes(), before);
    }
    EXPECT_NE(run({"--help"}).out.find("--read-only"), std::string::npos);
}

TEST_F(cli_test, list_shows_cells_as_the_table_window_does_and_escapes_what_would_split_them_unless_raw)
{
    cli_result result = run({"list", table, "--from", "6", "--count", "2"});
    ASSERT_EQ(result.status, cli_success) << result.errors;
    EXPECT_EQ(result.out,
              "\tDeleted\tNEV\tVAROS\tSZULETETT\tBELEPETT\tFIZETES\tPREMIUM\tAKTIV\tMEGJEGYZES\n"
              "6\t \tSzűcs Éva                     \tGyőr                \t1959.10.25\t1990.07.09\t   924000\t 21.6\tT\t<-MEMO->\n"
              "7\t*\tGál Krisztina                 \tHódmezővásárhely    \t1955.09.21\t1976.09.06\t  1077000\t 15.2\tT\t<-MEMO->\n");

    cli_result hidden = run({"--set", "SET_DELETED=1", "--set", "SET_DATEFORMAT=DD.MM.YYYY", "list", table, "--from", "6",
                             "--count", "2"});
    EXPECT_EQ(hidden.out.find("\n7\t"), std::string::npos) << "deleted record 7 is passed over";
    EXPECT_NE(hidden.out.find("\n8\t \tBalogh Anikó"), std::string::npos) << hidden.out;
    EXPECT_NE(hidden.out.find("\t25.10.1959\t"), std::string::npos) << hidden.out;

    cli_result all = run({"list", table});
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 121);

    // A field holding a tab or a line end must not pass for more cells or rows.
    const std::vector<field_list_entry> fields = {{"TEXT", 'C', 8, 0}};
    const std::string path = dir.file("ODD.DBF");
    testing::write_table(path, fields, {{testing::record_of(fields, {"a\tb\nc\\\r"})}});
    EXPECT_EQ(run({"list", path}).out, "\tDeleted\tTEXT\n1\t \ta\\tb\\nc\\\\\\r \n");
    EXPECT_EQ(run({"list", path, "--raw"}).out, "\tDeleted\tTEXT\n1\t \ta\tb\nc\\\r \n");
}

// --where walks the records an SQL condition keeps, as the window's filter
// does, in every command that writes records out.
TEST_F(cli_test, where_lists_and_writes_only_the_records_the_condition_keeps)
{
    const std::string ozd = "VAROS = 'Ózd' AND FIZETES > 900000";
    const auto numbers = [](const std::string& listed) {
        std::string found;
        for (std::size_t at = listed.find('\n'); at != std::string::npos && at + 1 < listed.size();
             at = listed.find('\n', at + 1)) {
            found += listed.substr(at + 1, listed.find('\t', at) - at - 1) + " ";
        }
        return found;
    };
    EXPECT_EQ(numbers(run({"list", table, "--where", ozd}).out), "54 80 99 ");
    EXPECT_EQ(numbers(run({"list", table, "--where", ozd, "--from", "60", "--count", "1"}).out), "80 ");
    EXPECT_EQ(numbers(run({"list", table, "--where", "_recno BETWEEN 5 AND 9"}).out), "5 6 7 8 9 ");
    EXPECT_EQ(numbers(run({"--set", "SET_DELETED=1", "list", table, "--where", "_recno BETWEEN 5 AND 9"}).out),
              "5 6 8 9 ") << "deleted record 7 stays hidden";
    EXPECT_EQ(numbers(run({"list", table, "--where", "FIZETES < 0"}).out), "");

    const std::string csv = dir.file("OUT.csv");
    ASSERT_EQ(run({"export", table, csv, "--where", ozd}).status, cli_success);
    const std::string exported = read_file(csv);
    EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), 4) << exported;
    const std::string text = dir.file("OUT.TXT");
    ASSERT_EQ(run({"copy-to", table, text, "--where", ozd, "--encoding", "utf-8"}).status, cli_success);
    EXPECT_TRUE(read_file(text).starts_with("Juhász István")) << read_file(text);

    const cli_result refused = run({"list", table, "--where", "NOSUCH > 1"});
    EXPECT_EQ(std::tuple(refused.status, refused.out, refused.errors),
              std::tuple(cli_failure, "", "vortel-cli: --where: no such column: NOSUCH\n"));
    EXPECT_EQ(run({"export", table, dir.file("OUT.sqlite"), "--where", ozd}).status, cli_usage_error);
}

TEST_F(cli_test, record_and_memo_changes_go_through_the_commands_of_the_table_window_and_memos_print_in_utf8)
{
    EXPECT_EQ(run({"set", table, "1", "nev", "Kiss Ödön"}).status, cli_success);
    EXPECT_EQ(run({"set", table, "1", "SZULETETT", "2001.02.30"}).errors, "Bad date !\n");
    const std::string listed = run({"list", table, "--count", "1"}).out;
    EXPECT_EQ(listed.substr(listed.find('\n') + 1),
              "1\t \tKiss Ödön                     \tÓzd                 \t1988.01.28\t2022.06.25\t   833000\t 15.1\tT\t<-MEMO->\n");

    EXPECT_EQ(run({"new", table}).out, "121\n");

    // Memos print in UTF-8 and are written from the standard input.
    const cli_result memo = run({"memo", table, "4", "megjegyzes"});
    EXPECT_EQ(memo.status, cli_success) << memo.errors;
    EXPECT_EQ(memo.out.rfind("Árvíztűrő tükörfúrógép", 0), 0u) << memo.out;
    EXPECT_EQ(run({"memo", table, "1", "NEV"}).errors, "vortel-cli: not a memo field\n");
    EXPECT_EQ(run({"memo", table, "2", "MEGJEGYZES", "--write", "-"}, "Új szöveg: őű\r\nmásodik sor").status, cli_success);
    EXPECT_EQ(run({"memo", table, "2", "MEGJEGYZES"}).out, "Új szöveg: őű\r\nmásodik sor");
}

// Record 7 of the sample is deleted and record 8 is Balogh Anikó. Moving to
// a record the way navigation does would pass a hidden deleted record and
// act on the next one.
TEST_F(cli_test, commands_naming_a_record_act_on_exactly_that_record)
{
    const std::string before = sample_bytes();
    const std::string hidden = "vortel-cli: record 7 is deleted (SET_DELETED=1 hides it)\n";
    struct entry {
        std::vector<std::string> arguments;
        std::string errors;
    };
    const entry refused[] = {
        {{"set", table, "7", "NEV", "XX"}, hidden},
        {{"delete", table, "7"}, hidden},
        {{"memo", table, "7", "MEGJEGYZES"}, hidden},
        {{"memo", table, "7", "MEGJEGYZES", "--write", "-"}, hidden},
        {{"set", table, "121", "NEV", "XX"}, "vortel-cli: no record 121\n"},
        {{"delete", table, "0"}, "vortel-cli: no record 0\n"},
    };
    for (const entry& c : refused) {
        std::vector<std::string> arguments = {"--set", "SET_DELETED=1"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const cli_result result = run(arguments, "new memo");
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments[2]);
        EXPECT_EQ(result.status, cli_failure);
        EXPECT_EQ(result.errors, c.errors);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(sample_bytes(), before);
    }

    // Shown deleted records are acted on; a delete recalls.
    EXPECT_EQ(run({"set", table, "7", "NEV", "XX"}).status, cli_success);
    EXPECT_EQ(run({"delete", table, "7"}).status, cli_success);
    const std::string listed = run({"list", table, "--from", "7", "--count", "2"}).out;
    EXPECT_NE(listed.find("\n7\t \tXX "), std::string::npos) << listed;
    EXPECT_NE(listed.find("\n8\t \tBalogh Anikó"), std::string::npos) << listed;

    // A search from a hidden record compares the one after it; a listing
    // starts at its record and has nothing past the last one.
    run({"delete", table, "7"});
    EXPECT_EQ(run({"--set", "SET_DELETED=1", "search", table, "Balogh", "--from", "7"}).out, "8\n");
    EXPECT_EQ(run({"list", table, "--from", "121"}).out.find("\n120\t"), std::string::npos);
}

TEST_F(cli_test, a_name_two_fields_share_is_refused_and_numbers_name_every_field)
{
    // A GPS export as other programs write it: two fields named POINT_ID.
    const std::vector<field_list_entry> fields = {{"POINT_ID", 'C', 12, 0}, {"Point_ID", 'N', 9, 0}, {"NOTE", 'C', 6, 0}};
    const std::string gps = dir.file("GPS.DBF");
    testing::write_table(gps, fields, {{testing::record_of(fields, {"A-17", "       42", "spring"})}});
    const std::string twice = "vortel-cli: two fields are named POINT_ID (#1 and #2): give the field as #1 or #2\n";
    EXPECT_EQ(run({"set", gps, "1", "point_id", "7"}).errors, twice);
    EXPECT_EQ(run({"search", gps, "42", "--column", "POINT_ID"}).errors, twice);
    EXPECT_EQ(run({"set", gps, "1", "#4", "7"}).errors, "vortel-cli: no field #4: the table has 3 fields\n");
    EXPECT_EQ(run({"set", gps, "1", "#0", "7"}).status, cli_failure);

    ASSERT_EQ(run({"set", gps, "1", "#2", "7"}).status, cli_success);
    ASSERT_EQ(run({"set", gps, "1", "#3", "autumn"}).status, cli_success);
    const std::string bytes = testing::read_file(gps);
    const std::size_t record = bytes.size() - (1 + 12 + 9 + 6);
    EXPECT_EQ(bytes.substr(record + 1, 12 + 9), "A-17                7") << "the text field keeps its bytes";
    EXPECT_EQ(run({"search", gps, "7", "--column", "#2"}).errors, "Search string not found.\n") << "the only record is the start";
    EXPECT_EQ(run({"list", gps}).out, "\tDeleted\tPOINT_ID\tPoint_ID\tNOTE\n1\t \tA-17        \t        7\tautumn\n");
    EXPECT_NE(run({"info", gps}).out.find("  1 POINT_ID   C     12       0\n  2 Point_ID   N      9       0\n"),
              std::string::npos);

    const auto opened = testing::open_table(gps);
    ASSERT_TRUE(opened);
    browse_object browse = table_browse(*opened);
    // Chosen columns print in the order named, each once.
    for (const auto& [names, chosen_fields] : {std::pair{"", std::vector<int>{0, 1, 2}},
                                        std::pair{"NOTE,#2", std::vector<int>{2, 1}},
                                        std::pair{"#2,NOTE,#1,note", std::vector<int>{1, 2, 0}}}) {
        EXPECT_EQ(choose_print_columns(browse, names), "");
        std::vector<int> chosen;
        for (const column_descriptor& column : browse.columns)
            if (column.print_selected) chosen.push_back(column.field);
        EXPECT_EQ(chosen, chosen_fields) << names;
        EXPECT_EQ(browse.columns.size(), 4u);
    }
    EXPECT_EQ(choose_print_columns(browse, "NOTE,Point_ID"), twice.substr(0, twice.size() - 1));
    EXPECT_EQ(choose_print_columns(browse, "NOTE,"), "vortel-cli: no field (empty)");

    // Paper and margins that cannot be laid out are usage errors, told
    // before anything is written; papers are named in any letter case.
    const std::string pdf = dir.file("LIST.PDF");
    const std::pair<std::vector<std::string>, std::string> page_options[] = {
        {{"--paper", "b5"}, "vortel-cli: no such paper: b5 (A4|A3|A5|Letter|Legal)\n"},
        {{"--margins", "x"}, "The margins must be a number of millimetres from 0: x\n"},
        {{"--margins", "-1"}, "The margins must be a number of millimetres from 0: -1\n"},
        {{"--paper", "A5", "--margins", "38"}, "Margins of 38 mm leave too little of A5 paper: at most 37 mm\n"},
    };
    for (const auto& [options, told] : page_options) {
        std::vector<std::string> arguments = {"print", gps, pdf};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const cli_result refused = run(arguments);
        EXPECT_EQ(std::pair(refused.status, refused.errors), std::pair(int{cli_usage_error}, told));
    }
    const cli_result fits = run({"print", gps, pdf, "--paper", "letter", "--landscape", "--margins", "53.9"});
    EXPECT_EQ(fits.status, cli_failure) << "past the page options, to the missing printing twin";
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(cli_test, a_record_locked_elsewhere_is_busy)
{
    const auto holder = testing::holding(TABLE_PROBE, {"hold-record", table, "3"});
    cli_result result = run({"set", table, "3", "NEV", "x"});
    EXPECT_EQ(result.status, cli_failure);
    EXPECT_EQ(result.errors, "The record busy.\n");
    EXPECT_EQ(run({"delete", table, "3"}).errors, "The record busy.\n");
    EXPECT_EQ(run({"new", table}).errors, "The table busy !\n");
    EXPECT_EQ(run({"set", table, "4", "NEV", "x"}).status, cli_success);
}

TEST_F(cli_test, search_and_info)
{
    EXPECT_EQ(run({"search", table, "szeged", "--case"}).status, cli_failure);
    EXPECT_EQ(run({"search", table, "x", "--column", "NOSUCH"}).status, cli_failure);
    EXPECT_EQ(run({"search", table, "szeged", "--from", "4", "--up"}).out, "3\n");

    EXPECT_EQ(run({"info", table}).out.find('\r'), std::string::npos) << "the window's lines, with the system's line ends";
}

TEST_F(cli_test, tables_are_created_restructured_packed_and_zapped)
{
    const std::string fresh = dir.file("NEW.DBF");
    EXPECT_EQ(run({"create", fresh, "NAME:C:20", "AGE:N:3", "NOTE:M"}).status, cli_success);
    EXPECT_EQ(run({"create", fresh, "X:C"}).errors, "The file already exist, overwite ?\n");
    EXPECT_EQ(run({"create", fresh, "X:C", "--overwrite"}).status, cli_success);
    EXPECT_EQ(run({"create", dir.file("BAD.DBF"), "1X:C"}).errors, "Bad field name!\n");
    EXPECT_EQ(run({"info", fresh}).out.find("NAME"), std::string::npos) << "overwritten";

    EXPECT_EQ(run({"pack", table}).status, cli_success);
    EXPECT_EQ(run({"modify", table, "NEV:C:10", "MEGJEGYZES:C:20"}).status, cli_success);
    EXPECT_EQ(run({"zap", table}).status, cli_success);
    EXPECT_EQ(run({"list", table}).out, "\tDeleted\tNEV\tMEGJEGYZES\n");
}

TEST_F(cli_test, records_travel_through_text_html_and_other_tables_and_sort)
{
    const std::string text = dir.file("OUT.TXT");
    ASSERT_EQ(run({"copy-to", table, text}).status, cli_success);
    EXPECT_EQ(run({"copy-to", table, text}).errors, "The file already exist, overwite ?\n");
    EXPECT_EQ(run({"copy-to", table, text, "--overwrite"}).status, cli_success);

    const std::string copy = dir.file("COPY.DBF");
    ASSERT_EQ(run({"create", copy, "NEV:C:30", "VAROS:C:20"}).status, cli_success);
    ASSERT_EQ(run({"append", copy, table}).status, cli_success);
    ASSERT_EQ(run({"append", copy, copy}).errors, "The table busy !\n");

    const std::string page = dir.file("OUT.HTML");
    ASSERT_EQ(run({"--set", "SET_CEGNEV=Kft & Társa", "html", copy, page}).status, cli_success);
    const std::string html = testing::read_file(page);
    EXPECT_NE(html.find("<TITLE>Kft &amp; T\xE1rsa</TITLE>"), std::string::npos) << html.substr(0, 200);

    cli_result sorted = run({"sort", copy, "VAROS+NEV", "--magyar"});
    EXPECT_EQ(sorted.out, "The sort is ready.\n");
    const std::string first = run({"list", copy, "--count", "1"}).out;
    EXPECT_NE(first.find("\tBékéscsaba"), std::string::npos) << first;
    EXPECT_EQ(run({"sort", copy, "NOSUCH"}).errors, "The sort is not succesful!\n");
}

// Commands that write files refuse the ones that would destroy a table, and
// say why in the program's words.
TEST_F(cli_test, writing_commands_refuse_what_would_destroy_a_table_and_say_why)
{
    testing::write_file(dir.file("ORPHAN.DBF"), testing::read_file(table));  // its memo file is missing
    // A memo file named in the other letter case, as tables travel between systems.
    const std::string mixed = dir.file("mixed.dbf");
    testing::write_file(mixed, testing::read_file(table));
    testing::write_file(dir.file("MIXED.DBT"), testing::read_file(dbt_file_name(table)));
    ASSERT_EQ(::symlink("DOLGOZO.DBT", dir.file("MEMO.TXT").c_str()), 0);
    ASSERT_EQ(::symlink("LINKED.DBF", dir.file("LINKED.DBT").c_str()), 0);
    const auto run = [](const std::vector<std::string>& arguments) {
        const testing::cli_result result = testing::run_cli_with(arguments);
        return std::pair{result.status, result.errors};
    };
    ASSERT_EQ(run({"create", dir.file("PLAIN.DAT"), "A:C:5"}).first, 0) << "without memo fields any name does";
    const auto files = [&] {
        return testing::table_bytes(table) + read_file(dir.file("MIXED.DBT")) + read_file(dir.file("PLAIN.DAT"));
    };
    const std::string before = files();

    // The memo file of X.DAT would be X.DAT itself: creating it would empty
    // the table just written.
    const std::string memo_refusal = " cannot have memo fields: its memo file would be the table itself "
                                     "(choose a name whose last letter is not T)\n";
    const struct {
        std::vector<std::string> arguments;
        std::string errors;
    } cases[] = {
        {{"create", dir.file("X.DAT"), "A:C:5", "M:M"}, dir.file("X.DAT") + memo_refusal},
        {{"modify", dir.file("PLAIN.DAT"), "A:C:5", "M:M"}, dir.file("PLAIN.DAT") + memo_refusal},
        {{"create", dir.file("LINKED.DBF"), "M:M"},
         dir.file("LINKED.DBT") + " is the table file itself: a table with memo fields needs a memo file of its own\n"},
        {{"copy-to", table, dir.file("MEMO.TXT"), "--overwrite"},
         dir.file("MEMO.TXT") + " is the memo file of the table: choose another file\n"},
        {{"copy-to", mixed, dir.file("MIXED.DBT"), "--overwrite"},
         dir.file("MIXED.DBT") + " is the memo file of the table: choose another file\n"},
        {{"html", table, dir.file("NO/OUT.HTM")}, "No such file or folder: " + dir.file("NO/OUT.HTM") + "\n"},
        {{"append", table, dir.file("ORPHAN.DBF")},
         "Append error !\n" + dir.file("ORPHAN.DBF") + ": the memo file ORPHAN.DBT is missing\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(run(c.arguments), std::pair(1, c.errors)) << c.arguments[0];
    EXPECT_EQ(files(), before);
    EXPECT_EQ(::access(dir.file("X.DAT").c_str(), F_OK), -1) << "nothing was created";
    EXPECT_EQ(::access(dir.file("LINKED.DBF").c_str(), F_OK), -1);
}

// Tables in the shapes other programs write, and damaged ones: per shape,
// what `list`, a change (`set`) and `structure` do. The open and the
// structure listing judge alike, so each shape names one reason for both.
//
// A memo file whose block 2 holds `text`, the next free block 3.
std::string memo_file_with(const std::string& text)
{
    std::string bytes(1024, '\0');
    bytes[0] = 3;
    bytes[16] = 3;
    return bytes + text + "\x1A\x1A";
}

enum class opens { writable, read_only, refused };

struct shape {
    const char* what;  // the shape, and which programs write it
    const char* table_name;
    std::function<void(const std::string& path)> write;
    opens outcome;
    std::string reason;          // why read-only or refused, as both the open and structure say it
    std::vector<std::vector<std::string>> listed;  // each listed record's field cells, trimmed
    int column;                  // the field `set` changes in record 1, counted from 0
    std::string value;
    std::string shown_after;     // that cell as listed after the change
};

const std::vector<field_list_entry> memo_fields = {{"NAME", 'C', 6, 0}, {"NOTE", 'M', 10, 0}};
const std::vector<field_list_entry> plain_fields = {{"NAME", 'C', 6, 0}, {"AGE", 'N', 3, 0}};

void three_people(const std::string& path)
{
    testing::write_table(path, plain_fields, testing::records_of(plain_fields, {{"Anna", " 30"}, {"Bela", " 41"}, {"Cili", " 52"}}));
}

// Three people with `bytes` written over the file at `offset`.
std::function<void(const std::string&)> three_people_patched(std::size_t offset, std::string bytes)
{
    return [=](const std::string& path) {
        three_people(path);
        testing::patch_file(path, offset, bytes);
    };
}

// A table of one record.
std::function<void(const std::string&)> one_record(std::vector<field_list_entry> fields, std::vector<std::string> values)
{
    return [=](const std::string& path) { testing::write_table(path, fields, {{record_of(fields, values)}}); };
}

// A memo table written whole under `memo_name`, beside the table.
std::function<void(const std::string&)> memo_table_with_memo_file(const std::string& memo_name)
{
    return [memo_name](const std::string& path) {
        testing::write_table(path, memo_fields, {{record_of(memo_fields, {"Anna", "         2"})}});
        std::remove(dbt_file_name(path).c_str());
        write_file(path.substr(0, path.rfind('/') + 1) + memo_name, memo_file_with("hello"));
    };
}

std::vector<std::vector<std::string>> listed_cells(const std::string& out)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);  // the captions
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream parts(line);
        for (std::string cell; std::getline(parts, cell, '\t');) {
            const std::size_t first = cell.find_first_not_of(' ');
            cells.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
        }
        // The record number and the deleted mark go; the fields stay.
        rows.push_back(std::vector<std::string>(cells.begin() + 2, cells.end()));
    }
    return rows;
}

TEST(cli_shapes_test, open_list_change_and_structure_agree_on_every_shape)
{
    const std::vector<shape> shapes = {
        {"python3-dbf and most Unix tools: lower-case names, the memo file pd.dbt", "pd.dbf",
         memo_table_with_memo_file("pd.dbt"), opens::writable, "", {{"Anna", "<-MEMO->"}}, 0, "Zoe", "Zoe"},
        {"a memo file named in the other letter case", "pd.dbf", memo_table_with_memo_file("PD.DBT"), opens::writable,
         "", {{"Anna", "<-MEMO->"}}, 0, "Zoe", "Zoe"},
        {"shapefile tables from GIS programs: F(19,11), the decimals in byte 17 as for N", "SHAPE.DBF",
         [](const std::string& path) {
             one_record({{"AREA", 'N', 19, 11}, {"CODE", 'C', 2, 0}}, {"      1.25000000000", "HU"})(path);
             testing::patch_file(path, 32 + 11, "F");
         },
         opens::writable, "", {{"1.25000000000", "HU"}}, 0, "2,5", "2.50000000000"},
        {"a character field of 300 before another field, its length's high byte in byte 17", "LONG.DBF",
         one_record({{"TEXT", 'C', 300, 0}, {"CODE", 'C', 2, 0}}, {std::string(299, 'x') + "y", "HU"}),
         opens::writable, "", {{std::string(299, 'x') + "y", "HU"}}, 1, "AT", "AT"},
        {"a date field stored with length 3: dates take 8, so the fields after it do not fit", "SHORT.DBF",
         one_record({{"BORN", 'D', 3, 0}, {"CODE", 'C', 2, 0}}, {"202", "HU"}),
         opens::refused, "the date field BORN is 3 characters long, but dates take 8", {}, 0, "", ""},
        {"a dBase IV table", "FOUR.DBF", three_people_patched(0, "\x8B"), opens::read_only,
         "a dBase IV table (version 0x8B): shown read-only", {{"Anna", "30"}, {"Bela", "41"}, {"Cili", "52"}}, 0, "Zoe", ""},
        {"a version byte no dBase-family program writes", "ODD.DBF", three_people_patched(0, "\x7F"), opens::refused,
         "version byte 0x7F: not a dBase III table", {}, 0, "", ""},
        {"a copy cut short: the header counts 3 records, the file holds 2 and a half", "CUT.DBF",
         [](const std::string& path) {
             three_people(path);
             write_file(path, read_file(path).substr(0, read_file(path).size() - 5));
         },
         opens::read_only, "the header says 3 records but the file holds 2; vortel-cli repair writes the count the file holds",
         {{"Anna", "30"}, {"Bela", "41"}}, 0, "Zoe", ""},
        {"an append killed before its count: 2 records counted, 3 in the file", "KILLED.DBF",
         three_people_patched(4, std::string("\x02", 1)), opens::read_only,
         "the header says 2 records but the file holds 1 more after them; vortel-cli repair writes the count the file "
         "holds",
         {{"Anna", "30"}, {"Bela", "41"}}, 0, "Zoe", ""},
        {"an end-of-file mark and a partial record after the counted ones are no records", "TAIL.DBF",
         [](const std::string& path) {
             three_people_patched(4, std::string("\x02", 1))(path);
             write_file(path, read_file(path).substr(0, read_file(path).size() - 10) + "\x1A");
         },
         opens::writable, "", {{"Anna", "30"}, {"Bela", "41"}}, 0, "Zoe", "Zoe"},
    };

    for (const shape& s : shapes) {
        SCOPED_TRACE(s.what);
        testing::scratch_dir dir;
        const std::string path = dir.file(s.table_name);
        s.write(path);

        const auto structure = run_cli_with({"structure", path});
        const std::size_t read_only_line = structure.out.find("Read-only    : ");
        const auto list = run_cli_with({"list", path});
        if (s.outcome == opens::refused) {
            EXPECT_EQ(list.errors, "Can't open : " + path + "\n" + s.reason + "\n");
            EXPECT_EQ(structure.status, 1);
            EXPECT_EQ(structure.errors, path + ": " + s.reason + "\n");
            continue;
        }
        EXPECT_EQ(list.errors, "");
        EXPECT_EQ(listed_cells(list.out), s.listed);
        EXPECT_EQ(structure.status, 0) << structure.errors;
        if (s.outcome == opens::writable) {
            EXPECT_EQ(read_only_line, std::string::npos) << structure.out;
        } else {
            EXPECT_NE(structure.out.find("Read-only    : " + s.reason + "\n"), std::string::npos) << structure.out;
        }

        const std::string before = read_file(path);
        const auto change = run_cli_with({"set", path, "1", "#" + std::to_string(s.column + 1), s.value});
        if (s.outcome == opens::read_only) {
            EXPECT_EQ(change.errors, "The table is read-only: " + s.reason + "\n");
            EXPECT_EQ(read_file(path), before);
            continue;
        }
        EXPECT_EQ(change.errors, "");
        const auto after = listed_cells(run_cli_with({"list", path}).out);
        ASSERT_FALSE(after.empty()) << "the change left nothing to list";
        EXPECT_EQ(after.front().at(static_cast<std::size_t>(s.column)), s.shown_after);
    }
}

}  // namespace
}  // namespace vortel
