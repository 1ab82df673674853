// The record commands in the desktop program's order while another process
// works on the same table: the table window shows record 3; the user opens
// the cell editor or the memo dialog on it, or is about to press Delete or
// Insert; another process acts; then the command finishes. While an editor
// is open the window repaints, which moves its table the way navigation
// does. The change must land on the record the user saw and keep what the
// other process stored; the other process's rebuilds and sorts must be
// refused.
#include "commands/cell_store.h"
#include "commands/record_commands.h"
#include "commands/undo.h"

#include "commands/tests/command_test_support.h"
#include "engine/tests/table_fixture.h"
#include "runtime/settings.h"

#include <functional>

namespace vortel {
namespace {

using testing::read_file;
using testing::record_of;
using testing::run_program;

const std::vector<field_list_entry> fields = {{"NAME", 'C', 10, 0}, {"CITY", 'C', 10, 0}, {"NOTES", 'M', 10, 0}};
constexpr int name_field = 0, notes_field = 2;
constexpr std::int32_t seen = 3;  // the record the user saw

// A record as table_rows shows it: "*" for the mark, then NAME|CITY|memo.
struct row {
    bool deleted = false;
    std::string name, city, memo;
    std::string text() const
    {
        return (deleted ? "*" : "") + record_of(fields, {name, city}).substr(0, 20).insert(10, "|") + "|" + memo;
    }
};

using rows = std::vector<row>;

struct other_action {
    const char* what;
    // How the other process is run: the table probe, or vortel-cli for the
    // rebuilds, which must be refused while our table is open, and for the
    // recall (its delete of a deleted record takes the mark off).
    std::function<int(const std::string& path)> run;
    int status;  // its expected exit status
    std::function<void(rows&)> effect;
    bool needs_seen_deleted = false;  // acts on a record the user saw deleted
};

int probe(const std::vector<std::string>& arguments) { return run_program(TABLE_PROBE, arguments); }
int cli(const std::vector<std::string>& arguments) { return run_program(VORTEL_CLI, arguments); }

const std::vector<other_action>& other_actions()
{
    static const std::vector<other_action> actions = {
        {"sets another field", [](auto& p) { return probe({"set", p, "3", "2", "Elsewhere"}); }, 0,
         [](rows& r) { r[2].city = "Elsewhere"; }},
        {"sets the name", [](auto& p) { return probe({"set", p, "3", "1", "Theirs"}); }, 0,
         [](rows& r) { r[2].name = "Theirs"; }},
        {"writes the memo", [](auto& p) { return probe({"memo", p, "3", "3", std::string(700, 't')}); }, 0,
         [](rows& r) { r[2].memo = std::string(700, 't'); }},
        {"deletes the record", [](auto& p) { return probe({"delete", p, "3"}); }, 0,
         [](rows& r) { r[2].deleted = true; }},
        {"recalls the record", [](auto& p) { return cli({"delete", p, "3"}); }, 0,
         [](rows& r) { r[2].deleted = false; }, true},
        {"appends records", [](auto& p) { return probe({"append", p, "2", "NEW"}); }, 0,
         [](rows& r) {
             r.push_back({false, "NEW-0", "", ""});
             r.push_back({false, "NEW-1", "", ""});
         }},
        {"packs", [](auto& p) { return cli({"pack", p}); }, 1, [](rows&) {}},
        {"zaps", [](auto& p) { return cli({"zap", p}); }, 1, [](rows&) {}},
        {"modifies the structure", [](auto& p) { return cli({"modify", p, "NAME:C:10", "CITY:C:10", "NOTES:M"}); },
         1, [](rows&) {}},
        // A sort elsewhere would put another person's record under the number
        // the editor holds, so it is refused while our table is open, as a
        // pack is: it builds its result in a copy that takes the table's
        // place; an in-place sort could not see that we are here. The cities
        // run backwards, so the sort would move every record.
        {"sorts", [](auto& p) { return cli({"sort", p, "CITY"}); }, 1, [](rows&) {}},
    };
    return actions;
}

struct record_command {
    const char* what;
    bool open_meanwhile;  // an editor or dialog is open while the other process acts
    std::function<command_result(table_object& table)> finish;
    std::function<void(rows&, bool seen_deleted)> effect;
};

const std::vector<record_command>& record_commands()
{
    static const std::vector<record_command> commands = {
        {"Enter in the name cell", true,
         [](table_object& t) { return store_typed_value(t, seen, name_field, "Mine"); },
         [](rows& r, bool) { r[2].name = "Mine"; }},
        {"Save in the memo dialog", true,
         [](table_object& t) { return store_memo_text(t, seen, notes_field, "my memo"); },
         [](rows& r, bool) { r[2].memo = "my memo"; }},
        // Keys act at once on the record the window painted last; the mark
        // the user saw decides the direction.
        {"the delete toggle", false, [](table_object& t) { return toggle_delete(t); },
         [](rows& r, bool seen_deleted) { r[2].deleted = !seen_deleted; }},
        {"New record", false, [](table_object& t) { return append_new_record(t); },
         [](rows& r, bool) { r.push_back({}); }},
    };
    return commands;
}

class concurrent_edit_test : public testing_support::with_default_settings {
protected:

    // Five records, P1 to P5 in City5 to City1, each with a memo; record 3
    // deleted on request.
    rows write_start(bool third_deleted)
    {
        rows start;
        std::vector<testing::fixture_record> records;
        std::vector<std::string> memos;
        for (int i = 1; i <= 5; ++i) {
            const std::string n = std::to_string(i);
            start.push_back({i == 3 && third_deleted, "P" + n, "City" + std::to_string(6 - i), "memo " + n});
            records.push_back({record_of(fields, {start.back().name, start.back().city}), start.back().deleted});
            memos.push_back(start.back().memo);
        }
        testing::put_memos(*testing::open_new_table(path, fields, records), notes_field, memos);
        return start;
    }

    std::string files_now() const { return testing::table_bytes(path); }

    static std::vector<std::string> texts(const rows& expected)
    {
        std::vector<std::string> out;
        for (const row& r : expected) out.push_back(r.text());
        return out;
    }

    testing::scratch_dir dir;
    std::string path = dir.file("PEOPLE.DBF");
};

TEST_F(concurrent_edit_test, a_record_command_lands_on_the_record_the_user_saw_and_a_rebuild_or_sort_elsewhere_is_refused)
{
    for (const bool hidden : {false, true}) {
        for (const record_command& command : record_commands()) {
            for (const other_action& other : other_actions()) {
                // With deleted records hidden the user never sees one.
                if (other.needs_seen_deleted && hidden) continue;
                SCOPED_TRACE(std::string(hidden ? "deleted records hidden, " : "") + command.what +
                             ", the other process " + other.what);
                rows expected = write_start(other.needs_seen_deleted);
                const std::string before = files_now();
                std::unique_ptr<table_object> table;
                ASSERT_TRUE(table = testing::open_table(path, 1, {hidden}));
                ASSERT_EQ(go_to(*table, seen), 1);
                ASSERT_EQ(current_record(*table), seen);
                const bool seen_deleted = is_deleted(*table) != 0;

                EXPECT_EQ(other.run(path), other.status);
                if (other.status != 0) {
                    EXPECT_TRUE(files_now() == before) << "the table is unchanged";
                    EXPECT_EQ(testing::files_in(dir.path()).size(), 2u) << "no copy or backup left";
                }
                other.effect(expected);
                if (command.open_meanwhile) go_to(*table, seen);  // a repaint

                const command_result result = command.finish(*table);
                EXPECT_TRUE(result.done) << result.message;
                command.effect(expected, seen_deleted);
                table.reset();  // every record read back, deleted ones too
                EXPECT_EQ(testing::table_rows(path), texts(expected));
            }
        }
    }
}

// Undo of a window's edits: each takes the file back to the bytes it had,
// never over a later change by another process, and through the edit's own
// lock.
const std::vector<field_list_entry> priced_fields = {{"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}, {"NOTES", 'M', 10, 0}};
constexpr int name = 0, price = 1, notes = 2;

class undo_test : public testing_support::with_default_settings {
protected:
    void SetUp() override
    {
        with_default_settings::SetUp();
        table.reset();
        std::vector<testing::fixture_record> records;
        for (const char* who : {"Anna", "Bela", "Cecil"}) records.push_back({testing::record_of(priced_fields, {who, "    1.50"})});
        records[2].deleted = true;
        testing::write_table(path, priced_fields, records);
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
