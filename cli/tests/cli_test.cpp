#include "cli/cli_app.h"

#include "engine/dbf_format.h"
#include "shell/settings.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vortel {
namespace {

struct cli_result {
    int status;
    std::string out;
    std::string errors;
};

class cli_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings_restore_defaults();
        testing::write_file(table, testing::read_file(SAMPLE_TABLE));
        testing::write_file(dbt_file_name(table), testing::read_file(dbt_file_name(SAMPLE_TABLE)));
    }
    void TearDown() override { settings_restore_defaults(); }

    cli_result run(std::vector<std::string> arguments, const std::string& input = "")
    {
        std::istringstream in(input);
        std::ostringstream out, errors;
        int status = run_cli(arguments, in, out, errors);
        settings_restore_defaults();
        return {status, out.str(), errors.str()};
    }

    testing::scratch_dir dir;
    std::string table = dir.file("DOLGOZO.DBF");
};

TEST_F(cli_test, usage_errors_exit_with_two_and_help_and_version_with_zero)
{
    EXPECT_EQ(run({}).status, cli_usage_error);
    EXPECT_EQ(run({"frobnicate"}).status, cli_usage_error);
    EXPECT_EQ(run({"--set", "SET_NOPE=1", "structure", table}).status, cli_usage_error);
    EXPECT_EQ(run({"--set", "SET_DELETED", "structure", table}).status, cli_usage_error);
    EXPECT_EQ(run({"--set", "SET_CEGNEV=" + std::string(51, 'x'), "structure", table}).status, cli_usage_error);
    EXPECT_EQ(run({"memo", table, "1"}).status, cli_usage_error) << "too few arguments";
    EXPECT_EQ(run({"memo", table, "x", "NEV"}).status, cli_usage_error) << "not a number";
    EXPECT_EQ(run({"memo", table, "1", "NEV", "--bogus"}).status, cli_usage_error);
    cli_result help = run({"--help"});
    EXPECT_EQ(help.status, cli_success);
    EXPECT_NE(help.out.find("memo T N FIELD"), std::string::npos);
    EXPECT_EQ(run({"--version"}).out, "vortel-cli 0.22\n");
}

TEST_F(cli_test, a_table_that_does_not_open_is_a_failure_in_the_program_s_words)
{
    cli_result result = run({"memo", dir.file("NONE.DBF"), "1", "NOTES"});
    EXPECT_EQ(result.status, cli_failure);
    EXPECT_EQ(result.errors, "Can't open : " + dir.file("NONE.DBF") + "\n");
}

TEST_F(cli_test, memo_prints_the_memo_in_utf8)
{
    cli_result result = run({"memo", table, "4", "megjegyzes"});
    EXPECT_EQ(result.status, cli_success) << result.errors;
    EXPECT_EQ(result.out.rfind("Árvíztűrő tükörfúrógép", 0), 0u) << result.out;
    EXPECT_EQ(run({"memo", table, "1", "MEGJEGYZES"}).out, "");
    EXPECT_EQ(run({"memo", table, "999", "MEGJEGYZES"}).status, cli_failure);
    EXPECT_EQ(run({"memo", table, "1", "NOSUCH"}).status, cli_failure);
    EXPECT_EQ(run({"memo", table, "1", "NEV"}).status, cli_failure);
}

}  // namespace
}  // namespace vortel
