#include "commands/sort_key.h"

#include "engine/tests/table_fixture.h"
#include "shell/settings.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

namespace vortel {
namespace {

using testing::record_of;

TEST(sort_key, joins_names_within_the_entry_and_length_limits)
{
    std::vector<std::string> letters;
    for (int i = 0; i < 70; ++i) letters.push_back(std::string(1, static_cast<char>('A' + i % 26)));
    std::string first_63;
    for (int i = 0; i < 63; ++i) first_63 += letters[static_cast<std::size_t>(i)] + "+";
    first_63.pop_back();

    // Ten-character names take 11 characters each with their "+": 23 of them
    // fill 253, and a 24th passes 254.
    const std::vector<std::string> tens(23, "ABCDEFGHIJ");
    std::vector<std::string> tens_and_one = tens;
    tens_and_one.push_back("X");
    std::string tens_key;
    for (const std::string& name : tens) tens_key += name + "+";
    tens_key.pop_back();

    const struct {
        const char* what;
        std::vector<std::string> names;
        std::optional<std::string> key;
    } cases[] = {
        {"two names", {"NAME", "CITY"}, "NAME+CITY"},
        {"none", {}, ""},
        {"only the first 63 count", letters, first_63},
        {"23 long names", tens, tens_key},
        {"a 24th name", tens_and_one, std::nullopt},
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

TEST(sort_key, entries_go_back_to_field_names_through_the_columns)
{
    const std::vector<column_descriptor> columns = {column("", "deleted()"), column("Name", "NAME"),
                                                    column("Town", "CITY")};
    EXPECT_EQ(sort_field_names({"Town", "Missing", "", "Name"}, columns), (std::vector<std::string>{"CITY", "NAME"}));
    EXPECT_EQ(split_sort_key("NAME+CITY"), (std::vector<std::string>{"NAME", "CITY"}));
    EXPECT_EQ(split_sort_key("A++B"), (std::vector<std::string>{"A", "", "B"}));
    EXPECT_TRUE(split_sort_key("").empty());

    testing::scratch_dir dir;
    const std::vector<field_list_entry> fields = {{"NAME", 'C', 8, 0}, {"AGE", 'N', 3, 0}, {"CITY", 'C', 8, 0}};
    testing::write_table(dir.file("T.DBF"), fields, {});
    auto table = table_new(dir.file("T.DBF"));
    ASSERT_EQ(table_open(*table), 1);
    EXPECT_EQ(sort_dialog_fields(*table, {column("Town", "city"), column("Name", "NAME")}),
              (std::vector<std::string>{"Name", "", "Town"}))
        << "a field without a column is an empty entry";
}

class sort_command_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings_restore_defaults();
        reopen();
    }

    // Conversion on: the file holds code page 852, where "Á" is 0xB5.
    void reopen()
    {
        testing::write_table(path, fields,
                             {{record_of(fields, {"Zoli"})}, {record_of(fields, {"\xB5" "bel"})},
                              {record_of(fields, {"Abel"})}});
        table = table_new(path);
        ASSERT_EQ(table_open(*table), 1);
    }
    void TearDown() override { settings_restore_defaults(); }

    std::vector<std::string> order()
    {
        std::vector<std::string> names;
        for (go_top(*table); names.size() < 3; skip(*table, 1)) names.push_back(field_text(*table, 0).substr(0, 4));
        return names;
    }

    const std::vector<field_list_entry> fields = {{"NAME", 'C', 10, 0}};
    testing::scratch_dir dir;
    std::string path = dir.file("NAMES.DBF");
    std::unique_ptr<table_object> table;
};

TEST_F(sort_command_test, each_collation_holds_for_one_sort_only)
{
    const std::string accented = "\xC1" "bel";
    const struct {
        sort_collation collation;
        const char* before;
        std::vector<std::string> order;
    } cases[] = {
        {sort_collation::english, "1", {"Abel", "Zoli", accented}},
        {sort_collation::magyar, "0", {accented, "Abel", "Zoli"}},
    };
    for (const auto& c : cases) {
        reopen();
        setting_by_index(SET_HUN_CMP, c.before);
        const sort_outcome outcome = sort_command(*table, {"NAME"}, c.collation);
        EXPECT_EQ(outcome.status, sort_status::sorted);
        EXPECT_EQ(outcome.message, "The sort is ready.");
        EXPECT_EQ(order(), c.order);
        EXPECT_EQ(setting_by_index(SET_HUN_CMP), c.before) << "put back";
    }
}

TEST_F(sort_command_test, refusals_come_back_with_their_messages)
{
    const std::vector<std::string> too_long(24, "ABCDEFGHIJ");
    const struct {
        std::vector<std::string> names;
        sort_status status;
        std::string_view message;
    } cases[] = {
        {{}, sort_status::empty_list, "Empty sort table!"},
        {too_long, sort_status::key_too_long, "Sorry, too long sort key!"},
        {{"NOSUCH"}, sort_status::not_sorted, "The sort is not succesful!"},
    };
    const std::string before = testing::read_file(path);
    setting_by_index(SET_HUN_CMP, "0");
    for (const auto& c : cases) {
        const sort_outcome outcome = sort_command(*table, c.names, sort_collation::magyar);
        EXPECT_EQ(outcome.status, c.status) << c.message;
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(setting_by_index(SET_HUN_CMP), "0");
    }
    EXPECT_EQ(testing::read_file(path), before);
}

}  // namespace
}  // namespace vortel
