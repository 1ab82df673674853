// The columns a table's fields become, the names PostgreSQL is given,
// which existing columns take a field's values unchanged, and which export
// outputs name a database.
#include "pg_export/pg_columns.h"

#include "pg_export/pg_export.h"

#include <gtest/gtest.h>

namespace vortel {
namespace {

TEST(pg_columns, each_field_type_becomes_a_column_that_holds_all_its_values)
{
    const struct {
        field_information field;
        const char* type;
    } cases[] = {
        {{"FIZETES", 'N', 9, 0}, "numeric(9,0)"},
        {{"PREMIUM", 'N', 5, 1}, "numeric(5,1)"},
        {{"ID", 'N', 19, 0}, "numeric(19,0)"},
        {{"RATE", 'F', 20, 10}, "numeric"},
        {{"ODD", 'N', 3, 7}, "numeric(3,3)"},  // decimals past the length: the scale stays inside
        {{"NEV", 'C', 30, 0}, "varchar(30)"},
        {{"SZULETETT", 'D', 8, 0}, "date"},
        {{"AKTIV", 'L', 1, 0}, "boolean"},
        {{"MEGJEGYZES", 'M', 10, 0}, "text"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(column_type_text(column_for(c.field, "x")), c.type) << c.field.name;
    }
}

TEST(pg_columns, names_are_lower_case_and_quoted_whatever_they_hold)
{
    EXPECT_EQ(table_name_for_file("data/DOLGOZO.DBF"), "dolgozo");
    EXPECT_EQ(table_name_for_file("Sales.2024.dbf"), "sales.2024");
    EXPECT_EQ(table_name_for_file(".hidden"), ".hidden");
    EXPECT_EQ(lower_case_name("\xC3\x81RU_1"), "\xC3\x81ru_1");
    EXPECT_EQ(quoted_name("order"), "\"order\"");
    EXPECT_EQ(quoted_name("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(bad_name_reason(std::string(63, 'n')), "");
    EXPECT_NE(bad_name_reason(std::string(64, 'n')), "");
    EXPECT_NE(bad_name_reason(""), "");
    EXPECT_NE(bad_name_reason(std::string("a\0b", 3)), "");
}

TEST(pg_columns, an_existing_column_takes_the_values_only_when_it_is_as_wide_or_wider)
{
    const pg_column money = column_for({"M", 'N', 10, 2}, "m");       // 7 digits before the point, 2 after
    const pg_column name = column_for({"NEV", 'C', 30, 0}, "nev");
    const pg_column memo = column_for({"NOTE", 'M', 10, 0}, "note");
    const pg_column day = column_for({"D", 'D', 8, 0}, "d");
    const pg_column rate = column_for({"RATE", 'F', 13, 3}, "rate");
    const struct {
        const pg_column& wanted;
        const char* existing;
        bool takes;
    } cases[] = {
        {money, "numeric(10,2)", true},       {money, "numeric(12,3)", true},  {money, "numeric", true},
        {money, "numeric(9,2)", false},       {money, "numeric(10,1)", false}, {money, "integer", false},
        {money, "double precision", false},   {name, "character varying(30)", true},
        {name, "character varying(40)", true}, {name, "character varying", true}, {name, "text", true},
        {name, "character varying(29)", false}, {name, "character(30)", false}, {memo, "text", true},
        {memo, "character varying(9999)", false}, {day, "date", true}, {day, "timestamp without time zone", false},
        {rate, "numeric", true},              {rate, "numeric(30,10)", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(column_mismatch(c.wanted, c.existing).empty(), c.takes)
            << column_type_text(c.wanted) << " into " << c.existing;
    }
}

TEST(pg_columns, an_output_names_a_database_by_its_address_or_libpq_words_and_a_file_never_does)
{
    for (const char* database : {"postgresql://clerk@dbhost/sales", "postgres://dbhost", "dbname=sales",
                                 "host=/run/postgresql dbname=sales", "  service = nightly"}) {
        EXPECT_TRUE(names_postgresql_database(database)) << database;
    }
    for (const char* file : {"OUT.csv", "/tmp/host=x.csv", "price=1.csv", "postgresql.csv", "sales.xlsx"}) {
        EXPECT_FALSE(names_postgresql_database(file)) << file;
    }
}

}  // namespace
}  // namespace vortel
