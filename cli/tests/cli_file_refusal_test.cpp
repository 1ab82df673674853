// Commands that write files refuse the ones that would destroy a table, and
// say why in the program's words.
#include "cli/tests/cli_run.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace vortel {
namespace {

TEST(cli_file_refusal_test, writing_commands_refuse_what_would_destroy_a_table_and_say_why)
{
    testing::scratch_dir dir;
    const std::string table = dir.file("DOLGOZO.DBF");
    testing::copy_sample_table(table);
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
        return testing::read_file(table) + testing::read_file(dbt_file_name(table)) + testing::read_file(dir.file("MIXED.DBT")) +
               testing::read_file(dir.file("PLAIN.DAT"));
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

}  // namespace
}  // namespace vortel
