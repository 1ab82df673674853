#include "commands/field_validation.h"
#include "commands/file_replacement.h"
#include "commands/structure_change.h"

#include "engine/tests/table_fixture.h"
#include "platform/file_ops.h"
#include "shell/settings.h"
#include "testing/child_process.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>

namespace vortel {
namespace {

using testing::files_in;

using testing::background_program;
using testing::read_file;
using testing::write_file;


// Renames succeed this many more times, then fail.
int renames_left = 0;
int limited_rename(const char* from, const char* to)
{
    if (renames_left-- > 0) return system_file_ops().rename_no_replace(from, to);
    errno = EACCES;
    return -1;
}

ssize_t short_writes_only(int fd, const void* buffer, std::size_t count)
{
    if (count > 60000) {
        errno = ENOSPC;
        return -1;
    }
    return system_file_ops().write(fd, buffer, count);
}

// File names only: the replacement never looks inside.
class file_replacement_test : public ::testing::Test {
protected:
    void write_files(bool with_memo)
    {
        write_file(table, "old table");
        write_file(dbt_file_name(table), "old memo");
        write_file(copy, "new table");
        if (with_memo) write_file(dbt_file_name(copy), "new memo");
        write_file(table + "0", "zero");
        write_file(table + "1", "one");
    }

    testing::scratch_dir dir;
    std::string table = dir.file("X.DBF");
    std::string copy = dir.file("X.DBF5");
};

TEST_F(file_replacement_test, puts_the_new_files_in_place_and_removes_the_backups)
{
    for (bool with_memo : {false, true}) {
        SCOPED_TRACE(with_memo);
        write_files(with_memo);
        if (with_memo) write_file(dir.file("X.DBFTT"), "stray");
        EXPECT_EQ(table_backup_name(table, with_memo), table + (with_memo ? "10" : "2"));
        const std::set<std::string> others = files_in(dir.path());

        const replacement_result result = replace_table_files(table, copy, with_memo);
        EXPECT_TRUE(result.replaced);
        EXPECT_TRUE(result.kept_files.empty());
        EXPECT_EQ(read_file(table), "new table");
        EXPECT_EQ(read_file(dbt_file_name(table)), with_memo ? "new memo" : "old memo");
        EXPECT_EQ(read_file(table + "0") + read_file(table + "1"), "zeroone");
        std::set<std::string> expected = others;
        expected.erase("X.DBF5");
        expected.erase("X.DBFT");
        EXPECT_EQ(files_in(dir.path()), expected);
    }
}

TEST_F(file_replacement_test, a_file_held_by_another_process_stops_it_and_everything_goes_back)
{
    struct held_case {
        std::string held;
        replacement_step step;
    };
    const held_case cases[] = {
        {"X.DBF", replacement_step::table_aside},
        {"X.DBT", replacement_step::memo_aside},
        {"X.DBFT", replacement_step::memo_in},
        {"X.DBF5", replacement_step::table_in},
    };
    for (const held_case& c : cases) {
        SCOPED_TRACE(c.held);
        write_files(true);
        background_program holder(FILE_PROBE, {"hold", dir.file(c.held)});
        ASSERT_EQ(holder.read_line(), "ready");
        const replacement_result result = replace_table_files(table, copy, true);
        EXPECT_FALSE(result.replaced);
        EXPECT_TRUE(result.table_in_place);
        EXPECT_EQ(result.failed_step, c.step);
        EXPECT_EQ(read_file(table), "old table");
        EXPECT_EQ(read_file(dbt_file_name(table)), "old memo");
        // The copy goes too, but for a file the other process keeps open.
        std::set<std::string> expected = {"X.DBF", "X.DBT", "X.DBF0", "X.DBF1", c.held};
        EXPECT_EQ(files_in(dir.path()), expected);
        ASSERT_EQ(holder.finish(), 0);
    }
}

TEST_F(file_replacement_test, an_undo_that_fails_leaves_the_old_files_under_their_backup_names)
{
    write_files(true);
    file_ops failing = system_file_ops();
    failing.rename_no_replace = limited_rename;
    renames_left = 2;  // both old files go aside; nothing moves after that
    replacement_result result;
    {
        scoped_file_ops inject(failing);
        result = replace_table_files(table, copy, true);
    }
    EXPECT_EQ(result.failed_step, replacement_step::memo_in);
    EXPECT_FALSE(result.table_in_place);
    ASSERT_EQ(result.kept_files, (std::vector<std::string>{table + "2", dir.file("X.DBFTT")}));
    EXPECT_EQ(read_file(result.kept_files[0]), "old table");
    EXPECT_EQ(read_file(result.kept_files[1]), "old memo");
    EXPECT_EQ(read_file(copy) + read_file(dbt_file_name(copy)), "new tablenew memo") << "nothing deleted";
}

const std::vector<field_list_entry> people_fields = {
    {"NAME", 'C', 30, 0}, {"CITY", 'C', 20, 0}, {"NOTES", 'M', 10, 0}, {"AMOUNT", 'N', 8, 2}};
const std::string long_memo = std::string(70000, 'L') + "end";

// A memo table open as a table window has it, standing on record 3.
class rebuild_command_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings_restore_defaults();
        testing::write_table(path, people_fields,
                             {{testing::record_of(people_fields, {"Kovacs Janos Istvan", "Budapest", "", "   12.50"})},
                              {testing::record_of(people_fields, {"Nagy Eva", "Szeged", "", "    3.00"}), true},
                              {testing::record_of(people_fields, {"Kiss Bela", "Pecs", "", "    0.00"})}});
        table = table_new(path);
        ASSERT_EQ(table_open(*table), 1);
        ASSERT_EQ(lock_table(*table), 1);
        go_to(*table, 1);
        ASSERT_EQ(memo_write(*table, 2, "short note"), 1);
        go_to(*table, 2);
        ASSERT_EQ(memo_write(*table, 2, long_memo), 1);
        unlock(*table);
        go_to(*table, 3);
        original = testing::table_rows(path);
    }
    void TearDown() override { settings_restore_defaults(); }

    testing::scratch_dir dir;
    std::string path = dir.file("PEOPLE.DBF");
    std::unique_ptr<table_object> table;
    std::vector<std::string> original;
    const std::set<std::string> table_files = {"PEOPLE.DBF", "PEOPLE.DBT"};
};

TEST_F(rebuild_command_test, pack_and_zap_replace_the_table_files)
{
    rebuild_result packed = rebuild_table(table, rebuild_kind::pack);
    EXPECT_TRUE(packed.copy_made && packed.replacement.replaced);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(testing::table_rows(path), (std::vector<std::string>{original[0], original[2]}));
    EXPECT_EQ(files_in(dir.path()), table_files);

    table = table_new(path);
    ASSERT_EQ(table_open(*table), 1);
    rebuild_result zapped = rebuild_table(table, rebuild_kind::zap);
    EXPECT_TRUE(zapped.replacement.replaced);
    EXPECT_TRUE(testing::table_rows(path).empty());
    EXPECT_EQ(read_file(dbt_file_name(path)).size(), 512u);
    EXPECT_EQ(files_in(dir.path()), table_files);
}

TEST_F(rebuild_command_test, pack_changes_nothing_while_another_process_has_the_table)
{
    {
        background_program holder(TABLE_PROBE, {"hold-record", path, "1"});
        ASSERT_EQ(holder.read_line(), "ready");
        EXPECT_FALSE(rebuild_table(table, rebuild_kind::pack).copy_made);
        ASSERT_NE(table, nullptr) << "the window keeps its table";
    }
    background_program holder(FILE_PROBE, {"hold", path});
    ASSERT_EQ(holder.read_line(), "ready");
    rebuild_result result = rebuild_table(table, rebuild_kind::pack);
    EXPECT_TRUE(result.copy_made);
    EXPECT_EQ(result.replacement.failed_step, replacement_step::table_aside);
    EXPECT_EQ(testing::table_rows(path), original);
    EXPECT_EQ(files_in(dir.path()), table_files);
}

TEST_F(rebuild_command_test, structure_change_copies_values_by_field_name)
{
    const std::vector<field_list_entry> base = people_fields;
    auto with = [&](std::size_t index, field_list_entry field) {
        std::vector<field_list_entry> fields = base;
        fields[index] = field;
        return fields;
    };
    struct change {
        const char* what;
        std::vector<field_list_entry> fields;
        std::vector<std::string> expected;  // live records 1 and 3
    };
    const std::string name1 = "Kovacs Janos Istvan" + std::string(11, ' ');
    const std::string name3 = "Kiss Bela" + std::string(21, ' ');
    const std::string city1 = "Budapest" + std::string(12, ' ');
    const std::string city3 = "Pecs" + std::string(16, ' ');
    const change changes[] = {
        {"rename", with(0, {"FULLNAME", 'C', 30, 0}),
         {std::string(30, ' ') + "|" + city1 + "|short note|   12.50",
          std::string(30, ' ') + "|" + city3 + "||    0.00"}},
        {"shorten", with(0, {"NAME", 'C', 10, 0}),
         {"Kovacs Jan|" + city1 + "|short note|   12.50", "Kiss Bela |" + city3 + "||    0.00"}},
        {"memo to character", with(2, {"NOTES", 'C', 50, 0}),
         {name1 + "|" + city1 + "|short note" + std::string(40, ' ') + "|   12.50",
          name3 + "|" + city3 + "|" + std::string(50, ' ') + "|    0.00"}},
        {"character to memo", with(1, {"CITY", 'M', 10, 0}),
         {name1 + "|" + city1 + "|short note|   12.50", name3 + "|" + city3 + "||    0.00"}},
        {"no memo left", {base[0], base[1], base[3]},
         {name1 + "|" + city1 + "|   12.50", name3 + "|" + city3 + "|    0.00"}},
    };
    const std::string old_memo_file = read_file(dbt_file_name(path));
    for (const change& c : changes) {
        SCOPED_TRACE(c.what);
        SetUp();
        setting_by_index(SET_DELETED, "1");  // the deleted record 2 stays behind
        std::vector<int> reported;
        restructure_result result = change_structure(table, c.fields, [&](int p) { reported.push_back(p); });
        EXPECT_EQ(result.status, restructure_status::changed);
        EXPECT_EQ(result.message, "");
        EXPECT_EQ(table, nullptr) << "the window closes";
        EXPECT_EQ(reported, std::vector<int>{0});
        EXPECT_EQ(testing::table_rows(path), c.expected);
        EXPECT_EQ(files_in(dir.path()), table_files);
        if (c.fields.size() == 3) {
            EXPECT_EQ(read_file(path)[0], 0x03);
            EXPECT_EQ(read_file(dbt_file_name(path)), old_memo_file) << "left beside the new table";
        }
    }
}

TEST_F(rebuild_command_test, a_failed_structure_change_leaves_the_table_with_its_memos)
{
    struct failure {
        const char* what;
        std::optional<std::vector<std::string>> holder;  // a second process's command line
        bool big_writes_fail;
        restructure_status status;
        std::string message;
    };
    const failure failures[] = {
        {"record locked elsewhere", std::vector<std::string>{TABLE_PROBE, "hold-record", path, "2"}, false,
         restructure_status::table_busy, ""},
        {"table open elsewhere", std::vector<std::string>{FILE_PROBE, "hold", path}, false,
         restructure_status::not_replaced, ""},
        {"memo file open elsewhere", std::vector<std::string>{FILE_PROBE, "hold", dbt_file_name(path)}, false,
         restructure_status::not_replaced, "DBT-file delete error."},
        {"memo cannot be written", std::nullopt, true, restructure_status::copy_failed, "Append error !"},
    };
    std::vector<field_list_entry> fields = people_fields;
    fields.push_back({"EXTRA", 'C', 5, 0});
    for (const failure& f : failures) {
        SCOPED_TRACE(f.what);
        SetUp();
        std::optional<background_program> holder;
        if (f.holder) {
            holder.emplace((*f.holder)[0], std::vector<std::string>(f.holder->begin() + 1, f.holder->end()));
            ASSERT_EQ(holder->read_line(), "ready");
        }
        file_ops failing = system_file_ops();
        if (f.big_writes_fail) failing.write = short_writes_only;
        restructure_result result;
        {
            scoped_file_ops inject(failing);
            result = change_structure(table, fields);
        }
        EXPECT_EQ(result.status, f.status);
        EXPECT_EQ(result.message, f.message);
        ASSERT_NE(table, nullptr) << "the window keeps the table";
        EXPECT_EQ(current_record(*table), 3);
        EXPECT_EQ(field_count(*table), 4);
        holder.reset();
        table.reset();
        EXPECT_EQ(testing::table_rows(path), original);
        EXPECT_EQ(files_in(dir.path()), table_files);
    }
}

TEST_F(rebuild_command_test, a_structure_change_that_cannot_undo_says_where_the_old_table_is)
{
    file_ops failing = system_file_ops();
    failing.rename_no_replace = limited_rename;
    renames_left = 2;
    restructure_result result;
    {
        scoped_file_ops inject(failing);
        result = change_structure(table, people_fields);
    }
    EXPECT_EQ(result.status, restructure_status::failed);
    EXPECT_EQ(result.message, "DBT-file create error.");
    EXPECT_EQ(table, nullptr);
    ASSERT_EQ(result.replacement.kept_files.size(), 2u);
    ASSERT_EQ(std::rename(result.replacement.kept_files[0].c_str(), path.c_str()), 0);
    ASSERT_EQ(std::rename(result.replacement.kept_files[1].c_str(), dbt_file_name(path).c_str()), 0);
    EXPECT_EQ(testing::table_rows(path), original) << "the backups are the whole old table";
}

TEST(field_validation, names_types_and_lengths_follow_the_dialog_rules)
{
    struct field_case {
        const char* name;
        char type;
        const char* length;
        const char* decimals;
        std::string message;
        field_list_entry expected;
    };
    const field_case cases[] = {
        {"name", 'C', "300", "2", "", {"NAME", 'C', 255, 0}},
        {"_a1", 'N', "25", "3", "", {"_A1", 'N', 19, 3}},
        {"born", 'D', "3", "1", "", {"BORN", 'D', 8, 0}},
        {"ok", 'L', "", "", "", {"OK", 'L', 1, 0}},
        {"notes", 'M', "0", "0", "", {"NOTES", 'M', 10, 0}},
        {"ABCDEFGHIJ", 'C', "0", "9", "", {"ABCDEFGHIJ", 'C', 0, 0}},
        {"", 'C', "10", "0", "Empty field name!", {}},
        {"1AB", 'C', "10", "0", "Bad field name!", {}},
        {"A-B", 'C', "10", "0", "Bad field name!", {}},
        {"ABCDEFGHIJK", 'C', "10", "0", "Bad field name!", {}},
        {"\xC1RA", 'C', "10", "0", "Bad field name!", {}},  // an accented letter
        {"A", 'X', "10", "0", "Bad field type!", {}},
        {"A", 'C', "1000", "0", "Bad field length!", {}},
        {"A", 'N', "8", "10", "Bad decimals!", {}},
    };
    for (const field_case& c : cases) {
        SCOPED_TRACE(c.name);
        const field_check check = check_field(c.name, c.type, c.length, c.decimals);
        EXPECT_EQ(check.message, c.message);
        if (!c.message.empty()) continue;
        EXPECT_EQ(check.field.name, c.expected.name);
        EXPECT_EQ(check.field.type, c.expected.type);
        EXPECT_EQ(check.field.length, c.expected.length);
        EXPECT_EQ(check.field.decimals, c.expected.decimals);
    }
}

TEST(field_validation, command_line_definitions_and_whole_lists)
{
    const field_list_check good = parse_field_list({"name:c", "amount:Numeric:12:2", "born:d", "notes:M:99"});
    ASSERT_EQ(good.message, "");
    ASSERT_EQ(good.fields.size(), 4u);
    EXPECT_EQ(good.fields[0].length, 10) << "the dialog's initial length";
    EXPECT_EQ(good.fields[1].type, 'N');
    EXPECT_EQ(good.fields[1].decimals, 2);
    EXPECT_EQ(good.fields[3].length, 10);

    const std::pair<std::vector<std::string>, std::string> bad[] = {
        {{"NAME"}, "Bad field definition!"},
        {{"A:C:1:2:3"}, "Bad field definition!"},
        {{"A:Text"}, "Bad field type!"},
        {{"1A:Text"}, "Bad field name!"},
        {{"A:C", "a:N"}, "Duplicate field name!"},
    };
    for (const auto& [definitions, message] : bad) EXPECT_EQ(parse_field_list(definitions).message, message);

    std::vector<field_list_entry> fields = good.fields;
    EXPECT_FALSE(append_field(fields, {"NAME", 'C', 5, 0}));
    EXPECT_FALSE(modify_field(fields, {"OTHER", 'C', 5, 0}));
    EXPECT_TRUE(modify_field(fields, {"Name", 'C', 5, 0}));
    EXPECT_EQ(fields[0].length, 5);

    EXPECT_EQ(check_table_definition("", fields), "Empty filename!");
    EXPECT_EQ(check_table_definition("T.DBF", {}), "Empty table!");
    EXPECT_EQ(check_table_definition("T.DBF", std::vector<field_list_entry>(128)), "Too many fields!");
    EXPECT_EQ(check_table_definition("T.DBF", fields), "");
}

}  // namespace
}  // namespace vortel
