// The search over a table larger than one read block: the records it
// compares, in both directions and across block edges, are the ones the
// grid's moves would visit; progress is told and the search can be stopped.
#include "commands/search.h"

#include "commands/tests/command_test_support.h"
#include "engine/record_blocks.h"
#include "engine/table_code_page.h"
#include "engine/tests/table_fixture.h"
#include "platform/code_page.h"
#include "shell/settings.h"

namespace vortel {
namespace {

const std::vector<field_list_entry> fields = {{"NAME", 'C', 12, 0}, {"N", 'N', 7, 0}};
// Records of 20 bytes: a read block holds 52,428 of them.
constexpr std::int32_t record_total = 120000;

class search_test : public testing_support::with_default_settings {
protected:
    static void SetUpTestSuite()
    {
        settings_restore_defaults();
        std::vector<testing::fixture_record> records(record_total);
        for (std::int32_t i = 0; i < record_total; ++i) {
            records[static_cast<std::size_t>(i)].fields = testing::record_of(fields, {"row", std::to_string(i + 1)});
        }
        // "m\xA0rked" is márked in code page 852. Marked records sit at the
        // two block edges and near both ends.
        for (const std::int32_t number : {3, 52428, 52429, 104857, 119999}) {
            auto& record = records[static_cast<std::size_t>(number - 1)];
            record.fields = testing::record_of(fields, {"m\xA0rked", std::to_string(number)});
            record.deleted = number == 52429;
        }
        dir_ = new testing::scratch_dir;
        testing::write_table(path(), fields, records);
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string path() { return dir_->file("BIG.DBF"); }

    void SetUp() override
    {
        with_default_settings::SetUp();
        ASSERT_TRUE(table = testing::open_table(path()));
        browse = table_browse(*table);
        browse.current_column = 1;
    }

    static testing::scratch_dir* dir_;
    std::unique_ptr<table_object> table;
    browse_object browse;
};

testing::scratch_dir* search_test::dir_ = nullptr;

TEST_F(search_test, finds_what_stepping_record_by_record_would_find)
{
    struct entry {
        std::int32_t from;
        search_direction direction;
        bool hide_deleted;
        std::int32_t found;  // 0: not found
    };
    const auto down = search_direction::down;
    const auto up = search_direction::up;
    const entry cases[] = {
        {1, down, false, 3},           {3, down, false, 52428},     {52428, down, false, 52429},
        {52428, down, true, 104857},   {104857, down, false, 119999}, {119999, down, false, 0},
        {record_total, up, false, 119999}, {104857, up, false, 52429}, {104857, up, true, 52428},
        {52428, up, false, 3},         {3, up, false, 0},           {1, up, false, 0},
    };
    for (const entry& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + (c.direction == down ? " down" : " up") +
                     (c.hide_deleted ? " hiding deleted" : ""));
        setting_by_index(SET_DELETED, c.hide_deleted ? "1" : "0");
        go_to_exactly(*table, c.from);
        // "MÁRKED" matches "márked" only through the Hungarian upper-casing.
        const search_result result = search_table(browse, {"M\xC1RK", c.direction});
        EXPECT_EQ(result.found, c.found != 0);
        EXPECT_EQ(result.record, c.found ? c.found : c.from);
        EXPECT_EQ(current_record(*table), result.record);
        EXPECT_EQ(std::stol(field_text(*table, 1)), result.record) << "the record buffer holds the record it stands on";
    }
}

TEST_F(search_test, tells_its_progress_and_stops_when_asked)
{
    go_to_exactly(*table, 1);
    std::vector<int> told;
    const search_result whole = search_table(browse, {"nowhere"}, [&](int percent) {
        told.push_back(percent);
        return true;
    });
    EXPECT_FALSE(whole.found);
    EXPECT_EQ(whole.message, "Search string not found.");
    ASSERT_GE(told.size(), 2u) << "after every block";
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_LE(told.back(), 100);

    go_to_exactly(*table, 10);
    int calls = 0;
    const search_result stopped = search_table(browse, {"119999", search_direction::down, search_scope::all_columns},
                                               [&](int) { return ++calls < 1; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.found) << "record 119999 lies past the first block";
    EXPECT_EQ(stopped.message, "");
    EXPECT_EQ(current_record(*table), 10);
}

// The same names stored in each code page: the search compares them as the
// grid shows them, whether each byte is a character or not.
TEST(search_in_code_pages, finds_a_name_in_every_code_page_the_table_is_read_in)
{
    settings_restore_defaults();
    testing::scratch_dir dir;
    for (const code_page page : {code_page::cp852, code_page::cp1250, code_page::iso8859_2, code_page::utf8}) {
        SCOPED_TRACE(std::string(code_page_name(page)));
        std::vector<testing::fixture_record> records;
        for (const char* name : {"Kov\xE1" "cs", "\xD6" "d\xF6n Bea", "row"}) {
            std::string stored;
            ASSERT_FALSE(program_to_stored(page, name, stored));
            records.push_back({testing::record_of(fields, {stored, "1"})});
        }
        const std::string path = dir.file(std::string(code_page_name(page)) + ".DBF");
        const auto table = testing::open_new_table(path, fields, records);
        choose_code_page(*table, page);
        browse_object browse = table_browse(*table);
        for (const search_scope scope : {search_scope::current_column, search_scope::all_columns}) {
            browse.current_column = 1;
            go_to_exactly(*table, 1);
            // Upper case on the user's side, lower case in the table.
            const search_result found = search_table(browse, {"\xD6" "D\xD6N", search_direction::down, scope});
            EXPECT_TRUE(found.found);
            EXPECT_EQ(found.record, 2);
        }
    }
}

}  // namespace
}  // namespace vortel
