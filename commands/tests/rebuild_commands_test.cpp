#include "commands/csv_table_creation.h"
#include "commands/field_validation.h"
#include "commands/file_replacement.h"
#include "commands/rebuild_journal.h"
#include "commands/rebuild_names.h"
#include "commands/rebuild_recovery.h"
#include "commands/record_commands.h"
#include "commands/sort_key.h"
#include "commands/structure_change.h"
#include "commands/table_repair.h"
#include "commands/tests/command_test_support.h"

#include "engine/pack_zap.h"
#include "engine/tests/table_fixture.h"
#include "platform/file_ops.h"
#include "runtime/settings.h"
#include "text/folding.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace vortel {
namespace {

using testing::background_program;
using testing::files_in;
using testing::record_of;
using testing::read_file;
using testing::write_file;

TEST(rebuild_names, copies_and_backups_come_in_pairs_that_share_no_memo_file)
{
    const struct {
        const char* table;
        std::string_view kind;
        int number;
        const char* expected;
    } cases[] = {
        {"/d/PEOPLE.DBF", copy_kind, 1, "/d/PEOPLE.NEW1.DBF"},
        {"/d/people.dbf", backup_kind, 12, "/d/people.old12.dbf"},
        {"T.Dbf", copy_kind, 2, "T.NEW2.Dbf"},
        {"/d/PEOPLE", copy_kind, 3, "/d/PEOPLE.NEW3_"},
        {"/d.x/people", backup_kind, 1, "/d.x/people.old1_"},
        {"/d/.hidden", copy_kind, 1, "/d/.hidden.new1_"},
    };
    for (const auto& c : cases) EXPECT_EQ(numbered_table_name(c.table, c.kind, c.number), c.expected);

    for (const std::string table : {"/d/PEOPLE.DBF", "/d/people", "/d/X.DAX"}) {
        std::set<std::string> tables = {table}, memos = {dbt_file_name(table)};
        for (std::string_view kind : {copy_kind, backup_kind}) {
            for (int number = 1; number <= 30; ++number) {
                const std::string name = numbered_table_name(table, kind, number);
                EXPECT_TRUE(tables.insert(name).second) << name;
                EXPECT_TRUE(memos.insert(dbt_file_name(name)).second) << "two tables share " << dbt_file_name(name);
            }
        }
        for (const std::string& memo : memos) EXPECT_FALSE(tables.contains(memo)) << memo << " is also a table";
    }
}

TEST(rebuild_journal, lines_parse_up_to_one_cut_off_by_a_crash)
{
    const std::string first = std::string(journal_first_line) + "\n";
    const std::string table = first + "table 7 100 MY TABLE.DBF\nmemo 7 101 MY TABLE.DBT\n";
    const struct {
        std::string text;
        bool readable;
        std::size_t created;
        std::size_t backups;
    } cases[] = {
        {"", true, 0, 0},
        {"vortel rebuild jou", true, 0, 0},
        {first, true, 0, 0},
        {table + "created 7 102 MY TABLE.NEW1.DBF\ncreate MY TABLE.NEW1.DBT\nbackup MY TABLE.OLD1.DBF\nback", true, 1, 1},
        {"something else\n", false, 0, 0},
        {first + "created 7 102 A.DBF\ntable 7 100 T.DBF\n", false, 0, 0},
        {first + "table 7 x T.DBF\n", false, 0, 0},
        {first + "table 7 100 ../T.DBF\n", false, 0, 0},
        {table + "rename A B\n", false, 0, 0},
    };
    for (const auto& c : cases) {
        journal_story story;
        ASSERT_EQ(parse_journal(c.text, story), c.readable) << c.text;
        if (!c.readable) continue;
        EXPECT_EQ(story.created.size(), c.created) << c.text;
        EXPECT_EQ(story.backups.size(), c.backups) << c.text;
    }
    journal_story story;
    ASSERT_TRUE(parse_journal(table, story));
    EXPECT_EQ(story.table.name, "MY TABLE.DBF");
    EXPECT_EQ(story.table.id.inode, 100u);
    EXPECT_TRUE(story.has_memo);
}

const std::vector<field_list_entry> people_fields = {
    {"NAME", 'C', 30, 0}, {"CITY", 'C', 20, 0}, {"NOTES", 'M', 10, 0}, {"AMOUNT", 'N', 8, 2}};
const std::string long_memo = std::string(70000, 'L') + "end";

enum class rebuild_op { pack, zap, sort, modify };
const std::vector<rebuild_op> every_op = {rebuild_op::pack, rebuild_op::zap, rebuild_op::sort, rebuild_op::modify};
const char* op_name(rebuild_op op)
{
    constexpr const char* names[] = {"pack", "zap", "sort", "modify"};
    return names[static_cast<int>(op)];
}

struct op_result {
    bool done = false;
    std::string message;
};

// Runs one rebuild as the front-ends do; a busy structure change says so.
op_result run_op(rebuild_op op, std::unique_ptr<table_object>& table)
{
    switch (op) {
    case rebuild_op::pack:
    case rebuild_op::zap: {
        const rebuild_result result = rebuild_table(table, op == rebuild_op::pack ? rebuild_kind::pack : rebuild_kind::zap);
        return {result.status == rebuild_status::done, result.message};
    }
    case rebuild_op::sort: {
        const sort_outcome outcome = sort_command(*table, {1, 0}, sort_collation::english);
        return {outcome.status == sort_status::sorted, outcome.message};
    }
    case rebuild_op::modify: {
        std::vector<field_list_entry> fields = people_fields;
        fields.push_back({"EXTRA", 'C', 5, 0});
        const restructure_result result = change_structure(table, fields);
        return {result.status == restructure_status::changed,
                result.status == restructure_status::table_busy ? std::string(table_busy_text) : result.message};
    }
    }
    return {};
}

// A memo table open as a table window has it, standing on record 3.
class rebuild_command_test : public testing_support::with_default_settings {
protected:
    void SetUp() override
    {
        with_default_settings::SetUp();
        write_people(path);
        open_people();
        original = testing::table_rows(path);
    }

    // The folder emptied and the table written again, closed, for a case to
    // shape before it opens the table.
    void start_afresh()
    {
        holder.reset();
        table.reset();
        std::filesystem::remove_all(dir.path());
        std::filesystem::create_directory(dir.path());
        SetUp();
        table.reset();
    }

    static void write_people(const std::string& at)
    {
        testing::write_table(at, people_fields,
                             {{testing::record_of(people_fields, {"Kovacs Janos Istvan", "Budapest", "", "   12.50"})},
                              {testing::record_of(people_fields, {"Nagy Eva", "Szeged", "", "    3.00"}), true},
                              {testing::record_of(people_fields, {"Kiss Bela", "Pecs", "", "    0.00"})}});
        testing::put_memos(*testing::open_table(at), 2, {"short note", long_memo});
    }

    void open_people()
    {
        ASSERT_TRUE(table = testing::open_table(path));
        go_to(*table, 3);
    }

    // The rows each rebuild leaves (SET_DELETED off).
    std::vector<std::string> rows_after(rebuild_op op) const
    {
        switch (op) {
        case rebuild_op::pack: return {original[0], original[2]};
        case rebuild_op::zap: return {};
        case rebuild_op::sort: return {original[0], original[2], original[1]};  // by CITY, then NAME
        case rebuild_op::modify: {
            std::vector<std::string> rows;
            for (const std::string& row : original) rows.push_back(row.substr(row[0] == '*') + "|     ");
            return rows;
        }
        }
        return {};
    }

    // The shapes a table is found in, each made with the table closed.
    void write_look_alikes() const
    {
        for (const auto& [name, text] : look_alikes) write_file(dir.file(name), text);
    }
    // The table in real/, reached through links of its names.
    void link_to_real_folder() const
    {
        std::filesystem::create_directory(dir.file("real"));
        write_people(dir.file("real/PEOPLE.DBF"));
        std::filesystem::remove(path);
        std::filesystem::remove(dbt_file_name(path));
        std::filesystem::create_symlink("real/PEOPLE.DBF", path);
        std::filesystem::create_symlink("real/PEOPLE.DBT", dbt_file_name(path));
    }
    // As tables travel between systems: PEOPLE.DBF with people.dbt.
    void memo_in_lower_case() const { std::filesystem::rename(dir.file("PEOPLE.DBT"), dir.file("people.dbt")); }

    testing::scratch_dir dir;
    std::string path = dir.file("PEOPLE.DBF");
    std::unique_ptr<table_object> table;
    std::unique_ptr<background_program> holder;  // another process that has the table open
    std::vector<std::string> original;
    const std::set<std::string> table_files = {"PEOPLE.DBF", "PEOPLE.DBT"};
    // Files of the user's that merely look like copies and backups.
    const std::map<std::string, std::string> look_alikes = {
        {"PEOPLE.NEW1.DBF", "a user's"}, {"PEOPLE.NEW2.DBT", "file"}, {"PEOPLE.OLD1.DBF", "with"},
        {"PEOPLE.OLD2.DBT", "our"},      {"PEOPLE.DBFT", "names"},    {"PEOPLE.DBF0", "!"}};
    void expect_look_alikes_kept(const std::set<std::string>& files) const
    {
        for (const auto& [name, text] : look_alikes) {
            if (files.contains(name)) {
                EXPECT_EQ(read_file(dir.file(name)), text) << name;
            }
        }
    }
    std::set<std::string> with_look_alikes() const
    {
        std::set<std::string> files = table_files;
        for (const auto& [name, text] : look_alikes) files.insert(name);
        return files;
    }
};

// Every rebuild of a table in each shape it is found in puts the result in
// the table's place, keeps the header bytes other programs keep (the code
// page (29), a flag (28), a descriptor's reserved byte) and leaves every
// other file as it was: a link stays a link, a memo file in the other letter
// case stays the one memo file, never joined by a second one.
TEST_F(rebuild_command_test, every_rebuild_puts_its_table_in_place_with_its_header_bytes_and_nothing_else)
{
    const struct {
        const char* what;
        std::function<void()> shape;
        std::string folder;  // where the table's files are
        std::set<std::string> files;
    } shapes[] = {
        {"plain", [] {}, dir.path(), table_files},
        {"beside look-alike files", [this] { write_look_alikes(); }, dir.path(), with_look_alikes()},
        {"reached through a link", [this] { link_to_real_folder(); }, dir.file("real"), table_files},
        {"its memo file in lower case", [this] { memo_in_lower_case(); }, dir.path(), {"PEOPLE.DBF", "people.dbt"}},
    };
    for (const auto& s : shapes) {
        for (rebuild_op op : every_op) {
            SCOPED_TRACE(std::string(op_name(op)) + ", " + s.what);
            start_afresh();
            s.shape();
            const std::string dbt = read_file(dbt_file_name(path));
            std::string dbf = read_file(path);
            dbf[28] = '\x01';
            dbf[29] = '\x4D';
            dbf[32 + 20] = '\x07';
            write_file(path, dbf);
            open_people();

            const op_result result = run_op(op, table);
            ASSERT_TRUE(result.done) << result.message;
            EXPECT_EQ(result.message, op == rebuild_op::sort ? "The sort is ready." : "");
            EXPECT_EQ(testing::table_rows(path), rows_after(op));
            EXPECT_EQ(files_in(s.folder), s.files);
            EXPECT_EQ(std::filesystem::is_symlink(path), s.folder != dir.path()) << "the link stays";
            expect_look_alikes_kept(s.files);
            const std::string after = read_file(path);
            EXPECT_EQ(after[29], '\x4D');
            if (op != rebuild_op::modify) {
                const std::size_t header_length = 32 * (people_fields.size() + 1) + 2;
                EXPECT_EQ(after.substr(8, header_length - 8), dbf.substr(8, header_length - 8)) << "the header area as it was";
            }
            if (op == rebuild_op::sort) {
                ASSERT_NE(table, nullptr);
                EXPECT_EQ(current_record(*table), 3) << "the window stays on its record number";
                EXPECT_EQ(field_text(*table, 0).substr(0, 8), "Nagy Eva");
                EXPECT_EQ(read_file(dbt_file_name(path)), dbt) << "the records share the memo file";
                EXPECT_EQ(lock_table(*table), 1);
            } else {
                EXPECT_EQ(table, nullptr) << "the window opens the table again";
            }
        }
    }
}

TEST_F(rebuild_command_test, records_appended_before_are_kept_and_nobody_opens_the_table_during_the_rebuild)
{
    // Another process appends and closes while the window has the table open.
    ASSERT_EQ(testing::run_program(TABLE_PROBE, {"append", path, "2", "LATE"}), 0);

    // During the copy nobody can open the table to write what would be lost.
    int opened_during_copy = -1;
    rebuild_plan plan;
    plan.header = copy_header_area(*table);
    plan.own_memo = true;
    plan.open_copy = true;
    plan.fill = [&](table_object& copy) {
        opened_during_copy = testing::run_program(TABLE_PROBE, {"append", path, "1", "LOST"});
        return pack_records(*table, copy);
    };
    ASSERT_EQ(run_rebuild(*table, plan).status, rebuild_status::done);
    EXPECT_EQ(opened_during_copy, 2) << "the table did not open";
    const std::vector<std::string> rows = testing::table_rows(path);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2].substr(0, 6), "LATE-0");
    EXPECT_EQ(rows[3].substr(0, 6), "LATE-1");
}

// Opens that create files fail with `refused_open`; writes larger than
// `largest_write` (when not 0) fail with ENOSPC.
int refused_open = 0;
std::size_t largest_write = 0;
int refusing_open(const char* path, int flags, mode_t mode)
{
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
        errno = refused_open;
        return -1;
    }
    return system_file_ops().open(path, flags, mode);
}
ssize_t full_disk_write(int fd, const void* buffer, std::size_t count)
{
    if (count > largest_write) {
        errno = ENOSPC;
        return -1;
    }
    return system_file_ops().write(fd, buffer, count);
}

// A rebuild that cannot be done safely (another process has the table open,
// the file has a second name, ...), or whose files fail, says what was in
// the way; the window keeps its table and no file changes.
TEST_F(rebuild_command_test, a_failure_or_another_process_or_a_table_that_cannot_be_replaced_safely_changes_nothing)
{
    const std::string prefix = dir.path() + "/PEOPLE.";
    const struct {
        const char* what;
        std::function<void()> shape;
        int refused_open;
        std::size_t largest_write;
        std::string words;
        std::vector<rebuild_op> ops;
    } failures[] = {
        {"another process holding the table", [this] { holder = testing::holding(FILE_PROBE, {"hold", path}); }, 0, 0,
         "The table busy !", every_op},
        {"another process holding the memo file",
         [this] { holder = testing::holding(FILE_PROBE, {"hold", dbt_file_name(path)}); }, 0, 0, "The table busy !",
         every_op},
        {"another process holding a record", [this] { holder = testing::holding(TABLE_PROBE, {"hold-record", path, "2"}); },
         0, 0, "The table busy !", every_op},
        {"creating refused", [] {}, EACCES, 0, "Permission denied: " + prefix, every_op},
        {"a name too long", [] {}, ENAMETOOLONG, 0, "File name too long: " + prefix, every_op},
        {"the disk full at once", [] {}, 0, 100, "Disk full: " + prefix + "NEW1.DB", every_op},
        {"the disk full in the memo copy", [] {}, 0, 60000, "Append error ! Disk full: " + prefix + "NEW1.DBT",
         {rebuild_op::modify}},
        // A second name of the table file would keep the old records.
        {"a hard link", [this] { std::filesystem::create_hard_link(path, dir.file("OTHER.DBF")); }, 0, 0, "hard link",
         every_op},
        {"a memo file that is not the one beside the linked table",
         [this] {
             link_to_real_folder();
             std::filesystem::remove(dbt_file_name(path));
             std::filesystem::copy_file(dir.file("real/PEOPLE.DBT"), dbt_file_name(path));
         },
         0, 0, "not the one beside the table", {rebuild_op::pack}},
        {"a journal in the way", [this] { write_file(path + ".rebuild", "not a journal"); }, 0, 0, path + ".rebuild",
         every_op},
    };
    for (const auto& f : failures) {
        for (rebuild_op op : f.ops) {
            SCOPED_TRACE(std::string(op_name(op)) + ": " + f.what);
            start_afresh();
            f.shape();
            open_people();
            const std::string before = testing::table_bytes(path);
            const std::set<std::string> files = files_in(dir.path());
            file_ops failing = system_file_ops();
            if (f.refused_open != 0) failing.open = refusing_open;
            if (f.largest_write != 0) failing.write = full_disk_write;
            refused_open = f.refused_open;
            largest_write = f.largest_write;
            op_result result;
            {
                scoped_file_ops inject(failing);
                result = run_op(op, table);
            }
            EXPECT_FALSE(result.done);
            EXPECT_NE(result.message.find(f.words), std::string::npos) << result.message;
            EXPECT_EQ(result.message.find("busy") != std::string::npos, f.words.find("busy") != std::string::npos)
                << result.message;
            ASSERT_NE(table, nullptr) << "the window keeps the table";
            EXPECT_EQ(current_record(*table), 3);
            EXPECT_EQ(field_count(*table), 4);
            EXPECT_EQ(testing::table_bytes(path), before);
            EXPECT_EQ(files_in(dir.path()), files);
        }
    }
    table.reset();
    const std::string told = recover_interrupted_rebuild(path);
    EXPECT_NE(told.find("cannot be read"), std::string::npos) << told;
    EXPECT_EQ(read_file(path + ".rebuild"), "not a journal") << "a journal recovery cannot read is kept";
}

// How each value reaches its new field is the record copy's; the structure
// change copies the records the window shows, reports its progress, and
// without memo fields writes a table of its own version beside which the old
// memo file stays.
TEST_F(rebuild_command_test, a_structure_change_copies_the_shown_records_and_leaves_an_unused_memo_file)
{
    table->navigation.hide_deleted = true;  // the deleted record 2 stays behind
    const std::string old_memo_file = read_file(dbt_file_name(path));
    std::vector<int> reported;
    const restructure_result result =
        change_structure(table, {people_fields[0], people_fields[1], people_fields[3]}, [&](int p) { reported.push_back(p); });
    EXPECT_EQ(result.status, restructure_status::changed);
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(reported, std::vector<int>{0});
    EXPECT_EQ(testing::table_rows(path),
              (std::vector<std::string>{"Kovacs Janos Istvan" + std::string(11, ' ') + "|Budapest" + std::string(12, ' ') + "|   12.50",
                                        "Kiss Bela" + std::string(21, ' ') + "|Pecs" + std::string(16, ' ') + "|    0.00"}));
    EXPECT_EQ(files_in(dir.path()), table_files);
    EXPECT_EQ(read_file(path)[0], 0x03);
    EXPECT_EQ(read_file(dbt_file_name(path)), old_memo_file);
}

// Every call through the file seam is counted; the one numbered `exit_at`
// ends the process before it is made, as a kill at that moment would.
long calls_made = 0;
long exit_at = 0;
const file_ops& real_ops() { return system_file_ops(); }
void tick()
{
    if (++calls_made == exit_at) ::_exit(0);
}
#define STOP_THEN(call) [](auto... a) { return tick(), real_ops().call(a...); }
const file_ops stopping_ops{
    STOP_THEN(open), STOP_THEN(close), STOP_THEN(read), STOP_THEN(write), STOP_THEN(read_at), STOP_THEN(seek),
    STOP_THEN(stat_fd), STOP_THEN(stat_path), STOP_THEN(truncate), STOP_THEN(lock), STOP_THEN(rename_no_replace),
    STOP_THEN(unlink),
    // A process that ends loses nothing the system has: flushing waits for
    // nothing here but the disk.
    [](int) { return tick(), 0; }, STOP_THEN(link_unnamed), STOP_THEN(rename_replace)};
#undef STOP_THEN

// Runs `op` on the table in a child process that ends at call `stop`
// (never, for 0); the number of calls it made when it did not end early.
long run_stopped(rebuild_op op, const std::string& path, long stop)
{
    int counted[2];
    if (::pipe(counted) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(counted[0]);
        auto table = table_new(path);
        if (!table_open(*table)) ::_exit(2);
        calls_made = 0;
        exit_at = stop;
        long made = 0;
        {
            scoped_file_ops inject(stopping_ops);
            run_op(op, table);
            table.reset();
            made = calls_made;
        }
        (void)!::write(counted[1], &made, sizeof made);
        ::_exit(0);
    }
    ::close(counted[1]);
    long made = -1;
    if (::read(counted[0], &made, sizeof made) != sizeof made) made = 0;
    ::close(counted[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return made;
}

// A rebuild killed at any call leaves the old table or the new one once the
// next open has finished it, and never touches the user's files that look
// like its copies and backups, nor gives a memo file in the other letter
// case a twin.
TEST_F(rebuild_command_test, a_rebuild_stopped_at_any_call_is_finished_by_the_next_open)
{
    const struct {
        const char* what;
        std::function<void()> shape;
        std::set<std::string> files;
        std::vector<rebuild_op> ops;
    } shapes[] = {
        {"beside look-alike files", [this] { write_look_alikes(); }, with_look_alikes(), every_op},
        {"its memo file in lower case", [this] { memo_in_lower_case(); }, {"PEOPLE.DBF", "people.dbt"}, {rebuild_op::pack}},
    };
    for (const auto& s : shapes) {
        for (rebuild_op op : s.ops) {
            start_afresh();
            s.shape();
            const long calls = run_stopped(op, path, 0);
            ASSERT_GT(calls, 10) << op_name(op);
            int old_ones = 0;
            for (long stop = 1; stop <= calls; ++stop) {
                SCOPED_TRACE(std::string(op_name(op)) + " stopped at call " + std::to_string(stop) + ", " + s.what);
                start_afresh();
                s.shape();
                ASSERT_EQ(run_stopped(op, path, stop), 0) << "the child ended there";
                const std::string told = recover_interrupted_rebuild(path);
                const std::vector<std::string> rows = testing::table_rows(path);
                old_ones += rows == original ? 1 : 0;
                EXPECT_TRUE(rows == original || rows == rows_after(op)) << told;
                EXPECT_EQ(files_in(dir.path()), s.files) << told;
                expect_look_alikes_kept(s.files);
            }
            EXPECT_GT(old_ones, 0);
            EXPECT_LT(old_ones, calls) << "some stops come after the new table is in place";
        }
    }
}


TEST_F(rebuild_command_test, recovery_touches_only_files_the_journal_proves)
{
    // A journal whose files were replaced by the user's: same names, other inodes.
    table.reset();
    file_identity table_id;
    ASSERT_TRUE(path_identity(path, table_id));
    const std::map<std::string, std::string> users = {
        {"PEOPLE.NEW1.DBF", "copy?"}, {"PEOPLE.NEW1.DBT", "memo?"}, {"PEOPLE.OLD1.DBF", "backup?"}, {"PEOPLE.NEW2.DBF", "?"}};
    for (const auto& [name, text] : users) write_file(dir.file(name), text);
    const std::string journal = std::string(journal_first_line) + "\ntable " + std::to_string(table_id.device) + " " +
                                std::to_string(table_id.inode) + " PEOPLE.DBF\ncreated 1 2 PEOPLE.NEW1.DBF\n" +
                                "created 1 3 PEOPLE.NEW1.DBT\ncreate PEOPLE.NEW2.DBF\nbackup PEOPLE.OLD1.DBF\n";
    write_file(dir.file("PEOPLE.DBF.rebuild"), journal);
    const std::string told = recover_interrupted_rebuild(path);
    EXPECT_NE(told.find("had not been replaced"), std::string::npos) << told;
    EXPECT_NE(told.find(dir.file("PEOPLE.NEW2.DBF")), std::string::npos) << "named, as it cannot be proven";
    for (const auto& [name, text] : users) EXPECT_EQ(read_file(dir.file(name)), text) << name;
    EXPECT_EQ(testing::table_rows(path), original);
    EXPECT_FALSE(std::filesystem::exists(dir.file("PEOPLE.DBF.rebuild")));

    // The table's name holding a file the journal does not know: nothing moves.
    std::filesystem::rename(path, dir.file("PEOPLE.OLD2.DBF"));
    write_file(path, "the user's own");
    write_file(dir.file("PEOPLE.DBF.rebuild"), journal + "backup PEOPLE.OLD2.DBF\n");
    EXPECT_NE(recover_interrupted_rebuild(path).find("did not write"), std::string::npos);
    EXPECT_EQ(read_file(path), "the user's own");
    EXPECT_TRUE(std::filesystem::exists(dir.file("PEOPLE.OLD2.DBF")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("PEOPLE.DBF.rebuild"))) << "kept for another try";
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
    const auto shape = [](const field_list_entry& f) { return std::tuple(f.name, f.type, f.length, f.decimals); };
    for (const field_case& c : cases) {
        SCOPED_TRACE(c.name);
        const field_check check = check_field(c.name, c.type, c.length, c.decimals);
        EXPECT_EQ(check.message, c.message);
        if (c.message.empty()) {
            EXPECT_EQ(shape(check.field), shape(c.expected));
        }
    }
}

TEST(field_validation, command_line_definitions_and_whole_lists)
{
    const field_list_check good =
        parse_field_list({"name:c", "amount:Numeric:12:2", "born:d", "notes:M:99", "text:C:300", "long:C:65535"});
    ASSERT_EQ(good.message, "");
    ASSERT_EQ(good.fields.size(), 6u);
    EXPECT_EQ(good.fields[4].length, 300) << "a long character field is kept, not cut to the dialog's 255";
    EXPECT_EQ(good.fields[5].length, 65535);
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
        {{"A:C:65536"}, "Bad field length!"},
        {{"1A:C:300"}, "Bad field name!"},
    };
    for (const auto& [definitions, message] : bad) EXPECT_EQ(parse_field_list(definitions).message, message);

    std::vector<field_list_entry> fields(good.fields.begin(), good.fields.begin() + 4);
    EXPECT_FALSE(append_field(fields, {"NAME", 'C', 5, 0}));
    EXPECT_FALSE(modify_field(fields, {"OTHER", 'C', 5, 0}));
    EXPECT_TRUE(modify_field(fields, {"Name", 'C', 5, 0}));
    EXPECT_EQ(fields[0].length, 5);

    EXPECT_EQ(check_table_definition("", fields), "Empty filename!");
    EXPECT_EQ(check_table_definition("T.DBF", {}), "Empty table!");
    EXPECT_EQ(check_table_definition("T.DBF", std::vector<field_list_entry>(128)), "Too many fields!");
    EXPECT_EQ(check_table_definition("T.DBF", fields), "");
}

// Repairing a record count: what the file holds goes into the header, a copy
// of the table as it was comes first, and nothing else changes. The table:
// three records under the header count `count`, followed by `tail`.
std::string damaged(const std::string& path, std::int32_t count, const std::string& tail = "")
{
    const std::vector<field_list_entry> fields = {{"NAME", 'C', 6, 0}};
    testing::write_table(path, fields, testing::records_of(fields, {{"Anna"}, {"Bela"}, {"Cili"}}));
    std::string bytes = read_file(path) + tail;
    for (int i = 0; i < 4; ++i) bytes[4 + static_cast<std::size_t>(i)] = static_cast<char>(count >> (8 * i));
    write_file(path, bytes);
    return bytes;
}

TEST(table_repair_test, the_count_becomes_the_whole_records_after_a_copy_of_the_table)
{
    const struct {
        const char* what;
        std::int32_t count;
        std::string tail;
        std::string message;
    } cases[] = {
        {"counts records the file lacks", 5, "", "The header counted 5 records and now counts the 3 records"},
        {"misses records after the counted ones", 1, "\x1A", "The header counted 1 record and now counts the 3 records"},
        {"negative", -1, " Dor", "The header counted -1 records and now counts the 3 records"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::scratch_dir dir;
        const std::string path = dir.file("PEOPLE.DBF");
        const std::string before = damaged(path, c.count, c.tail);
        const repair_result result = repair_record_count(path);
        EXPECT_EQ(result.status, repair_status::repaired) << result.message;
        EXPECT_EQ(result.message, c.message + " the file holds; the table as it was is kept as " +
                                      dir.file("PEOPLE.OLD1.DBF"));
        EXPECT_EQ(result.backup, dir.file("PEOPLE.OLD1.DBF"));
        EXPECT_EQ(read_file(result.backup), before);
        std::string expected = before;
        expected.replace(4, 4, std::string("\x03\0\0\0", 4));
        EXPECT_EQ(read_file(path), expected) << "only the count changes";

        const repair_result again = repair_record_count(path);
        EXPECT_EQ(again.status, repair_status::nothing_to_repair);
        EXPECT_EQ(again.message, "Nothing to repair: the header counts the 3 records the file holds");
        EXPECT_EQ(testing::files_in(dir.path()), (std::set<std::string>{"PEOPLE.DBF", "PEOPLE.OLD1.DBF"}));
    }
}

TEST(table_repair_test, a_table_open_elsewhere_or_unreadable_is_left_alone)
{
    testing::scratch_dir dir;
    const std::string path = dir.file("PEOPLE.DBF");
    const std::string before = damaged(path, 5);
    write_file(dir.file("PEOPLE.OLD1.DBF"), "someone else's");
    {
        const auto holder = testing::holding(FILE_PROBE, {"hold", path, "0", "1"});
        const repair_result busy = repair_record_count(path);
        EXPECT_EQ(busy.status, repair_status::busy);
        EXPECT_EQ(busy.message, "The table busy !");
        EXPECT_EQ(holder->finish(), 0);
    }
    EXPECT_EQ(read_file(path), before);

    const repair_result repaired = repair_record_count(path);
    EXPECT_EQ(repaired.backup, dir.file("PEOPLE.OLD2.DBF")) << "a name that is taken stays as it is";
    EXPECT_EQ(read_file(dir.file("PEOPLE.OLD1.DBF")), "someone else's");

    write_file(path, "\x03 short");
    EXPECT_EQ(repair_record_count(path).message,
              "The record count cannot be repaired: the file is shorter than a table header (32 bytes)");
    EXPECT_EQ(repair_record_count(dir.file("NONE.DBF")).message, "No such file or folder: " + dir.file("NONE.DBF"));
}

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
        write_people(c.names, ages, born);
        choose_code_page(*table, c.page);
        const sort_outcome outcome = sort_command(*table, c.key, c.collation);
        EXPECT_EQ(outcome.status, sort_status::sorted);
        EXPECT_EQ(outcome.message, "The sort is ready.");
        EXPECT_EQ(testing::leading_words(path), c.order);
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
            ASSERT_LE(folded_key_comparison(key(sorted[i - 1]), key(sorted[i]), conversion != 0, true), 0) << i;
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

// A new table is filled under a copy's name and takes its own name only
// whole: a refusal leaves no table made, nor changes one it was to replace.
TEST_F(rebuild_command_test, a_table_made_from_csv_takes_its_name_only_when_every_row_is_in)
{
    table.reset();
    const std::string target = dir.file("NEW.DBF");
    const std::string csv = dir.file("IN.CSV");
    const std::vector<field_list_entry> fields = {{"NAME", 'C', 5, 0}, {"NOTE", 'M', 10, 0}};
    csv_import_options options;
    options.column_fields = {"NAME", "NOTE", ""};
    const auto create = [&](const std::string& at, bool overwrite) {
        return create_table_from_csv(at, code_page::cp852, fields, csv, options, overwrite);
    };

    write_file(csv, "Name,Note,Other\nab,memo text,x\n");
    csv_creation_result made = create(target, false);
    EXPECT_TRUE(made.created) << made.message;
    EXPECT_EQ(testing::table_rows(target), std::vector<std::string>{"ab   |memo text"});
    EXPECT_EQ(made.report.notes, std::vector<std::string>{"Column Other names no field of the table: ignored"});

    std::set<std::string> before = files_in(dir.path());
    const std::string bytes = testing::table_bytes(path);
    made = create(path, false);
    EXPECT_EQ(made.message, "The file already exist, overwite ?");
    write_file(csv, "NAME,NOTE\nab,x\ntoo long,y\n");
    made = create(path, true);
    EXPECT_FALSE(made.created);
    EXPECT_EQ(made.message, "Append error !\nline 3, column NAME: a text of 8 characters does not fit NAME C(5)");
    EXPECT_EQ(testing::table_bytes(path), bytes);
    EXPECT_EQ(files_in(dir.path()), before) << "no copy is left behind";

    write_file(csv, "NAME,NOTE\nab,x\n");
    made = create(path, true);
    EXPECT_TRUE(made.created) << made.message;
    EXPECT_EQ(testing::table_rows(path), std::vector<std::string>{"ab   |x"});
    EXPECT_EQ(files_in(dir.path()), before);

    // The copy's name is made, not looked at: a link there that leads
    // nowhere yet is someone else's name, and nothing is written through it.
    const std::string planted = numbered_table_name(path, copy_kind, 1);
    ASSERT_EQ(::symlink(dir.file("ELSEWHERE.DBF").c_str(), planted.c_str()), 0);
    made = create(path, true);
    EXPECT_TRUE(made.created) << made.message;
    EXPECT_FALSE(std::filesystem::exists(dir.file("ELSEWHERE.DBF")));
    before.insert(name_in_folder(planted));
    EXPECT_EQ(files_in(dir.path()), before);
}

}  // namespace
}  // namespace vortel
