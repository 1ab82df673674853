#include "platform/native_file.h"

#include "testing/child_process.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <unistd.h>

namespace vortel {
namespace {

using testing::background_program;
using testing::run_program;
using testing::scratch_dir;

constexpr unsigned read_write = access_read | access_write;
constexpr unsigned share_all = share_read | share_write;

enum probe_result { probe_ok = 0, probe_bad = 2, probe_refused = 3 };

int probe(std::initializer_list<std::string> arguments) { return run_program(FILE_PROBE, arguments); }

class native_file_test : public ::testing::Test {
protected:
    void SetUp() override { testing::write_file(path, std::string(4096, 'x')); }

    native_file open_shared()
    {
        native_file file;
        EXPECT_TRUE(file.open(path, read_write, share_all, file_creation::open_existing)) << file.last_error();
        return file;
    }

    scratch_dir dir;
    std::string path = dir.file("TABLE.DBF");
};

// Two handles of this process, one step after another: a lock of one handle
// refuses the other, a handle never stacks locks nor unlocks what it did
// not lock, and a lock of length zero locks nothing.
TEST_F(native_file_test, locks_of_one_handle_refuse_every_other_handle_never_stack_and_go_with_their_handle)
{
    native_file handles[2] = {open_shared(), open_shared()};
    const struct {
        const char* name;
        int handle;
        bool lock;  // false: unlock
        std::int64_t offset, length;
        bool done;
    } steps[] = {
        {"length zero", 0, true, 0, 0, true},
        {"length zero at the end", 0, true, 4000, 0, true},
        {"no lock to the end of the file", 1, true, 0, 1 << 20, true},
        {"", 1, false, 0, 1 << 20, true},
        {"length zero unlocks", 0, false, 4000, 0, true},
        {"negative offset", 0, true, -1, 10, false},
        {"negative length", 0, true, 0, -10, false},
        {"past the lockable limit", 0, true, lockable_limit, 1, false},
        {"offsets beyond 2 GiB are plain offsets", 0, true, std::int64_t{3} << 30, 512, true},
        {"", 0, false, std::int64_t{3} << 30, 512, true},
        {"", 0, true, 100, 50, true},
        {"the other handle's last byte", 1, true, 149, 1, false},
        {"around the other handle's range", 1, true, 0, 4096, false},
        {"a neighbouring range is free", 1, true, 150, 10, true},
        {"the neighbour below", 1, true, 0, 100, true},
        {"", 0, false, 100, 50, true},
        {"free once unlocked", 1, true, 100, 50, true},
        {"inside its own lock", 1, true, 50, 10, false},
        {"unlock must name the range exactly", 1, false, 0, 50, false},
        {"unlock of a range never locked", 1, false, 200, 10, false},
        {"", 1, false, 0, 100, true},
        {"unlock twice", 1, false, 0, 100, false},
    };
    for (const auto& s : steps) {
        native_file& file = handles[s.handle];
        const bool done = s.lock ? file.lock(s.offset, s.length) : file.unlock(s.offset, s.length);
        EXPECT_EQ(done, s.done) << (s.lock ? "lock " : "unlock ") << s.offset << "+" << s.length << " by handle "
                                << s.handle << ": " << s.name;
    }

    // Locks go with their own handle only: closing a bystander keeps them,
    // as classic process-owned locks would not, and closing the owner frees them.
    ASSERT_TRUE(handles[0].lock(0, 10));
    open_shared().close();
    EXPECT_FALSE(handles[1].lock(0, 10));
    handles[0].close();
    EXPECT_TRUE(handles[1].lock(0, 10));
}

TEST_F(native_file_test, locks_exclude_another_process_and_are_released_when_it_ends)
{
    native_file here = open_shared();
    {
        background_program holder(FILE_PROBE, {"hold", path, "512", "64"});
        ASSERT_EQ(holder.read_line(), "ready");
        EXPECT_EQ(probe({"lock", path, "500", "13"}), probe_refused);
        EXPECT_EQ(probe({"lock", path, "576", "64"}), probe_ok);
        EXPECT_FALSE(here.lock(0, 4096));
        EXPECT_TRUE(here.lock(0, 512));
        ASSERT_EQ(holder.finish(), 0);
    }
    EXPECT_EQ(probe({"lock", path, "512", "64"}), probe_ok);
    EXPECT_EQ(probe({"lock", path, "511", "1"}), probe_refused) << "this process's lock refuses another process";
}

TEST_F(native_file_test, a_file_open_anywhere_cannot_be_deleted_or_renamed)
{
    std::string moved = dir.file("MOVED.DBF");
    {
        background_program holder(FILE_PROBE, {"hold", path});
        ASSERT_EQ(holder.read_line(), "ready");
        EXPECT_EQ(delete_file(path), EBUSY);
        EXPECT_EQ(move_file(path, moved), EBUSY);
        EXPECT_EQ(access(path.c_str(), F_OK), 0);
    }
    {
        native_file here = open_shared();
        EXPECT_EQ(probe({"delete", path}), probe_refused);
        EXPECT_EQ(probe({"move", path, moved}), probe_refused);
        EXPECT_EQ(delete_file(path), EBUSY) << "another handle of this very process counts too";
    }
    EXPECT_EQ(move_file(path, moved), 0);
    EXPECT_EQ(testing::read_file(moved), std::string(4096, 'x'));
    EXPECT_EQ(probe({"delete", moved}), probe_ok);
    EXPECT_NE(access(moved.c_str(), F_OK), 0);
}

TEST_F(native_file_test, share_modes_keep_writers_and_deniers_apart)
{
    native_file reader;
    ASSERT_TRUE(reader.open(path, access_read, share_read, file_creation::open_existing));
    native_file writer;
    EXPECT_FALSE(writer.open(path, read_write, share_all, file_creation::open_existing));
    EXPECT_EQ(writer.last_error(), EBUSY);
    EXPECT_EQ(probe({"open", path, "rw", "rw"}), probe_refused);
    EXPECT_EQ(probe({"open", path, "r", "rw"}), probe_ok);
    EXPECT_FALSE(writer.open(path, access_write, share_all, file_creation::create_always));
    EXPECT_EQ(testing::read_file(path).size(), 4096u) << "a refused create must not empty the file";
    reader.close();

    ASSERT_TRUE(writer.open(path, read_write, share_all, file_creation::open_existing));
    EXPECT_EQ(probe({"open", path, "r", "r"}), probe_refused) << "cannot deny writing to a file being written";
    EXPECT_EQ(probe({"open", path, "rw", "rw"}), probe_ok);
}

TEST_F(native_file_test, creation_dispositions_moves_and_unnamed_files_never_replace_a_file)
{
    native_file file;
    std::string fresh = dir.file("NEW.TXT");
    EXPECT_FALSE(file.open(fresh, read_write, share_all, file_creation::open_existing));
    EXPECT_EQ(file.last_error(), ENOENT);
    ASSERT_TRUE(file.open(fresh, read_write, share_all, file_creation::open_always));
    EXPECT_EQ(file.size(), 0);
    ASSERT_TRUE(file.open(path, access_write, share_all, file_creation::create_always));
    EXPECT_EQ(file.size(), 0) << "create_always empties an existing file";
    EXPECT_FALSE(file.open(dir.path(), access_read, share_all, file_creation::open_existing));
    file.close();

    testing::write_file(fresh, "keep");
    EXPECT_EQ(move_file(path, fresh), EEXIST);
    EXPECT_EQ(testing::read_file(fresh), "keep");
    EXPECT_EQ(delete_file(dir.file("NONE.DBF")), ENOENT);
    EXPECT_EQ(move_file(dir.file("NONE.DBF"), dir.file("X")), ENOENT);

    // An unnamed file is claimed and takes only a free name.
    ASSERT_TRUE(file.create_unnamed(dir.path())) << file.last_error();
    EXPECT_TRUE(file.claimed());
    std::size_t put = 0;
    ASSERT_TRUE(file.write("new", 3, put));
    EXPECT_FALSE(file.link_name(fresh));
    EXPECT_EQ(file.last_error(), EEXIST);
    EXPECT_EQ(testing::read_file(fresh), "keep");
    const std::string named = dir.file("NEW.DBF");
    ASSERT_TRUE(file.link_name(named));
    file_identity by_handle, by_name;
    ASSERT_TRUE(file.identity(by_handle) && path_identity(named, by_name));
    EXPECT_TRUE(by_handle.same_file(by_name));
    EXPECT_EQ(by_handle.links, 1u);
    EXPECT_EQ(testing::read_file(named), "new");
    native_file exclusive;
    EXPECT_FALSE(exclusive.open(named, read_write, share_all, file_creation::create_new));
    EXPECT_EQ(exclusive.last_error(), EEXIST);
}

TEST_F(native_file_test, reads_writes_and_seeks_respect_access_and_extend_the_file)
{
    native_file reader;
    ASSERT_TRUE(reader.open(path, access_read, share_all, file_creation::open_existing));
    std::size_t count = 0;
    EXPECT_FALSE(reader.write("y", 1, count));
    EXPECT_EQ(reader.last_error(), EBADF);

    native_file file = open_shared();
    char buffer[8];
    EXPECT_EQ(file.seek(4092, seek_origin::begin), 4092);
    ASSERT_TRUE(file.read(buffer, sizeof buffer, count));
    EXPECT_EQ(count, 4u) << "a short read at the end is a success";
    // read_whole_at is all or nothing and never moves the position.
    const struct {
        std::int64_t offset;
        std::size_t count;
        bool whole;
    } reads_at[] = {{0, 8, true}, {4088, 8, true}, {4092, 8, false}, {4096, 1, false}, {9000, 1, false}};
    for (const auto& r : reads_at) {
        EXPECT_EQ(file.read_whole_at(r.offset, buffer, r.count), r.whole) << "at " << r.offset;
        EXPECT_EQ(file.seek(0, seek_origin::current), 4096) << "at " << r.offset;
    }
    EXPECT_EQ(file.seek(-10, seek_origin::begin), -1);
    EXPECT_EQ(file.seek(0, seek_origin::current), 4096) << "a failed seek keeps the position";

    std::int64_t far = (std::int64_t{5} << 30) + 3;  // past 4 GiB, as a sparse file
    ASSERT_EQ(file.seek(far, seek_origin::begin), far);
    ASSERT_TRUE(file.write("end", 3, count));
    EXPECT_EQ(file.size(), far + 3);
    EXPECT_EQ(file.seek(-3, seek_origin::end), far);
    ASSERT_TRUE(file.read(buffer, 3, count));
    EXPECT_EQ(std::string(buffer, count), "end");
}

TEST_F(native_file_test, sole_use_needs_every_other_handle_closed_and_keeps_every_other_out)
{
    native_file claimer = open_shared();
    {
        native_file other = open_shared();
        EXPECT_FALSE(claimer.claim_sole_use()) << "another handle of this process";
        EXPECT_EQ(claimer.last_error(), EBUSY);
    }
    {
        background_program holder(FILE_PROBE, {"hold", path});
        ASSERT_EQ(holder.read_line(), "ready");
        EXPECT_FALSE(claimer.claim_sole_use()) << "a handle of another process";
    }
    ASSERT_TRUE(claimer.claim_sole_use());
    EXPECT_EQ(probe({"open", path, "r", "rw"}), probe_refused);
    EXPECT_EQ(probe({"delete", path}), probe_refused);
    EXPECT_EQ(probe({"move", path, dir.file("ELSEWHERE")}), probe_refused);

    // Moves and removals prove that the name still names the claimed file.
    const std::string moved = dir.file("MOVED.DBF");
    testing::write_file(moved, "in the way");
    EXPECT_FALSE(claimer.rename_claimed(path, moved));
    EXPECT_EQ(claimer.last_error(), EEXIST) << "never replaces";
    ASSERT_EQ(::unlink(moved.c_str()), 0);
    ASSERT_TRUE(claimer.rename_claimed(path, moved));
    testing::write_file(path, "someone else's");
    EXPECT_FALSE(claimer.unlink_claimed(path));
    EXPECT_EQ(claimer.last_error(), EBUSY);
    EXPECT_FALSE(claimer.rename_claimed(path, dir.file("X")));
    EXPECT_EQ(claimer.last_error(), EBUSY);
    EXPECT_EQ(testing::read_file(path), "someone else's");

    ASSERT_TRUE(claimer.release_sole_use());
    EXPECT_EQ(probe({"open", moved, "r", "rw"}), probe_ok);
    EXPECT_FALSE(claimer.unlink_claimed(moved));
    EXPECT_EQ(claimer.last_error(), EBUSY) << "only while claimed";
}

}  // namespace
}  // namespace vortel
