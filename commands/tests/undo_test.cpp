// Undo of a window's edits: each takes the file back to the bytes it had,
// never over a later change by another process, and through the edit's own
// lock.
#include "commands/undo.h"

#include "commands/tests/command_test_support.h"
#include "engine/tests/table_fixture.h"
#include "shell/settings.h"

#include <functional>

namespace vortel {
namespace {

using testing::read_file;
using testing::run_program;

const std::vector<field_list_entry> fields = {{"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}, {"NOTES", 'M', 10, 0}};
constexpr int name = 0, price = 1, notes = 2;

class undo_test : public testing_support::with_default_settings {
protected:
    void SetUp() override
    {
        with_default_settings::SetUp();
        table.reset();
        std::vector<testing::fixture_record> records;
        for (const char* who : {"Anna", "Bela", "Cecil"}) records.push_back({testing::record_of(fields, {who, "    1.50"})});
        records[2].deleted = true;
        testing::write_table(path, fields, records);
        // Tables from other programs end with an end-of-file mark.
        testing::write_file(path, read_file(path) + "\x1A");
        table = testing::open_table(path);
        testing::put_memos(*table, notes, {"first memo"});
        history = {};
        dbf_before = read_file(path);
    }

    std::string stored(std::int32_t record, int field) { return testing::stored_field(path, record, field); }

    testing::scratch_dir dir;
    std::string path = dir.file("PEOPLE.DBF");
    std::unique_ptr<table_object> table;
    edit_history history;
    std::string dbf_before;
};

using edit = std::function<bool(edit_history&, table_object&)>;

edit cell(std::int32_t record, int field, const char* typed)
{
    return [=](edit_history& h, table_object& t) { return h.store_typed_value(t, record, field, typed).done; };
}
edit memo(std::int32_t record, std::string text)
{
    return [=](edit_history& h, table_object& t) { return h.store_memo_text(t, record, notes, text).done; };
}
edit toggle(std::int32_t record)
{
    return [=](edit_history& h, table_object& t) { return go_to_exactly(t, record) && h.toggle_delete(t).done; };
}
edit new_record()
{
    return [](edit_history& h, table_object& t) { return h.append_new_record(t).done; };
}

TEST_F(undo_test, every_edit_is_taken_back_to_the_very_bytes_it_replaced)
{
    const struct {
        const char* what;
        std::vector<edit> edits;
    } cases[] = {
        {"a name", {cell(2, name, "Zoltan")}},
        {"a number typed with a comma", {cell(1, price, "12,5")}},
        {"a memo, over an older one", {memo(1, "second memo")}},
        {"a memo where there was none", {memo(2, std::string(700, 'm'))}},
        {"a delete", {toggle(1)}},
        {"a recall", {toggle(3)}},
        {"a new record, its end-of-file mark back", {new_record()}},
        {"a new record typed into", {new_record(), cell(4, name, "Dora"), memo(4, "hers"), toggle(4)}},
        {"several edits of one cell", {cell(2, name, "One"), cell(2, name, "Two"), cell(2, name, "Three")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const std::string dbt_before = read_file(dbt_file_name(path));
        for (const edit& e : c.edits) ASSERT_TRUE(e(history, *table));
        EXPECT_NE(read_file(path) + read_file(dbt_file_name(path)), dbf_before + dbt_before);
        ASSERT_EQ(history.size(), c.edits.size());
        while (history.size() > 0) {
            const undo_result result = history.undo(*table);
            ASSERT_TRUE(result.done) << result.message;
        }
        EXPECT_EQ(read_file(path), dbf_before);
        EXPECT_EQ(stored(1, notes), "first memo");
        EXPECT_FALSE(history.undo(*table).done) << "nothing left to undo";
    }
}

TEST_F(undo_test, a_later_change_by_another_process_is_never_undone)
{
    const std::string p = path;
    struct field_after {
        std::int32_t record;
        int field;  // -1: the delete mark
        const char* text;
    };
    const struct {
        const char* what;
        edit ours;
        std::vector<std::string> theirs;  // the other program's arguments
        bool undone;
        std::size_t records;  // in the file afterwards: none of theirs is removed
        std::vector<field_after> after;
        const char* program = TABLE_PROBE;
    } cases[] = {
        {"they set the same field", cell(2, name, "Ours"), {"set", p, "2", "1", "Theirs"}, false, 3, {{2, name, "Theirs    "}}},
        {"they set another field of the record: theirs stays", cell(2, name, "Ours"), {"set", p, "2", "2", "9.25"}, true,
         3, {{2, name, "Bela      "}, {2, price, "    9.25"}}},
        {"they wrote the memo", memo(1, "ours"), {"memo", p, "1", "3", "theirs"}, false, 3, {{1, notes, "theirs"}}},
        // vortel-cli's delete of a deleted record takes the mark off.
        {"they recalled what we deleted", toggle(1), {"delete", p, "1"}, false, 3, {{1, -1, " "}}, VORTEL_CLI},
        {"they typed into our new record", new_record(), {"set", p, "4", "1", "Theirs"}, false, 4, {{4, name, "Theirs    "}}},
        {"they appended after our new record: ours is marked deleted instead", new_record(), {"append", p, "1", "NEW"},
         true, 5, {{4, -1, "*"}, {5, name, "NEW-0     "}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_TRUE(cell(3, name, "Earlier")(history, *table));
        ASSERT_TRUE(c.ours(history, *table));
        ASSERT_EQ(run_program(c.program, c.theirs), 0);
        const undo_result result = history.undo(*table);
        EXPECT_EQ(result.done, c.undone);
        EXPECT_EQ(result.message, c.undone ? "" : changed_since_text);
        EXPECT_EQ(testing::table_rows(path).size(), c.records);
        for (const field_after& a : c.after) EXPECT_EQ(stored(a.record, a.field), a.text) << a.record << ":" << a.field;
        EXPECT_EQ(history.size(), 1u) << "the step is dropped either way";
        EXPECT_TRUE(history.undo(*table).done) << "the earlier step is next";
        EXPECT_EQ(stored(3, name), "Cecil     ");
    }
}

TEST_F(undo_test, a_lock_held_elsewhere_refuses_undo_until_it_is_released)
{
    const struct {
        const char* what;
        edit ours;
        std::vector<std::string> holder;
        const char* message;
    } cases[] = {
        {"a cell, its record held", cell(2, name, "Ours"), {"hold-record", path, "2"}, "The record busy."},
        {"a delete, its record held", toggle(2), {"hold-record", path, "2"}, "The record busy."},
        {"a new record, the table held", new_record(), {"hold-table", path}, "The table busy !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_TRUE(c.ours(history, *table));
        {
            const auto holder = testing::holding(TABLE_PROBE, c.holder);
            const undo_result refused = history.undo(*table);
            EXPECT_FALSE(refused.done);
            EXPECT_EQ(refused.message, c.message);
            EXPECT_EQ(history.size(), 1u) << "kept for another try";
        }
        EXPECT_TRUE(history.undo(*table).done);
        EXPECT_EQ(read_file(path), dbf_before);
    }
}

TEST_F(undo_test, keeps_the_last_hundred_steps_and_no_step_for_an_edit_that_changed_nothing)
{
    ASSERT_TRUE(cell(2, name, "Bela")(history, *table));
    EXPECT_EQ(history.size(), 0u) << "the same value stored again";
    for (int i = 0; i < 105; ++i) ASSERT_TRUE(cell(2, name, std::to_string(i).c_str())(history, *table));
    EXPECT_EQ(history.size(), undo_depth);
    while (history.undo(*table).done) {
    }
    EXPECT_EQ(stored(2, name), "4         ") << "the oldest five steps went";
}

}  // namespace
}  // namespace vortel
