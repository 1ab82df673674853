// Commands that write files refuse the ones that would destroy a table, and
// say why in the program's words.
#include "cli/cli_app.h"

#include "engine/dbf_format.h"
#include "shell/settings.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

namespace vortel {
namespace {

struct cli_result {
    int status;
    std::string errors;
};

cli_result run(const std::vector<std::string>& arguments)
{
    std::istringstream in;
    std::ostringstream out, errors;
    const int status = run_cli(arguments, in, out, errors);
    settings_restore_defaults();
    return {status, errors.str()};
}

class cli_file_refusal_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings_restore_defaults();
        testing::write_file(table, testing::read_file(SAMPLE_TABLE));
        testing::write_file(dbt_file_name(table), testing::read_file(dbt_file_name(SAMPLE_TABLE)));
    }

    std::string table_bytes() const { return testing::read_file(table) + testing::read_file(dbt_file_name(table)); }

    testing::scratch_dir dir;
    std::string table = dir.file("DOLGOZO.DBF");
};

// A table whose memo file name is its own name: creating the memo file
// would empty the table just written.
TEST_F(cli_file_refusal_test, a_table_with_memo_fields_needs_a_memo_file_of_its_own)
{
    ASSERT_EQ(::symlink("LINKED.DBF", dir.file("LINKED.DBT").c_str()), 0);
    const std::string refusal = " cannot have memo fields: its memo file would be the table itself "
                                "(choose a name whose last letter is not T)\n";
    const struct {
        std::vector<std::string> arguments;
        std::string errors;
    } cases[] = {
        {{"create", dir.file("X.DAT"), "A:C:5", "M:M"}, dir.file("X.DAT") + refusal},
        {{"create", dir.file("LINKED.DBF"), "M:M"},
         dir.file("LINKED.DBT") + " is the table file itself: a table with memo fields needs a memo file of its own\n"},
        {{"modify", dir.file("PLAIN.DAT"), "A:C:5", "M:M"}, dir.file("PLAIN.DAT") + refusal},
    };
    ASSERT_EQ(run({"create", dir.file("PLAIN.DAT"), "A:C:5"}).status, 0) << "without memo fields any name does";
    const std::string plain = testing::read_file(dir.file("PLAIN.DAT"));
    for (const auto& c : cases) {
        const cli_result result = run(c.arguments);
        EXPECT_EQ(result.status, 1) << c.arguments[1];
        EXPECT_EQ(result.errors, c.errors);
    }
    EXPECT_EQ(::access(dir.file("X.DAT").c_str(), F_OK), -1) << "nothing was created";
    EXPECT_EQ(::access(dir.file("LINKED.DBF").c_str(), F_OK), -1);
    EXPECT_EQ(testing::read_file(dir.file("PLAIN.DAT")), plain);
}

TEST_F(cli_file_refusal_test, exports_and_appends_say_what_failed)
{
    ASSERT_EQ(::symlink("DOLGOZO.DBT", dir.file("MEMO.TXT").c_str()), 0);
    testing::write_file(dir.file("ORPHAN.DBF"), testing::read_file(table));  // its memo file is missing
    const std::string before = table_bytes();
    const struct {
        std::vector<std::string> arguments;
        std::string errors;
    } cases[] = {
        {{"copy-to", table, dir.file("MEMO.TXT"), "--overwrite"},
         dir.file("MEMO.TXT") + " is the memo file of the table: choose another file\n"},
        {{"html", table, dir.path() + "/./DOLGOZO.DBF", "--overwrite"},
         dir.path() + "/./DOLGOZO.DBF is the table itself: choose another file\n"},
        {{"copy-to", table, dir.file("NO/OUT.TXT")}, "No such file or folder: " + dir.file("NO/OUT.TXT") + "\n"},
        {{"append", table, dir.file("ORPHAN.DBF")},
         "Append error !\n" + dir.file("ORPHAN.DBF") +
             " is a table that cannot be opened: its memo file is missing or it is damaged\n"},
    };
    for (const auto& c : cases) {
        const cli_result result = run(c.arguments);
        EXPECT_EQ(result.status, 1) << c.arguments[0];
        EXPECT_EQ(result.errors, c.errors);
    }
    EXPECT_EQ(table_bytes(), before);
}

}  // namespace
}  // namespace vortel
