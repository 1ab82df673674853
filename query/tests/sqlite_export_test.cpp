// The SQLite export, read back through SQLite itself: typed columns, exact
// wide numbers, several tables in one file, and a database left as it was
// when anything goes wrong.
#include "query/sqlite_export.h"

#include "engine/tests/table_test_base.h"

#include <sqlite3.h>

#include <filesystem>

namespace vortel {
namespace {

using testing::table_test_base;

// Each row of a query as "value|value", NULLs as "NULL", with typeof() where asked.
std::vector<std::string> rows_of(const std::string& database_path, const std::string& query)
{
    sqlite3* database = nullptr;
    std::vector<std::string> rows;
    if (sqlite3_open_v2(database_path.c_str(), &database, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(database);
        return {"cannot open"};
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database, query.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        rows.push_back(sqlite3_errmsg(database));
    }
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = sqlite3_column_text(statement, i);
            row += (i ? "|" : "") + (text ? std::string(reinterpret_cast<const char*>(text)) : std::string("NULL"));
        }
        rows.push_back(row);
    }
    sqlite3_finalize(statement);
    sqlite3_close(database);
    return rows;
}

class sqlite_export_test : public table_test_base {
protected:
    const std::vector<field_list_entry> fields = {{"NEV", 'C', 12, 0},   {"ID", 'N', 19, 0},   {"BIG", 'N', 20, 2},
                                                  {"AR", 'N', 8, 2},     {"NAP", 'D', 8, 0},   {"OK", 'L', 1, 0},
                                                  {"NOTE", 'M', 10, 0}};
    std::string database = dir.file("OUT.sqlite");

    void SetUp() override
    {
        table_test_base::SetUp();
        // Stored in 852: 0xA0 is "á", 0x8B "ő".
        write_table(path, fields,
                    {{record_of(fields, {"Kov\xA0\x63s", "1234567890123456789", "12345678901234567.89", "   12.50",
                                         "20240131", "T"})},
                     {record_of(fields, {"Gone", "7", "", "", "", "F"}), true},
                     {record_of(fields, {"", "", "", "+.5", "20241399", "?"})}});
        auto table = testing::open_table(path);
        choose_code_page(*table, code_page::cp852);
        table->texts_as_stored = 1;
        put_memos(*table, 6, {"els\x8B\r\nsor"});
    }

    std::unique_ptr<table_object> open(const std::string& at = {}) const
    {
        auto table = testing::open_table(at.empty() ? path : at, 0);
        choose_code_page(*table, code_page::cp852);
        return table;
    }

    int exported(std::vector<table_object*> tables, std::vector<std::string> names, sqlite_export_options options,
                 std::string& refusal, const std::function<bool(int)>& progress = {})
    {
        std::vector<sqlite_table_source> sources;
        for (std::size_t i = 0; i < tables.size(); ++i) sources.push_back({tables[i], names[i]});
        return export_to_sqlite(sources, database, options, refusal, progress);
    }
};

TEST_F(sqlite_export_test, each_field_becomes_a_typed_column_and_wide_numbers_keep_their_digits)
{
    const std::string before = read_file(path);
    auto table = open();
    std::string refusal;
    ASSERT_EQ(exported({table.get()}, {"T"}, {deleted_records::mark, false}, refusal), export_written) << refusal;
    EXPECT_EQ(rows_of(database, "SELECT name, type FROM pragma_table_info('T')"),
              (std::vector<std::string>{"NEV|TEXT", "ID|TEXT", "BIG|TEXT", "AR|REAL", "NAP|TEXT", "OK|BOOLEAN",
                                        "NOTE|TEXT", "_deleted|BOOLEAN"}));
    EXPECT_EQ(rows_of(database, "SELECT NEV, ID, typeof(ID), BIG, typeof(BIG), AR, typeof(AR), NAP, OK, typeof(OK), "
                                "NOTE, _deleted FROM T"),
              (std::vector<std::string>{
                  "Kovács|1234567890123456789|text|12345678901234567.89|text|12.5|real|2024-01-31|1|integer|első\r\nsor|0",
                  "Gone|7|text|NULL|null|NULL|null|NULL|0|integer||1",
                  "|NULL|null|NULL|null|0.5|real|20241399|NULL|null||0"}));

    // A filtered window's copy holds the filter's records only.
    record_set kept(3);
    kept.add(3);
    table->navigation.filter = std::make_shared<const record_set>(kept);
    ASSERT_EQ(exported({table.get()}, {"F"}, {deleted_records::mark, false}, refusal), export_written) << refusal;
    EXPECT_EQ(rows_of(database, "SELECT AR FROM F"), std::vector<std::string>{"0.5"});
    table.reset();
    EXPECT_EQ(read_file(path), before);
}

TEST_F(sqlite_export_test, tables_join_one_database_and_a_failure_leaves_it_as_it_was)
{
    const std::string other = dir.file("U.DBF");
    write_table(other, {{"A", 'N', 3, 0}}, {{" 42"}});
    auto table = open();
    auto second = open(other);
    std::string refusal;
    ASSERT_EQ(exported({table.get()}, {"T"}, {}, refusal), export_written) << refusal;
    EXPECT_EQ(rows_of(database, "SELECT COUNT(*) FROM T"), std::vector<std::string>{"2"});
    const std::string kept = read_file(database);

    // A name the database holds (in any letter case) refuses the whole run.
    EXPECT_EQ(exported({second.get(), table.get()}, {"U", "t"}, {}, refusal), export_failed);
    EXPECT_EQ(refusal, database + ": the database already holds a table t, which is replaced only when asked");
    EXPECT_EQ(read_file(database), kept);
    // Cancelled part way, nothing of it stays.
    EXPECT_EQ(exported({second.get(), table.get()}, {"U", "T"}, {deleted_records::skip, true}, refusal,
                       [](int percent) { return percent < 50; }),
              export_cancelled);
    EXPECT_EQ(read_file(database), kept);

    ASSERT_EQ(exported({second.get(), table.get()}, {"U", "T"}, {deleted_records::mark, true}, refusal),
              export_written)
        << refusal;
    EXPECT_EQ(rows_of(database, "SELECT (SELECT A FROM U), (SELECT COUNT(*) FROM T), (SELECT SUM(_deleted) FROM T)"),
              std::vector<std::string>{"42|3|1"});

    // A database that did not exist is not left behind by a failure, and a
    // table's own files are never the output.
    database = dir.file("NEW.db");
    EXPECT_EQ(exported({table.get()}, {"T"}, {}, refusal, [](int) { return false; }), export_cancelled);
    EXPECT_FALSE(std::filesystem::exists(database));
    database = path;
    EXPECT_EQ(exported({table.get()}, {"T"}, {}, refusal), export_failed);
    EXPECT_NE(refusal.find("T.DBF"), std::string::npos) << refusal;
}

TEST(sqlite_file_name_test, database_names_are_known_by_their_extension)
{
    for (const char* name : {"a.sqlite", "B.DB", "c.Sqlite3", "/x.y/z.db"}) EXPECT_TRUE(sqlite_file_name(name)) << name;
    for (const char* name : {"a.csv", "db", "x.db/y", "a.dbf"}) EXPECT_FALSE(sqlite_file_name(name)) << name;
}

}  // namespace
}  // namespace vortel
