#include "commands/cell_store.h"
#include "commands/file_replacement.h"
#include "commands/go_to_record.h"
#include "commands/record_commands.h"
#include "commands/search.h"
#include "commands/sort_key.h"
#include "commands/structure_change.h"
#include "commands/table_info.h"

#include "commands/tests/command_test_support.h"
#include "engine/record_blocks.h"
#include "engine/table_code_page.h"
#include "engine/tests/table_fixture.h"
#include "platform/code_page.h"
#include "runtime/settings.h"

#include <functional>

namespace vortel {
namespace {

using testing::background_program;
using testing::record_of;

const std::vector<field_list_entry> fields = {
    {"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}, {"BORN", 'D', 8, 0}, {"ACTIVE", 'L', 1, 0}, {"NOTES", 'M', 10, 0}};

// "\x99D\x99N" is ÖDÖN in code page 852, as tables store it.
const char* const names[] = {"Kiss Anna", "Nagy Bela", "\x99" "D" "\x99" "N", "Kovacs", "Kiss Peter"};

class record_commands_test : public testing_support::with_default_settings {
protected:
    void SetUp() override
    {
        with_default_settings::SetUp();
        rewrite();
    }

    void rewrite()
    {
        table.reset();
        std::vector<testing::fixture_record> records;
        for (const char* name : names) records.push_back({record_of(fields, {name, "    1.50", "20240229", "F"})});
        records[3].fields = record_of(fields, {names[3], "", "19991231"});
        table = testing::open_new_table(path, fields, records);
    }

    std::string on_disk(std::int32_t number, int field) { return testing::stored_field(path, number, field); }

    // A second process holding the lock of record `number`.
    std::unique_ptr<background_program> hold_record(std::int32_t number)
    {
        const std::int64_t start = table->header.header_length + std::int64_t{number - 1} * record_length(*table);
        return testing::holding(FILE_PROBE, {"hold", path, std::to_string(start), std::to_string(record_length(*table))});
    }

    testing::scratch_dir dir;
    std::string path = dir.file("PEOPLE.DBF");
    std::unique_ptr<table_object> table;
};

TEST_F(record_commands_test, table_info_lists_every_field_and_the_record_length)
{
    const std::vector<field_list_entry> small = {{"NAME", 'C', 20, 0}, {"AGE", 'N', 3, 0}};
    const std::string small_path = dir.file("SMALL.DBF");
    const auto small_table = testing::open_new_table(small_path, small, {});
    EXPECT_EQ(table_info_text(*small_table), "Table name : " + small_path + "\r\n"
                                             "Code page  : 852 (setting SET_OEMTOANSI)\r\n"
                                             "--- ---------- ---- --- -------\r\n"
                                             "    Fieldname  Type Len Decimal\r\n"
                                             "--- ---------- ---- --- -------\r\n"
                                             "  0 delete flag       1\r\n"
                                             "--- ---------- ---- --- -------\r\n"
                                             "  1 NAME       C     20       0\r\n"
                                             "  2 AGE        N      3       0\r\n"
                                             "\r\n"
                                             "The record length    24 bytes.\r\n");
}

// A change under a lock another process holds is refused and leaves the
// file and the window's record as they were; it goes through once the lock
// is free again.
TEST_F(record_commands_test, a_record_or_table_held_elsewhere_refuses_each_change_until_released)
{
    const int notes = 4;
    const struct {
        const char* what;
        std::int32_t record;  // the window stands on it, and another process holds it
        std::function<command_result(table_object&)> change;
        const char* message;
    } cases[] = {
        {"the delete toggle", 2, [](table_object& t) { return toggle_delete(t); }, "The record busy."},
        {"a typed value", 4, [](table_object& t) { return store_typed_value(t, current_record(t), 0, "Busy"); },
         "The record busy."},
        {"a memo", 2, [](table_object& t) { return store_memo_text(t, current_record(t), notes, "Lost"); },
         "The record busy."},
        {"a new record, another record held", 3, [](table_object& t) { return append_new_record(t); },
         "The table busy !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        rewrite();
        go_to(*table, c.record);
        const std::string before = testing::table_bytes(path);
        {
            const auto holder = hold_record(c.record);
            const command_result busy = c.change(*table);
            EXPECT_FALSE(busy.done);
            EXPECT_EQ(busy.message, c.message);
            EXPECT_EQ(testing::table_bytes(path), before);
            EXPECT_EQ(record_count(*table), 5);
            EXPECT_EQ(is_deleted(*table), 0);
            EXPECT_EQ(field_text(*table, 0), on_disk(c.record, 0)) << "the window shows what the file holds";
            EXPECT_EQ(memo_text(*table, notes), "");
        }
        EXPECT_TRUE(c.change(*table).done) << "the lock is free again";
    }
    EXPECT_EQ(current_record(*table), 6) << "a new record is stood on";
}

TEST_F(record_commands_test, typed_values_are_stored_in_the_fields_stored_form)
{
    struct entry {
        const char* field;
        const char* typed;
        const char* setting;  // name=value, or ""
        const char* stored;   // field text afterwards
        const char* message;
    };
    const entry cases[] = {
        {"PRICE", "12,5", "", "   12.50", ""},
        {"PRICE", " -12.5 ", "SET_TIZEDESJEL=,", "  -12.50", ""},
        {"PRICE", "12,5", "SET_TIZEDESJEL=,", "   12.50", ""},
        {"PRICE", "1.234,5", "SET_TIZEDESJEL=,", "    1.50", "1.234,5 is not a number for PRICE N(8,2)"},
        {"PRICE", "-1,234.50", "", "    1.50", "-1,234.50 is not a number for PRICE N(8,2)"},
        {"PRICE", "1e5", "", "    1.50", "1e5 is not a number for PRICE N(8,2)"},
        {"PRICE", "99999999", "", "    1.50", "99999999 does not fit PRICE N(8,2)"},
        {"BORN", "2001.06.01", "", "20010601", ""},
        {"BORN", "31.12.1999", "SET_DATEFORMAT=DD.MM.YYYY", "19991231", ""},
        {"BORN", "2001.13.01", "", "20240229", "Bad date !"},
        {"BORN", "    .  .  ", "", "        ", ""},
        {"BORN", "2001.", "", "20240229", "Bad date !"},
        {"BORN", "31.12.1999", "", "20240229", "Bad date !"},
        {"ACTIVE", "x", "", "F", "x is not a logical value (T, F, Y, N or ?) for ACTIVE"},
    };
    for (const entry& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.typed + " " + c.setting);
        settings_restore_defaults();
        rewrite();
        if (const std::string set = c.setting; !set.empty())
            setting_by_name(set.substr(0, set.find('=')), set.substr(set.find('=') + 1));
        const command_result result = store_typed_value(*table, current_record(*table), field_index(*table, c.field), c.typed);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.done, *c.message == '\0');
        const int index = field_index(*table, c.field);
        EXPECT_EQ(on_disk(1, index), c.stored);
        EXPECT_EQ(field_text(*table, index), c.stored) << "the grid shows what the file holds";
    }
}

TEST_F(record_commands_test, memo_texts_are_stored_under_the_record_lock)
{
    const int notes = field_index(*table, "notes");
    go_to(*table, 2);
    EXPECT_EQ(memo_text(*table, notes), "");
    ASSERT_TRUE(store_memo_text(*table, 2, notes, "Long story").done);
    EXPECT_EQ(memo_text(*table, notes), "Long story");
    EXPECT_EQ(memo_text(*table, 0), "") << "only memo fields hold memos";
    EXPECT_FALSE(store_memo_text(*table, 2, 0, "x").done);
    EXPECT_FALSE(store_typed_value(*table, 2, notes, "12").done) << "a block number is no typed value";
    EXPECT_FALSE(store_typed_value(*table, 2, field_index(*table, "MISSING"), "x").done);
    EXPECT_EQ(on_disk(2, 0), "Nagy Bela ");
    {
        // Another process allocating memo blocks holds the memo file's header.
        const auto holder = testing::holding(FILE_PROBE, {"hold", dbt_file_name(path), "0", "512"});
        const command_result refused = store_memo_text(*table, 2, notes, std::string(600, 'x'));
        EXPECT_FALSE(refused.done);
        EXPECT_EQ(refused.message, "Memo write error !");
    }
    EXPECT_EQ(memo_text(*table, notes), "Long story");
}

TEST_F(record_commands_test, search_steps_off_the_current_record_and_returns_to_it_when_nothing_matches)
{
    struct entry {
        std::int32_t from;
        const char* text;
        search_direction direction;
        int column;  // -1: all columns
        bool case_sensitive;
        std::int32_t found;  // 0: not found
    };
    const auto down = search_direction::down;
    const auto up = search_direction::up;
    const entry cases[] = {
        {1, "kiss", down, 1, false, 5},
        {1, "  kiss  ", down, 1, false, 5},
        {1, "kiss", down, 1, true, 0},
        {1, "\xF6" "d" "\xF6" "n", down, 1, false, 3},
        {1, "\xF6" "d" "\xF6" "n", down, 1, true, 0},
        {1, "1999.12.31", down, 3, false, 4},
        {1, "19991231", down, 3, false, 0},
        {1, "19991231", down, -1, false, 4},
        {1, "", down, 1, false, 2},
        {2, "", up, 1, false, 1},
        {1, "", down, 0, false, 0},
    };
    browse_object browse = table_browse(*table);
    for (const entry& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " [" + c.text + "] column " + std::to_string(c.column));
        go_to(*table, c.from);
        browse.current_column = c.column < 0 ? 1 : c.column;
        const search_request request{
            c.text, c.direction, c.column < 0 ? search_scope::all_columns : search_scope::current_column, c.case_sensitive};
        const search_result result = search_table(browse, request);
        EXPECT_EQ(result.found, c.found != 0);
        EXPECT_EQ(result.record, c.found ? c.found : c.from);
        EXPECT_EQ(current_record(*table), result.record);
        EXPECT_EQ(result.message, c.found ? "" : "Search string not found.");
    }
}

TEST_F(record_commands_test, the_grid_follows_found_and_chosen_records_and_stays_put_otherwise)
{
    browse_object browse = table_browse(*table);
    browse.visible_rows = 4;
    browse.current_column = 1;
    ASSERT_TRUE(go_to_record(browse, "2").moved);
    EXPECT_EQ(browse.current_row, 2) << "records near the top go to the row of their number";
    EXPECT_EQ(initial_search_text(browse), "Nagy Bela");

    ASSERT_TRUE(search_grid(browse, {"kiss"}).found);
    EXPECT_EQ(browse.current_record, 5);
    EXPECT_EQ(browse.current_row, 2) << "downwards the screen row is kept";
    EXPECT_EQ(browse.top_offset, -1);
    browse.move_pending = false;
    EXPECT_FALSE(search_grid(browse, {"nobody"}).found);
    EXPECT_FALSE(browse.move_pending);
    ASSERT_TRUE(search_grid(browse, {"nagy", search_direction::up}).found);
    EXPECT_EQ(browse.current_row, 1) << "upwards the record goes to the top row";

    browse.current_row = 3;
    ASSERT_TRUE(go_to_record(browse, "5").moved);
    EXPECT_EQ(current_record(*table), 5);
    EXPECT_EQ(browse.current_row, 3) << "a record past the first screen keeps the row";
    EXPECT_TRUE(browse.move_pending);
    EXPECT_EQ(go_to_record(browse, "6").message, "Out of range.");
    EXPECT_FALSE(go_to_record(browse, "0").moved);
    EXPECT_FALSE(go_to_record(browse, "abc").moved);
    EXPECT_EQ(current_record(*table), 5);
}

// Every command that changes a table says why a read-only one refuses,
// before any lock or dialog: never "The record busy." or "The table busy !".
TEST_F(record_commands_test, a_read_only_table_refuses_every_change_with_its_reason)
{
    table.reset();
    const std::string before = testing::table_bytes(path);
    ASSERT_TRUE(table = testing::open_table(path, 0));
    const std::string refusal = "The table is read-only: opened read-only as asked";
    EXPECT_EQ(toggle_delete(*table).message, refusal);
    EXPECT_EQ(append_new_record(*table).message, refusal);
    EXPECT_EQ(store_typed_value(*table, 1, 0, "Zoe").message, refusal);
    EXPECT_EQ(store_typed_value(*table, 1, 2, "no date").message, refusal) << "the table's reason comes first";
    EXPECT_EQ(store_memo_text(*table, 1, 4, "memo").message, refusal);
    EXPECT_EQ(rebuild_table(table, rebuild_kind::pack).message, refusal);
    ASSERT_TRUE(table) << "a refused rebuild keeps the table open";
    EXPECT_EQ(rebuild_table(table, rebuild_kind::zap).message, refusal);
    EXPECT_EQ(sort_command(*table, {0}, sort_collation::english).message,
              std::string(sort_failed_message) + " " + refusal);
    EXPECT_EQ(change_structure(table, fields).message, refusal);
    EXPECT_NE(table_info_text(*table).find("\r\nRead-only  : opened read-only as asked\r\n"), std::string::npos);

    EXPECT_EQ(testing::table_bytes(path), before);
    EXPECT_EQ(testing::files_in(dir.path()), (std::set<std::string>{"PEOPLE.DBF", "PEOPLE.DBT"}));
}

// The search over a table larger than one read block: the records it
// compares, in both directions and across block edges, are the ones the
// grid's moves would visit; progress is told and the search can be stopped.
const std::vector<field_list_entry> big_fields = {{"NAME", 'C', 12, 0}, {"N", 'N', 7, 0}};
// Records of 20 bytes: a read block holds 52,428 of them.
constexpr std::int32_t record_total = 120000;

class search_test : public testing_support::with_default_settings {
protected:
    static void SetUpTestSuite()
    {
        settings_restore_defaults();
        std::vector<testing::fixture_record> records(record_total);
        for (std::int32_t i = 0; i < record_total; ++i) {
            records[static_cast<std::size_t>(i)].fields = testing::record_of(big_fields, {"row", std::to_string(i + 1)});
        }
        // "m\xA0rked" is márked in code page 852. Marked records sit at the
        // two block edges and near both ends.
        for (const std::int32_t number : {3, 52428, 52429, 104857, 119999}) {
            auto& record = records[static_cast<std::size_t>(number - 1)];
            record.fields = testing::record_of(big_fields, {"m\xA0rked", std::to_string(number)});
            record.deleted = number == 52429;
        }
        dir_ = new testing::scratch_dir;
        testing::write_table(path(), big_fields, records);
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

TEST_F(search_test, records_found_are_every_match_in_record_order_and_the_table_stays)
{
    ASSERT_TRUE(go_to_exactly(*table, 7));
    EXPECT_EQ(records_found(browse, {"M\xC1RK"}), (std::vector<std::int32_t>{3, 52428, 52429, 104857, 119999}));
    table->navigation.hide_deleted = true;
    EXPECT_EQ(records_found(browse, {"M\xC1RK"}), (std::vector<std::int32_t>{3, 52428, 104857, 119999}));
    table->navigation.hide_deleted = false;
    EXPECT_EQ(current_record(*table), 7);
    EXPECT_TRUE(records_found(browse, {"nowhere", search_direction::up, search_scope::all_columns}).empty());

    // A filter's search finds its members only, and steps over the others.
    record_set kept(record_total);
    for (const std::int32_t member : {3, 7, 52429, 119999}) kept.add(member);
    table->navigation.filter = std::make_shared<const record_set>(kept);
    EXPECT_EQ(records_found(browse, {"M\xC1RK"}), (std::vector<std::int32_t>{3, 52429, 119999}));
    table->navigation.hide_deleted = true;
    EXPECT_EQ(records_found(browse, {"M\xC1RK"}), (std::vector<std::int32_t>{3, 119999}));
    table->navigation.hide_deleted = false;
    EXPECT_EQ(search_table(browse, {"M\xC1RK"}).record, 52429);
    EXPECT_EQ(search_table(browse, {"M\xC1RK", search_direction::up}).record, 3);
    table->navigation.filter = nullptr;
}

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
        table->navigation.hide_deleted = c.hide_deleted;
        ASSERT_TRUE(go_to_exactly(*table, c.from));
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
    ASSERT_TRUE(go_to_exactly(*table, 1));
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

    ASSERT_TRUE(go_to_exactly(*table, 10));
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
            records.push_back({testing::record_of(big_fields, {stored, "1"})});
        }
        const std::string path = dir.file(std::string(code_page_name(page)) + ".DBF");
        const auto table = testing::open_new_table(path, big_fields, records);
        choose_code_page(*table, page);
        browse_object browse = table_browse(*table);
        for (const search_scope scope : {search_scope::current_column, search_scope::all_columns}) {
            browse.current_column = 1;
            ASSERT_TRUE(go_to_exactly(*table, 1));
            // Upper case on the user's side, lower case in the table.
            const search_result found = search_table(browse, {"\xD6" "D\xD6N", search_direction::down, scope});
            EXPECT_TRUE(found.found);
            EXPECT_EQ(found.record, 2);
        }
    }
}

}  // namespace
}  // namespace vortel
