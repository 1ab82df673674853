#include "engine/file_handle.h"

#include "platform/file_ops.h"
#include "testing/scratch_dir.h"

#include <cerrno>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace vortel {
namespace {

constexpr unsigned read_write = access_read | access_write;
constexpr unsigned share_all = share_read | share_write;

class file_handle_test : public ::testing::Test {
protected:
    file_handle open_with(const std::string& bytes)
    {
        testing::write_file(path, bytes);
        file_handle handle(path, 512);
        EXPECT_EQ(fh_open(handle, read_write, share_all, file_creation::open_existing), 1);
        return handle;
    }

    std::vector<std::string> lines_of(const std::string& bytes, int capacity)
    {
        file_handle handle = open_with(bytes);
        std::vector<std::string> lines;
        std::string line = "stale";
        while (fh_read_line(handle, line, capacity)) lines.push_back(line);
        EXPECT_EQ(line, "");
        EXPECT_EQ(handle.end_of_file, 1);
        return lines;
    }

    testing::scratch_dir dir;
    std::string path = dir.file("DATA.TXT");
};

TEST_F(file_handle_test, failed_and_empty_opens_and_reads_at_the_end_set_the_flags)
{
    file_handle missing(dir.file("NONE.DBF"), 512);
    EXPECT_EQ(fh_open(missing, read_write, share_all, file_creation::open_existing), 0);
    EXPECT_EQ(std::tuple(missing.end_of_file, missing.beginning_of_file), std::tuple(1, 1));
    EXPECT_EQ(fh_open(missing, read_write, share_all, file_creation::open_always), 1) << "still usable";
    EXPECT_EQ(fh_size(missing), 0);

    file_handle empty = open_with("");
    EXPECT_EQ(std::tuple(empty.end_of_file, empty.beginning_of_file), std::tuple(1, 1));
    file_handle full = open_with("x");
    EXPECT_EQ(full.end_of_file, 0);

    // A read at the end reports nothing and sets the end flag.
    file_handle handle = open_with("abc");
    handle.beginning_of_file = 1;
    char buffer[4] = {'q', 'q', 'q', 'q'};
    std::size_t got = 99;
    ASSERT_EQ(fh_read(handle, buffer, 4, got), 1);
    EXPECT_EQ(got, 3u) << "a short read is a success";
    EXPECT_EQ(std::tuple(handle.end_of_file, handle.beginning_of_file), std::tuple(0, 0));
    EXPECT_EQ(fh_read(handle, buffer, 4, got), 0);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(handle.end_of_file, 1);
    EXPECT_EQ(buffer[3], 'q');
}

TEST_F(file_handle_test, lines_are_cut_at_cr_lf_in_pieces_of_the_capacity_and_failures_come_back_as_results)
{
    using lines = std::vector<std::string>;
    EXPECT_EQ(lines_of("AB\r\nCD", 512), (lines{"AB", "CD"}));
    EXPECT_EQ(lines_of("AB\r\nCD\r\n", 512), (lines{"AB", "CD"}));
    EXPECT_EQ(lines_of("\r\n\r\nx", 512), (lines{"", "", "x"}));
    EXPECT_EQ(lines_of("ABCDEFG\r\n", 4), (lines{"ABCD", "EFG\r", "\n"}));
    EXPECT_EQ(lines_of("A\rB\nC\r\n", 512), (lines{"A\rB\nC"})) << "only the pair ends a line";
    EXPECT_EQ(lines_of("", 512), lines{});

    file_handle handle = open_with("ABCDEFGH\r\n");
    fh_seek(handle, 100, seek_origin::begin);
    std::string line;
    EXPECT_EQ(fh_read_line(handle, line, 512), 0) << "beyond the end";
    EXPECT_EQ(handle.end_of_file, 1);

    // The handle keeps a copy of the last line, up to its own capacity.
    file_handle narrow(path, 3);
    ASSERT_EQ(fh_open(narrow, access_read, share_all, file_creation::open_existing), 1);
    ASSERT_EQ(fh_read_line(narrow, line, 512), 1);
    EXPECT_EQ(line, "ABCDEFGH");
    EXPECT_EQ(narrow.line_copy, "ABC");

    // System failures come back as results.
    file_handle failing_handle = open_with("abc");
    file_ops failing = system_file_ops();
    failing.write = [](int, const void*, std::size_t) -> ssize_t { errno = ENOSPC; return -1; };
    failing.read = [](int, void*, std::size_t) -> ssize_t { errno = EIO; return -1; };
    scoped_file_ops inject(failing);
    std::size_t count = 7;
    EXPECT_EQ(fh_write(failing_handle, "xyz", 3, count), 0);
    EXPECT_EQ(count, 0u);
    char buffer[3];
    EXPECT_EQ(fh_read(failing_handle, buffer, 3, count), 0);
    EXPECT_EQ(fh_read_line(failing_handle, line, 512), 0);
    EXPECT_EQ(fh_tell(failing_handle), 0) << "a failed line read keeps the position";
}

}  // namespace
}  // namespace vortel
