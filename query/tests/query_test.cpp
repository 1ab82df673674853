// SQL over tables: every value reads as the engine shows it, conditions on
// record numbers narrow what is read, hostile statements end in plain
// words, and no statement changes a byte of a table.
#include "query/record_filter.h"
#include "query/result_table.h"
#include "query/sql_session.h"

#include "engine/export_cells.h"
#include "engine/tests/table_test_base.h"
#include "platform/codepage.h"

#include <cstdio>
#include <random>

namespace vortel {
namespace {

using testing::table_test_base;

// Every row of a statement, values as SQLite gives them.
struct query_result {
    bool done = false;
    std::string refusal;
    std::vector<std::string> names;
    std::vector<std::vector<sql_value>> rows;
};

query_result run(sql_session& session, std::string_view statement)
{
    query_result result;
    const sql_row_sink sink{[&](std::span<const std::string> names) {
                                result.names.assign(names.begin(), names.end());
                                return true;
                            },
                            [&](std::span<const sql_value> values) {
                                result.rows.emplace_back(values.begin(), values.end());
                                return true;
                            }};
    result.done = session.run(statement, sink, result.refusal);
    return result;
}

std::string trimmed(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
    return text;
}

std::string described(const sql_value& value)
{
    switch (value.type) {
    case sql_value::kind::null: return "NULL";
    case sql_value::kind::integer: return "integer " + std::to_string(value.integer);
    case sql_value::kind::real: return "real " + std::to_string(value.real);
    case sql_value::kind::text: return "text '" + value.text + "'";
    }
    return "";
}

// Whether `value` is what the engine shows as `shown` (program text) in a
// field of this shape; memos come as their texts.
bool same_value(const field_information& field, const std::string& shown, const sql_value& value)
{
    using kind = sql_value::kind;
    const std::string text = trimmed(shown);
    switch (field.type) {
    case 'C': {
        std::string kept = shown;
        kept.erase(kept.find_last_not_of(' ') + 1);
        return value.type == kind::text && value.text == ansi_to_utf8(kept);
    }
    case 'M': return value.type == kind::text && value.text == ansi_to_utf8(shown);
    case 'D':
        if (text.empty() || text == "00000000") return value.type == kind::null;
        return value.type == kind::text &&
               (value.text == text.substr(0, 4) + "-" + text.substr(4, 2) + "-" + text.substr(6, 2) ||
                value.text == text);
    case 'L':
        if (text.empty() || text == "?") return value.type == kind::null;
        if (std::string_view("TtYy").find(text[0]) != std::string_view::npos) return value.type == kind::integer && value.integer == 1;
        if (std::string_view("FfNn").find(text[0]) != std::string_view::npos) return value.type == kind::integer && value.integer == 0;
        return value.type == kind::text && value.text == text;
    default: {
        if (text.empty()) return value.type == kind::null;
        const std::string digits = json_number_text(text);
        if (value.type == kind::integer) return field.decimals == 0 && std::to_string(value.integer) == digits;
        if (value.type == kind::text) return value.text == digits;
        const std::size_t point = digits.find('.');
        const int decimals = point == std::string::npos ? 0 : static_cast<int>(digits.size() - point - 1);
        char written[64];
        std::snprintf(written, sizeof written, "%.*f", decimals, value.real);
        return written == digits;
    }
    }
}

std::string random_digits(std::mt19937& random, int count)
{
    std::string digits;
    for (int i = 0; i < count; ++i) digits += static_cast<char>('0' + random() % 10);
    return digits;
}

// A value as a user would type it, for store_field_value to store or refuse.
std::string random_value(std::mt19937& random, const field_list_entry& field)
{
    if (random() % 6 == 0) return "";
    switch (field.type) {
    case 'C':
    case 'M': {
        // Letters both code pages hold, in Windows-1250.
        static const std::string letters = "abc XYZ09\xE1\xE9\xED\xF3\xF6\xF5\xFA\xFC\xFB\xC1\xC9\xD5\xDB,'\"";
        std::string text;
        const std::size_t length = random() % static_cast<unsigned>(field.type == 'M' ? 300 : field.length + 1);
        for (std::size_t i = 0; i < length; ++i) text += letters[random() % letters.size()];
        if (field.type == 'M' && random() % 2) text += "\r\nline two";
        return text;
    }
    case 'D': return std::to_string(1900 + random() % 200) + "0" + std::to_string(1 + random() % 9) + "1" +
                     std::to_string(random() % 10);
    case 'L': return std::string(1, "TFYNtf?"[random() % 7]);
    default: {
        const int whole = std::max(1, field.length - (field.decimals > 0 ? field.decimals + 1 : 0) - 1);
        std::string number = (random() % 3 == 0 ? "-" : "") + random_digits(random, 1 + static_cast<int>(random() % static_cast<unsigned>(whole)));
        if (field.decimals > 0) number += "." + random_digits(random, field.decimals);
        return number;
    }
    }
}

// Bytes no user types but other programs leave: each must read as its text.
const std::map<char, std::vector<std::string>> odd_bytes = {
    {'N', {"12a", "1-2"}}, {'F', {"1.2.3"}}, {'D', {"20241399", "00000000"}}, {'L', {"X"}}};

std::vector<field_list_entry> random_fields(std::mt19937& random)
{
    std::vector<field_list_entry> fields = {{"WIDE", 'N', 19, 0}, {"MONEY", 'N', 19, 2}};
    const char types[] = {'C', 'N', 'N', 'F', 'D', 'L', 'M'};
    for (int i = 0; i < 8; ++i) {
        field_list_entry field{"F" + std::to_string(i), types[random() % 7], 0, 0};
        if (field.type == 'C') field.length = 1 + static_cast<int>(random() % 40);
        if (field.type == 'N' || field.type == 'F') {
            field.length = 1 + static_cast<int>(random() % 19);
            if (field.length >= 3 && random() % 2) field.decimals = 1 + static_cast<int>(random() % static_cast<unsigned>(std::min(field.length - 2, 15)));
        }
        if (field.type == 'D') field.length = 8;
        if (field.type == 'L') field.length = 1;
        if (field.type == 'M') field.length = 10;
        fields.push_back(field);
    }
    return fields;
}

class query_test : public table_test_base {};

TEST_F(query_test, every_value_reads_as_the_engine_shows_it_in_both_code_pages)
{
    std::mt19937 random(18);
    for (const code_page page : {code_page::cp852, code_page::cp1250}) {
        for (int round = 0; round < 6; ++round) {
            const std::vector<field_list_entry> fields = random_fields(random);
            const std::vector<fixture_record> blanks(40, fixture_record{record_of(fields, {}), false});
            auto table = open_new_table(path, fields, blanks);
            choose_code_page(*table, page);
            ASSERT_TRUE(lock_table(*table));
            for (std::int32_t record = 1; record <= 40; ++record) {
                ASSERT_TRUE(go_to_exactly(*table, record));
                for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
                    const field_list_entry& field = fields[static_cast<std::size_t>(i)];
                    const auto odd = odd_bytes.find(field.type);
                    const std::string* bytes =
                        odd == odd_bytes.end() ? nullptr : &odd->second[random() % odd->second.size()];
                    if (bytes && random() % 8 == 0 && bytes->size() <= static_cast<std::size_t>(field.length)) {
                        std::copy(bytes->begin(), bytes->end(), table->record.begin() + field_offset(*table, i));
                    } else if (field.type == 'M') {
                        ASSERT_EQ(memo_write(*table, i, random_value(random, field)), 1);
                    } else {
                        (void)store_field_value(*table, i, random_value(random, field));
                    }
                }
                if (random() % 5 == 0) table->record[0] = dbf_deleted_mark;
                ASSERT_TRUE(write_record(*table));
            }
            unlock(*table);

            sql_session session;
            std::string refusal;
            ASSERT_TRUE(session.add_table(*table, "T", record_scope::as_navigated, refusal)) << refusal;
            const query_result result = run(session, "SELECT *, _recno, _deleted FROM T");
            ASSERT_TRUE(result.done) << result.refusal;
            ASSERT_EQ(result.rows.size(), 40u);
            for (std::int32_t record = 1; record <= 40; ++record) {
                const std::vector<sql_value>& row = result.rows[static_cast<std::size_t>(record - 1)];
                ASSERT_TRUE(go_to_exactly(*table, record));
                for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
                    const field_information field = field_info(*table, i);
                    const std::string shown =
                        field.type == 'M' ? memo_read(*table, field_text(*table, i)) : field_text(*table, i);
                    EXPECT_TRUE(same_value(field, shown, row[static_cast<std::size_t>(i)]))
                        << code_page_name(page) << " record " << record << " field " << field.name << " "
                        << field.type << "(" << field.length << "," << field.decimals << ") shows '" << shown
                        << "', SQL gives " << described(row[static_cast<std::size_t>(i)]);
                }
                EXPECT_EQ(row[fields.size()].integer, record);
                EXPECT_EQ(row[fields.size() + 1].integer, is_deleted(*table));
            }
        }
    }
}

TEST_F(query_test, numbers_a_double_would_round_stay_exact_digits)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1234567890123456789", "integer 1234567890123456789"},
        {"-999999999999999999", "integer -999999999999999999"},
        {"9999999999999999999", "text '9999999999999999999'"},
    };
    for (const auto& [spelling, expected] : cases) EXPECT_EQ(described(sql_number(spelling, true)), expected);
    EXPECT_EQ(described(sql_number("12345678901234567.89", false)), "text '12345678901234567.89'");
    EXPECT_EQ(sql_number("+0012.50", false).real, 12.5);
    EXPECT_EQ(described(sql_number("-.5", false)), "real -0.500000");
}

class query_table_test : public table_test_base {
protected:
    const std::vector<field_list_entry> fields = {{"VAROS", 'C', 10, 0}, {"FIZETES", 'N', 8, 0}};

    void SetUp() override
    {
        table_test_base::SetUp();
        std::vector<fixture_record> records;
        for (int i = 1; i <= 10; ++i) {
            records.push_back({record_of(fields, {i % 2 ? "\xD3zd" : "Eger", std::to_string(i * 100000)}), i == 4});
        }
        write_table(path, fields, records);
    }
};

TEST_F(query_table_test, conditions_on_record_numbers_read_only_their_range)
{
    auto table = open_table(path, 0);
    sql_session session;
    std::string refusal;
    ASSERT_TRUE(session.add_table(*table, "T", record_scope::all, refusal));
    const struct {
        const char* condition;
        std::vector<std::int64_t> records;
        std::int64_t read_at_most;
    } cases[] = {
        {"_recno = 7", {7}, 1},
        {"_recno BETWEEN 3 AND 5", {3, 4, 5}, 3},
        {"_recno > 8.5", {9, 10}, 3},
        {"_recno <= 2", {1, 2}, 2},
        {"_recno = 99", {}, 0},
        {"_recno < 'x' AND _recno >= 10", {10}, 1},
        {"_recno IS NULL", {}, 10},
    };
    for (const auto& one : cases) {
        const std::int64_t before = session.records_read();
        const query_result result = run(session, std::string("SELECT _recno FROM T WHERE ") + one.condition);
        ASSERT_TRUE(result.done) << result.refusal;
        std::vector<std::int64_t> got;
        for (const auto& row : result.rows) got.push_back(row[0].integer);
        EXPECT_EQ(got, one.records) << one.condition;
        EXPECT_LE(session.records_read() - before, one.read_at_most) << one.condition;
    }
}

TEST_F(query_table_test, hidden_deleted_records_are_left_out_unless_all_are_asked_for)
{
    auto table = open_table(path, 0, testing::hiding_deleted);
    sql_session session;
    std::string refusal;
    ASSERT_TRUE(session.add_table(*table, "SHOWN", record_scope::as_navigated, refusal));
    ASSERT_TRUE(session.add_table(*table, "ALL", record_scope::all, refusal));
    const query_result result =
        run(session, "SELECT (SELECT COUNT(*) FROM SHOWN), (SELECT COUNT(*) FROM \"ALL\"), "
                     "(SELECT SUM(_deleted) FROM \"ALL\"), (SELECT COUNT(*) FROM SHOWN WHERE _recno = 4)");
    ASSERT_TRUE(result.done) << result.refusal;
    EXPECT_EQ(described(result.rows[0][0]) + described(result.rows[0][1]) + described(result.rows[0][2]) +
                  described(result.rows[0][3]),
              "integer 9integer 10integer 1integer 0");
}

TEST_F(query_table_test, hostile_statements_end_in_plain_words_and_change_no_byte)
{
    const std::string before = read_file(path);
    auto table = open_table(path);  // writable, as the desktop holds it
    ASSERT_TRUE(go_to_exactly(*table, 6));
    sql_session session;
    std::string refusal;
    ASSERT_TRUE(session.add_table(*table, "T", record_scope::as_navigated, refusal));
    ASSERT_TRUE(session.add_table(*table, "U", record_scope::as_navigated, refusal));
    ASSERT_FALSE(session.add_table(*table, "t", record_scope::all, refusal));
    EXPECT_EQ(refusal, "table \"t\" already exists");
    const std::pair<const char*, const char*> cases[] = {
        {"SELEC * FROM T", "near \"SELEC\": syntax error"},
        {"SELECT NOPE FROM T", "no such column: NOPE"},
        {"UPDATE T SET FIZETES = 1", "table T may not be modified"},
        {"INSERT INTO T (VAROS) VALUES ('x')", "table T may not be modified"},
        {"DELETE FROM T", "table T may not be modified"},
        {"ATTACH 'x.db' AS x", "too many attached databases - max 0"},
        {"SELECT 1; DELETE FROM T", "only one statement can be run at a time"},
        {"", "no statement given"},
    };
    for (const auto& [statement, expected] : cases) {
        const query_result result = run(session, statement);
        EXPECT_FALSE(result.done) << statement;
        EXPECT_EQ(result.refusal, expected) << statement;
    }
    // A statement that would never end, and a cross join of a billion rows,
    // stop when the caller says so.
    int checks = 0;
    session.keep_going_while([&checks] { return ++checks < 50; });
    for (const char* endless : {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT COUNT(*) FROM n",
                                "SELECT COUNT(*) FROM T, U, T AS a, U AS b, T AS c, U AS d, T AS e, U AS f, T AS g"}) {
        checks = 0;
        const query_result result = run(session, endless);
        EXPECT_FALSE(result.done);
        EXPECT_EQ(result.refusal, query_cancelled_text);
    }
    session.keep_going_while({});
    // A self-join reads both sides through the one table, which stands on
    // its record afterwards.
    const query_result joined = run(session, "SELECT COUNT(*) FROM T JOIN U ON T.VAROS = U.VAROS");
    ASSERT_TRUE(joined.done) << joined.refusal;
    EXPECT_EQ(joined.rows[0][0].integer, 5 * 5 + 5 * 5);
    EXPECT_EQ(current_record(*table), 6);
    EXPECT_EQ(field_text(*table, 1), "600000  ");
    ASSERT_TRUE(skip(*table, 1));
    EXPECT_EQ(current_record(*table), 7);
    EXPECT_EQ(field_text(*table, 1), "700000  ");
    table.reset();
    EXPECT_EQ(read_file(path), before);
}

TEST_F(query_table_test, a_filter_keeps_the_matching_records_deleted_ones_too)
{
    auto table = open_table(path, 1, testing::hiding_deleted);
    ASSERT_TRUE(go_to_exactly(*table, 3));
    std::string refusal;
    std::vector<std::int32_t> told;
    const auto matching = records_matching(
        *table, "VAROS = 'Eger' AND FIZETES >= 400000",
        [&told](std::int32_t done, std::int32_t total) {
            told.push_back(total);
            return done <= total;
        },
        refusal);
    ASSERT_TRUE(matching) << refusal;
    EXPECT_EQ(matching->table_records(), 10);
    EXPECT_EQ(matching->members(), 4);  // 4 (deleted), 6, 8, 10
    for (const std::int32_t record : {4, 6, 8, 10}) EXPECT_TRUE(matching->contains(record)) << record;
    EXPECT_EQ(current_record(*table), 3);

    // Windows-1250 text in the condition meets the table's text.
    const auto in_ozd = records_matching(*table, "VAROS = '\xD3zd'", {}, refusal);
    ASSERT_TRUE(in_ozd) << refusal;
    EXPECT_EQ(in_ozd->members(), 5);

    const std::pair<const char*, const char*> refused[] = {
        {"VAROS = ", "near \")\": syntax error"},
        {"1) UNION SELECT 5 --", "near \")\": syntax error"},
        {"1); DELETE FROM t; SELECT (1", "only one statement can be run at a time"},
    };
    for (const auto& [condition, expected] : refused) {
        EXPECT_FALSE(records_matching(*table, condition, {}, refusal)) << condition;
        EXPECT_EQ(refusal, expected) << condition;
    }
    EXPECT_FALSE(records_matching(
        *table, "1 IN (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT i FROM n WHERE i < 0)",
        [](std::int32_t, std::int32_t) { return false; }, refusal));
    EXPECT_EQ(refusal, query_cancelled_text);
}

TEST_F(query_table_test, a_result_becomes_a_table_of_fitting_fields_that_keeps_every_character)
{
    auto table = open_table(path, 0);
    sql_session session;
    std::string refusal;
    ASSERT_TRUE(session.add_table(*table, "T", record_scope::all, refusal));
    query_result ran = run(session, "SELECT VAROS, COUNT(*), AVG(FIZETES) / 1000, MAX(_recno) = 10, '2024-01-31' AS NAP, "
                                    "NULL AS \"Név\", 'Ж' || VAROS AS VAROS, printf('%300d', 1) AS LONG "
                                    "FROM T GROUP BY VAROS ORDER BY VAROS");
    ASSERT_TRUE(ran.done) << ran.refusal;
    const std::string out = dir.file("QUERY1.DBF");
    ASSERT_EQ(write_result_table(out, result_rows{std::move(ran.names), std::move(ran.rows)}), "");

    auto written = open_table(out, 0);
    EXPECT_EQ(written->codepage.page, code_page::utf8);
    std::string shape;
    for (int i = 0; i < field_count(*written); ++i) {
        const field_information field = field_info(*written, i);
        shape += field.name + ":" + field.type + std::to_string(field.length) + "." + std::to_string(field.decimals) + " ";
    }
    EXPECT_EQ(shape, "VAROS:C4.0 COUNT:N1.0 AVG_FIZETE:N5.1 MAX__RECNO:N1.0 NAP:D8.0 NEV:C1.0 VAROS_2:C6.0 LONG:M10.0 ");
    EXPECT_EQ(testing::table_rows(out),
              (std::vector<std::string>{"Eger|5|600.0|1|20240131| |?Eger|" + std::string(299, ' ') + "1",
                                        "\xD3zd|5|500.0|0|20240131| |?\xD3zd|" + std::string(299, ' ') + "1"}));
    // The program's text has no Ж; the table keeps it.
    EXPECT_NE(testing::stored_records(out).at(1).find("\xD0\x96\xC3\x93zd"), std::string::npos);
}

TEST_F(query_test, memos_are_read_only_when_their_column_is_asked_for)
{
    const std::vector<field_list_entry> fields = {{"NEV", 'C', 8, 0}, {"NOTE", 'M', 10, 0}};
    write_table(path, fields, records_of(fields, {{"Anna", "1"}}));
    std::remove(dbt_file_name(path).c_str());
    auto table = open_table(path, 0);
    ASSERT_FALSE(table->memo_problem.empty());
    sql_session session;
    std::string refusal;
    ASSERT_TRUE(session.add_table(*table, "T", record_scope::all, refusal));
    const query_result names = run(session, "SELECT NEV FROM T");
    ASSERT_TRUE(names.done) << names.refusal;
    EXPECT_EQ(names.rows.at(0).at(0).text, "Anna");
    const query_result memos = run(session, "SELECT NOTE FROM T");
    EXPECT_FALSE(memos.done);
    EXPECT_EQ(memos.refusal, "Record 1, field NOTE: " + table->memo_problem);
}

}  // namespace
}  // namespace vortel
