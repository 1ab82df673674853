// vortel-cli sql and the SQLite export as a script sees them: names taken
// from the files, the three output forms, joins across files, plain
// messages, and tables left untouched.
#include "cli/tests/cli_run.h"

#include "commands/tests/command_test_support.h"
#include "engine/tests/table_fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace vortel {
namespace {

using testing::cli_result;

// The first row of a query on a database file, as "value\tvalue\n".
std::string first_row(const std::string& database_path, const std::string& query)
{
    sqlite3* database = nullptr;
    sqlite3_open_v2(database_path.c_str(), &database, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    std::string row;
    if (sqlite3_prepare_v2(database, query.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        row = sqlite3_errmsg(database);
    } else if (sqlite3_step(statement) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = sqlite3_column_text(statement, i);
            row += (i ? "\t" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
        }
        row += "\n";
    }
    sqlite3_finalize(statement);
    sqlite3_close(database);
    return row;
}

class sql_command_test : public testing_support::with_default_settings {
protected:
    void SetUp() override
    {
        with_default_settings::SetUp();
        testing::copy_sample_table(people);
        const std::vector<field_list_entry> fields = {{"VAROS", 'C', 20, 0}, {"MEGYE", 'C', 20, 0}};
        // Stored in 852, as the sample table is.
        testing::write_file(dir.file("Varosok.cpg"), "852");
        testing::write_table(cities, fields,
                             testing::records_of(fields, {{"\xE0zd", "Borsod"}, {"Szeged", "Csongr\xA0\x64"},
                                                          {"Tab\tulat", "\"a,b\""}}));
    }

    static cli_result run(const std::vector<std::string>& arguments) { return testing::run_cli_with(arguments); }

    testing::scratch_dir dir;
    std::string people = dir.file("dolgozo.dbf");
    std::string cities = dir.file("Varosok.DBF");
};

TEST_F(sql_command_test, a_join_across_files_prints_in_each_form)
{
    const std::string before = testing::read_file(people);
    const std::string join = "SELECT V.VAROS, MEGYE, COUNT(*) AS N FROM DOLGOZO D JOIN VAROSOK V ON D.VAROS = V.VAROS "
                             "GROUP BY V.VAROS ORDER BY V.VAROS";
    EXPECT_EQ(run({"sql", join, people, cities}).out, "VAROS\tMEGYE\tN\nSzeged\tCsongrád\t10\nÓzd\tBorsod\t11\n");
    // As the grid shows them: SET_DELETED hides a deleted record in Szeged.
    EXPECT_EQ(run({"--set", "SET_DELETED=1", "sql", join, people, cities}).out,
              "VAROS\tMEGYE\tN\nSzeged\tCsongrád\t9\nÓzd\tBorsod\t11\n");

    const std::string odd = "SELECT VAROS, MEGYE, 1.5 AS R, NULL AS Z FROM VAROSOK WHERE _recno >= 2";
    const struct {
        const char* flag;
        const char* out;
    } forms[] = {
        {"", "VAROS\tMEGYE\tR\tZ\nSzeged\tCsongrád\t1.5\t\nTab\\tulat\t\"a,b\"\t1.5\t\n"},
        {"--csv", "VAROS,MEGYE,R,Z\nSzeged,Csongrád,1.5,\nTab\tulat,\"\"\"a,b\"\"\",1.5,\n"},
        {"--json", "{\"VAROS\": \"Szeged\", \"MEGYE\": \"Csongrád\", \"R\": 1.5, \"Z\": null}\n"
                   "{\"VAROS\": \"Tab\\tulat\", \"MEGYE\": \"\\\"a,b\\\"\", \"R\": 1.5, \"Z\": null}\n"},
    };
    for (const auto& form : forms) {
        std::vector<std::string> arguments = {"sql", odd, cities};
        if (*form.flag) arguments.emplace_back(form.flag);
        const cli_result result = run(arguments);
        EXPECT_EQ(result.status, cli_success) << result.errors;
        EXPECT_EQ(result.out, form.out) << form.flag;
    }
    // JSON keys stay distinct, so that no reader drops a column.
    EXPECT_EQ(run({"sql", "SELECT 1 AS A, 2 AS A, 3 AS A_2", cities, "--json"}).out,
              "{\"A\": 1, \"A_2\": 2, \"A_2_2\": 3}\n");
    EXPECT_EQ(testing::read_file(people), before);
}

TEST_F(sql_command_test, what_cannot_run_is_said_in_plain_words)
{
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* errors;
    } cases[] = {
        {{"sql", "SELEC 1", people}, cli_failure, "vortel-cli: sql: near \"SELEC\": syntax error\n"},
        {{"sql", "DELETE FROM DOLGOZO", people}, cli_failure, "vortel-cli: sql: table DOLGOZO may not be modified\n"},
        {{"sql", "SELECT * FROM VAROSOK", people}, cli_failure, "vortel-cli: sql: no such table: VAROSOK\n"},
        {{"sql", "SELECT 1", people, people}, cli_failure, ""},
        {{"sql", "SELECT 1", people, "--csv", "--json"}, cli_usage_error, "vortel-cli: give --csv or --json, not both\n"},
        {{"export", people, cities, dir.file("X.csv")}, cli_usage_error,
         "vortel-cli: only an SQLite database takes several tables\n"},
        {{"export", people, dir.file("X.db"), "--bom"}, cli_usage_error,
         "vortel-cli: --bom does not apply to an SQLite database\n"},
        {{"export", people, dir.file("DOLGOZO.DBF"), dir.file("X.db")}, cli_usage_error, ""},
    };
    for (const auto& one : cases) {
        const cli_result result = run(one.arguments);
        EXPECT_EQ(result.status, one.status) << one.arguments[1];
        if (*one.errors) {
            EXPECT_EQ(result.errors, one.errors) << one.arguments[1];
        }
    }
    EXPECT_EQ(run({"sql", "SELECT 1", people, people}).errors,
              "vortel-cli: sql: " + people + " cannot be named DOLGOZO: table \"DOLGOZO\" already exists\n");
}

TEST_F(sql_command_test, exports_gather_tables_in_one_database_that_sql_reads_back)
{
    const std::string database = dir.file("ALL.sqlite");
    ASSERT_EQ(run({"export", people, database}).status, cli_success);
    const cli_result again = run({"export", cities, people, database});
    EXPECT_EQ(again.status, cli_failure);
    EXPECT_EQ(again.errors, database + ": the database already holds a table DOLGOZO, which is replaced only when asked\n");
    ASSERT_EQ(run({"export", cities, people, database, "--replace", "--deleted", "mark"}).status,
              cli_success);
    // The database holds what the query module reads, deleted records marked.
    const std::string query = "SELECT COUNT(*), SUM(_deleted), SUM(FIZETES), MIN(SZULETETT) FROM DOLGOZO";
    const cli_result counted = run({"sql", query, people});
    ASSERT_EQ(counted.status, cli_success) << counted.errors;
    EXPECT_EQ(counted.out.substr(counted.out.find('\n') + 1), first_row(database, query));
    EXPECT_EQ(first_row(database, "SELECT MEGYE FROM VAROSOK WHERE VAROS = 'Szeged'"), "Csongrád\n");
}

}  // namespace
}  // namespace vortel
