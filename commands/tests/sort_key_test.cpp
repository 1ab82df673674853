#include "commands/sort_key.h"

#include "commands/tests/command_test_support.h"
#include "engine/tests/table_fixture.h"
#include "shell/settings.h"
#include "text/folding.h"

#include <random>

namespace vortel {
namespace {

using testing::record_of;

TEST(sort_key, joins_names_within_the_entry_and_length_limits)
{
    const auto joined = [](const std::vector<std::string>& names) {
        std::string key;
        for (const std::string& name : names) key += (key.empty() ? "" : "+") + name;
        return key;
    };
    std::vector<std::string> letters;
    for (int i = 0; i < 70; ++i) letters.push_back(std::string(1, static_cast<char>('A' + i % 26)));
    const struct {
        const char* what;
        std::vector<std::string> names;
        std::optional<std::string> key;
    } cases[] = {
        {"two names", {"NAME", "CITY"}, "NAME+CITY"},
        {"none", {}, ""},
        {"only the first 63 count", letters, joined({letters.begin(), letters.begin() + 63})},
        {"254 with the last +", {std::string(253, 'A')}, std::string(253, 'A')},
        {"255 with the last +", {std::string(254, 'A')}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(build_sort_key(c.names), c.key) << c.what;
}

column_descriptor column(const std::string& caption, const std::string& source_name)
{
    column_descriptor described;
    described.caption = caption;
    described.source_name = source_name;
    return described;
}

TEST(sort_key, dialog_entries_and_key_texts_name_fields_by_index)
{
    testing::scratch_dir dir;
    // As in a real GPS export: two fields of one name.
    const std::vector<field_list_entry> fields = {
        {"POINT_ID", 'C', 8, 0}, {"CITY", 'C', 8, 0}, {"POINT_ID", 'N', 9, 0}, {"AGE", 'N', 3, 0}};
    const auto table = testing::open_new_table(dir.file("T.DBF"), fields, {});
    EXPECT_EQ(sort_dialog_fields(*table, {column("Town", "city"), column("Id", "POINT_ID"), column("Num", "POINT_ID")}),
              (std::vector<std::string>{"Id", "Town", "Num", ""}))
        << "the second column of a name shows the second field of it; a field without a column is empty";

    const struct {
        const char* key;
        std::vector<int> fields;
        const char* message;
    } keys[] = {
        {"CITY+age", {1, 3}, ""},
        {"#3+#1", {2, 0}, ""},
        {"CITY+NOSUCH+AGE", {1}, ""},
        {"NOSUCH", {}, ""},
        {"POINT_ID", {}, "Several fields are named POINT_ID: give one as #INDEX (#1, #3)"},
        {"#5", {}, "No such field: #5"},
        {"#0+CITY", {}, "No such field: #0"},
        {"#x", {}, "No such field: #x"},
    };
    for (const auto& k : keys) {
        const sort_key_fields parsed = parse_sort_key(*table, k.key);
        EXPECT_EQ(parsed.message, k.message) << k.key;
        if (parsed.message.empty()) {
            EXPECT_EQ(parsed.fields, k.fields) << k.key;
        }
    }
    EXPECT_EQ(split_sort_key("A++B"), (std::vector<std::string>{"A", "", "B"}));
    EXPECT_TRUE(split_sort_key("").empty());
}

const std::vector<field_list_entry> people = {{"NAME", 'C', 10, 0}, {"AGE", 'N', 4, 0}, {"BORN", 'D', 8, 0}};
constexpr int name_field = 0, age_field = 1, born_field = 2;

class sort_command_test : public testing_support::with_default_settings {
protected:
    // People named by `names`, ages and birth dates in the same order, open.
    void write_people(const std::vector<std::string>& names, const std::vector<std::string>& ages = {},
                      const std::vector<std::string>& born = {})
    {
        std::vector<testing::fixture_record> records;
        for (std::size_t i = 0; i < names.size(); ++i) {
            records.push_back({record_of(people, {names[i], i < ages.size() ? ages[i] : "   1",
                                                  i < born.size() ? born[i] : "20240101"})});
        }
        table.reset();
        table = testing::open_new_table(path, people, records);
    }

    sort_status sort(const std::vector<int>& key, sort_collation collation = sort_collation::english)
    {
        return sort_command(*table, key, collation).status;
    }

    testing::scratch_dir dir;
    std::string path = dir.file("NAMES.DBF");
    std::unique_ptr<table_object> table;
};

// Keys compare as stored texts (a right-aligned number as text: a blank
// before "-"); accents fold only under the Hungarian collation and by the
// table's code page; equal keys keep their order.
TEST_F(sort_command_test, orders_by_stored_texts_folding_accents_only_under_the_hungarian_collation_of_the_code_page)
{
    const std::vector<std::string> five = {"Cili", "Anna", "Bea", "Anna", "Dora"};
    const std::vector<std::string> ages = {"  12", "   9", "  -3", "  10", "   5"};
    const std::vector<std::string> born = {"19991231", "20000101", "        ", "19750704", "19991130"};
    // "Ábel" in the table's own bytes; "Åbel" in 437 and 850.
    const std::string oem = "\xB5" "bel", ansi = "\xC1" "bel", dos = "\x8F" "bel";
    const auto abel = [](const std::string& accented) { return std::vector<std::string>{"Zoli", accented, "abel", "Abel"}; };
    const auto magyar = sort_collation::magyar, english = sort_collation::english;
    const struct {
        std::vector<std::string> names;
        std::vector<int> key;
        sort_collation collation;
        code_page page;
        std::vector<std::string> order;
    } cases[] = {
        {five, {age_field}, english, code_page::cp852, {"Dora", "Anna", "Bea", "Anna", "Cili"}},
        {five, {name_field, age_field}, english, code_page::cp852, {"Anna", "Anna", "Bea", "Cili", "Dora"}},
        {five, {born_field}, english, code_page::cp852, {"Bea", "Anna", "Dora", "Cili", "Anna"}},
        {abel(oem), {name_field}, magyar, code_page::cp852, {oem, "Abel", "Zoli", "abel"}},
        {abel(oem), {name_field}, english, code_page::cp852, {"Abel", "Zoli", "abel", oem}},
        {abel(ansi), {name_field}, magyar, code_page::cp1250, {ansi, "Abel", "Zoli", "abel"}},
        {abel(ansi), {name_field}, english, code_page::cp1250, {"Abel", "Zoli", "abel", ansi}},
        {abel(oem), {name_field}, magyar, code_page::cp1250, {"Abel", "Zoli", "abel", oem}},  // 0xB5 is no vowel in 1250
        {abel(ansi), {name_field}, magyar, code_page::cp1252, {ansi, "Abel", "Zoli", "abel"}},
        {abel(ansi), {name_field}, magyar, code_page::iso8859_2, {ansi, "Abel", "Zoli", "abel"}},
        {abel(dos), {name_field}, magyar, code_page::cp437, {dos, "Abel", "Zoli", "abel"}},
        {abel(dos), {name_field}, magyar, code_page::cp850, {dos, "Abel", "Zoli", "abel"}},
        // Keys of other alphabets compare by their bytes.
        {abel(ansi), {name_field}, magyar, code_page::cp1251, {"Abel", "Zoli", "abel", ansi}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(code_page_name(c.page)) + (c.collation == magyar ? ", Hungarian, " : ", English, ") +
                     "key of " + std::to_string(c.key.size()) + " from field " + std::to_string(c.key[0]));
        const char* before = c.collation == magyar ? "0" : "1";
        setting_by_index(SET_HUN_CMP, before);
        write_people(c.names, ages, born);
        choose_code_page(*table, c.page);
        const sort_outcome outcome = sort_command(*table, c.key, c.collation);
        EXPECT_EQ(outcome.status, sort_status::sorted);
        EXPECT_EQ(outcome.message, "The sort is ready.");
        EXPECT_EQ(testing::leading_words(path), c.order);
        EXPECT_EQ(setting_by_index(SET_HUN_CMP), before) << "the collation holds for one sort";
    }
    write_people(five, ages, born);
    ASSERT_EQ(sort({name_field, age_field}), sort_status::sorted);
    EXPECT_EQ(testing::stored_records(path)[0].substr(11, 4), "   9");
    ASSERT_EQ(sort({born_field}), sort_status::sorted);
    ASSERT_EQ(sort({name_field}), sort_status::sorted);
    EXPECT_EQ(testing::stored_records(path)[0].substr(11, 4), "  10") << "equal keys keep their order";
}

// Keys are folded once per record; the order must be the one the folded key
// comparison gives, and every record must be there once.
TEST_F(sort_command_test, order_agrees_with_the_folded_key_comparison)
{
    const std::vector<field_list_entry> fields = {{"A", 'C', 3, 0}, {"B", 'C', 2, 0}};
    const std::string alphabet = std::string("aAeEzZ \xB5\xA0\xC1\xE1\x90\x82") + std::string(1, '\0');
    std::mt19937 random(7);
    std::vector<testing::fixture_record> records;
    for (int i = 0; i < 5000; ++i) {
        std::string bytes;
        for (int j = 0; j < 5; ++j) bytes += alphabet[random() % alphabet.size()];
        records.push_back({bytes});
    }
    for (int conversion : {0, 1}) {
        table.reset();
        table = testing::open_new_table(path, fields, records);
        choose_code_page(*table, conversion ? code_page::cp852 : code_page::cp1250);
        ASSERT_EQ(sort({1, 0}, sort_collation::magyar), sort_status::sorted);
        const std::vector<std::string> sorted = testing::stored_records(path);
        auto key = [](const std::string& record) {
            std::string b = record.substr(4, 2), a = record.substr(1, 3);
            return b.substr(0, b.find('\0')) + a.substr(0, a.find('\0'));
        };
        for (std::size_t i = 1; i < sorted.size(); ++i) {
            ASSERT_LE(folded_key_comparison(key(sorted[i - 1]), key(sorted[i]), conversion != 0), 0) << i;
        }
        std::vector<std::string> before, after = sorted;
        for (const testing::fixture_record& record : records) before.push_back(" " + record.fields);
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, before) << "every record once";
    }
}

TEST_F(sort_command_test, refusals_come_back_with_their_messages_and_leave_the_file_and_an_empty_table_sorts_at_once)
{
    const std::vector<field_list_entry> fields = {{"LONG", 'C', 200, 0}, {"MID", 'C', 54, 0}, {"ONE", 'C', 1, 0}};
    const struct {
        std::vector<int> key;
        sort_status status;
        std::string message;
    } cases[] = {
        {{}, sort_status::empty_list, "Empty sort table!"},
        {{0, 1, 2}, sort_status::not_sorted, "The sort is not succesful!"},  // 255 bytes of key
        {{0, 7}, sort_status::not_sorted, "The sort is not succesful!"},
        {{0, 1}, sort_status::sorted, "The sort is ready."},
    };
    for (const auto& c : cases) {
        table.reset();
        testing::write_table(path, fields, {{record_of(fields, {"b", "", "x"})}, {record_of(fields, {"a", "", "y"})}});
        const std::string before = testing::read_file(path);
        ASSERT_TRUE(table = testing::open_table(path));
        const sort_outcome outcome = sort_command(*table, c.key, sort_collation::english);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(testing::read_file(path) == before, c.status != sort_status::sorted);
    }
    // Key texts of the names: 23 ten-character names fill 253, a 24th passes 254.
    const std::vector<field_list_entry> tens(24, {"ABCDEFGHIJ", 'C', 1, 0});
    table = testing::open_new_table(path, tens, {});
    std::vector<int> all(24);
    for (int i = 0; i < 24; ++i) all[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(sort_command(*table, all, sort_collation::english).status, sort_status::key_too_long);
    all.pop_back();
    {
        // An empty table sorts at once: nothing to move, nothing taken.
        const auto holder = testing::holding(FILE_PROBE, {"hold", path});
        EXPECT_EQ(sort_command(*table, all, sort_collation::english).status, sort_status::sorted);
        EXPECT_EQ(holder->finish(), 0);
    }

    write_people({"B", "A"});
    table.reset();
    std::string bytes = testing::read_file(path);
    bytes.resize(bytes.size() - 5);
    testing::write_file(path, bytes);
    ASSERT_TRUE(table = testing::open_table(path));
    const sort_outcome outcome = sort_command(*table, {name_field}, sort_collation::english);
    EXPECT_EQ(outcome.status, sort_status::not_sorted) << "records the file lacks are not made up";
    EXPECT_NE(outcome.message.find("read-only: the header says 2 records but the file holds 1"), std::string::npos)
        << outcome.message;
    EXPECT_EQ(testing::read_file(path), bytes);
    EXPECT_EQ(testing::files_in(dir.path()), (std::set<std::string>{"NAMES.DBF"}));
}

}  // namespace
}  // namespace vortel
