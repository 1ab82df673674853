#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/fault_injection.h"
#include "platform/temp_dir.h"
#include "print/page_device.h"
#include "print/page_store.h"
#include "print/tests/recording_surface.h"
#include "print/tests/scoped_tmpdir.h"
#include "testing/scratch_dir.h"

namespace vortel {
namespace {

namespace fs = std::filesystem;

TEST(page_file_name, has_at_least_four_digits_and_fits_its_room)
{
    EXPECT_EQ(page_file_name("/tmp/", 1), "/tmp/BT0001.WMF");
    EXPECT_EQ(page_file_name("/tmp/", 9999), "/tmp/BT9999.WMF");
    EXPECT_EQ(page_file_name("/tmp/", 10000), "/tmp/BT10000.WMF");
    const std::string longest(page_name_room - 1 - 10, 'd');
    EXPECT_EQ(page_file_name(longest, 1).size(), page_name_room - 1);
    EXPECT_EQ(page_file_name(longest + "d", 1), "");
}

// Each test gets its own temporary directory, so that parallel runs never
// share page-file names.
class page_store : public ::testing::Test {
protected:
    void print_pages(page_device& device, int pages, const std::string& text)
    {
        open_page_device(device, &printer_, nullptr, "Listing", true, 80, true);
        ASSERT_EQ(start_document(device, "Listing"), 1);
        for (int page = 0; page < pages; ++page) {
            start_page(device);
            put_text(device, 0, 0, text, nullptr, nullptr, 0, false);
            end_page(device);
        }
    }
    static std::string page(const page_device& device, int number)
    {
        return page_file_name(device.temp_directory, number);
    }

    // Runs `job` in a child process, as another program would; true when it
    // succeeded there.
    static bool in_other_process(const std::function<bool()>& job)
    {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(job() ? 0 : 1);
        int status = -1;
        return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    print_testing::scoped_tmpdir scratch_;
    printer_facts printer_ = print_testing::a4_600_dpi();
};

TEST_F(page_store, pages_live_in_a_job_directory_of_the_temporary_directory_until_the_device_closes)
{
    page_device device;
    print_pages(device, 12, "x");
    EXPECT_EQ(device.failure, "");
    const fs::path job = fs::path(device.temp_directory).parent_path();
    EXPECT_EQ(job.parent_path(), scratch_.path());
    ASSERT_EQ(list_count(device.pages), 12);
    int number = 1;
    for (void* name = list_first(device.pages); name != nullptr; name = list_next(device.pages), ++number) {
        EXPECT_EQ(static_cast<const char*>(name), job.string() + page_file_name("/", number));
    }
    EXPECT_FALSE(fs::exists(page(device, 13)));
    close_page_device(device);
    EXPECT_EQ(list_count(device.pages), 0);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));

    // A job without pages leaves no files.
    page_device next;
    std::int32_t seen = -1;
    print_pages(next, 0, "");
    next.preview = [](page_device& shown, void* context) { *static_cast<std::int32_t*>(context) = list_count(shown.pages); };
    next.preview_context = &seen;
    end_document(next);
    EXPECT_EQ(seen, 0);
    EXPECT_TRUE(fs::is_empty(next.temp_directory));
    close_page_device(next);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));

    // A page left open is finished by the next and by the document's end.
    open_page_device(next, &printer_, nullptr, "Listing", true, 80, true);
    start_page(next);
    put_text(next, 0, 0, "one", nullptr, nullptr, 0, false);
    start_page(next);
    put_text(next, 0, 0, "two", nullptr, nullptr, 0, false);
    end_document(next);
    EXPECT_NE(testing::read_file(page(next, 1)).find('o'), std::string::npos);
    EXPECT_NE(testing::read_file(page(next, 2)).find('w'), std::string::npos);
    close_page_device(next);

    // The temporary directory ends in a separator and ignores unusable settings.
    EXPECT_EQ(temp_directory(), scratch_.path() + "/");
    ::setenv("TMPDIR", "relative/dir", 1);
    EXPECT_EQ(temp_directory(), "/tmp/");
    ::setenv("TMPDIR", (scratch_.path() + "/missing").c_str(), 1);
    EXPECT_EQ(temp_directory(), "/tmp/");
}

// Another program's job runs while this one's pages exist: each keeps its
// own pages, and neither removes the other's.
TEST_F(page_store, jobs_of_two_processes_keep_their_own_pages_and_a_killed_jobs_pages_go_with_the_next_job)
{
    page_device mine;
    print_pages(mine, 2, "mine");
    const std::string my_page = testing::read_file(page(mine, 2));
    ASSERT_NE(my_page.find('m'), std::string::npos);

    EXPECT_TRUE(in_other_process([&] {
        page_device theirs;
        print_pages(theirs, 3, "theirs");
        const bool own_pages = theirs.temp_directory != mine.temp_directory &&
                               testing::read_file(page(theirs, 2)).find('t') != std::string::npos &&
                               testing::read_file(page(mine, 2)) == my_page;
        close_page_device(theirs);
        return own_pages && theirs.failure.empty();
    }));
    EXPECT_EQ(testing::read_file(page(mine, 2)), my_page);
    EXPECT_TRUE(fs::exists(page(mine, 1)));
    close_page_device(mine);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));

    // A job killed with its pages on disk leaves its directory behind; the
    // next job removes it once the process is gone.
    ASSERT_TRUE(in_other_process([&]() -> bool {
        page_device device;
        print_pages(device, 2, "left");
        ::_exit(device.failure.empty() ? 0 : 1);  // as if killed: the device is never closed
    }));
    ASSERT_FALSE(fs::is_empty(scratch_.path()));

    page_device next;
    print_pages(next, 1, "next");
    for (const auto& entry : fs::directory_iterator(scratch_.path()))
        EXPECT_EQ(entry.path().string() + "/", next.temp_directory);
    close_page_device(next);
    EXPECT_TRUE(fs::is_empty(scratch_.path()));
}

// A page that cannot be made or written whole fails the job, names the
// page and the reason, and the pages after it are not made.
TEST_F(page_store, page_that_cannot_be_written_whole_is_the_jobs_failure)
{
    const struct { fault_call call; long fail_at; int error, failed_page; const char* words; } cases[] = {
        {fault_call::open, 2, EMFILE, 2, "Too many open files"}, {fault_call::write, 1, ENOSPC, 1, "Disk full"},
        {fault_call::write, 3, EDQUOT, 3, "Disk quota exceeded"},
        {fault_call::close, 2, EIO, 2, "Input/output error"},
    };
    for (const auto& c : cases) {
        page_device device;
        {
            fault_injector faults(c.call, c.fail_at, c.error);
            print_pages(device, 4, "text");
        }
        EXPECT_EQ(device.failure, c.words + (": " + page(device, c.failed_page))) << c.words;
        for (int later = c.failed_page + 1; later <= 4; ++later) EXPECT_FALSE(fs::exists(page(device, later)));
        close_page_device(device);
        EXPECT_TRUE(fs::is_empty(scratch_.path())) << c.words;
    }
}

}  // namespace
}  // namespace vortel
