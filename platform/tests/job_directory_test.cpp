#include "platform/job_directory.h"

#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vortel {
namespace {

namespace fs = std::filesystem;

// The pid of a process that has come and gone.
long gone_pid()
{
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

std::string job_name(long pid, const char* unique) { return job_directory_prefix + std::to_string(pid) + "-" + unique; }

TEST(job_directory, is_private_carries_its_owner_goes_with_its_files_and_outlives_only_a_live_owner)
{
    testing::scratch_dir parent;
    std::string made;
    ASSERT_EQ(make_job_directory(parent.path() + "/", made), 0);
    ASSERT_EQ(made.back(), '/');
    const fs::path directory = fs::path(made).parent_path();
    EXPECT_EQ(directory.parent_path(), parent.path());
    EXPECT_EQ(job_directory_owner(directory.filename()), ::getpid());
    struct stat info {};
    ASSERT_EQ(::lstat(directory.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);

    const int fd = create_private_file(made + "BT0001.WMF");
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(::lstat((made + "BT0001.WMF").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    // A name that exists, or a link in its place, is never opened.
    EXPECT_EQ(create_private_file(made + "BT0001.WMF"), -1);
    EXPECT_EQ(errno, EEXIST);
    testing::write_file(parent.file("target"), "kept");
    fs::create_symlink(parent.file("target"), made + "BT0002.WMF");
    EXPECT_EQ(create_private_file(made + "BT0002.WMF"), -1);
    EXPECT_EQ(testing::read_file(parent.file("target")), "kept");

    remove_job_directory(made);
    EXPECT_FALSE(fs::exists(directory));
    EXPECT_EQ(testing::read_file(parent.file("target")), "kept");
    remove_job_directory(parent.path() + "/");  // not a job directory: nothing in it goes
    EXPECT_EQ(testing::read_file(parent.file("target")), "kept");

    EXPECT_EQ(make_job_directory(parent.file("missing") + "/", made), ENOENT);
    EXPECT_EQ(made, "");

    // The owner is read only from names of exactly our pattern.
    const std::pair<const char*, long> cases[] = {
        {"vortel-job-4242-aB3xYz", 4242},
        {"vortel-job-4242-aB3xY", 0},     // one character short
        {"vortel-job-4242-aB3xYzz", 0}, {"vortel-job--aB3xYz", 0}, {"vortel-job-42a-aB3xYz", 0},
        {"vortel-job-0-aB3xYz", 0}, {"vortel-job-99999999999-aB3xYz", 0}, {"vortel-job-4242-aB3x/z", 0},
        {"vortel-jobs-4242-aB3xYz", 0}, {"BT0001.WMF", 0},
    };
    for (const auto& [name, owner] : cases) EXPECT_EQ(job_directory_owner(name), owner) << name;

    // What a killed job leaves, and what only looks like it: only real
    // directories of our naming whose owner is gone are removed, and nothing
    // is followed out of them.
    testing::scratch_dir outside;
    testing::write_file(outside.file("salaries"), "secret");
    fs::create_directory(outside.file("folder"));
    testing::write_file(outside.file("folder/BT0001.WMF"), "theirs");
    const long gone = gone_pid();
    const long alive = ::getppid();

    const std::string abandoned = parent.file(job_name(gone, "aaaaaa"));
    fs::create_directory(abandoned);
    testing::write_file(abandoned + "/BT0001.WMF", "page");
    fs::create_symlink(outside.file("salaries"), abandoned + "/BT0002.WMF");
    const std::string with_folder = parent.file(job_name(gone, "bbbbbb"));
    fs::create_directories(with_folder + "/inner");
    const std::string live = parent.file(job_name(alive, "cccccc"));
    fs::create_directory(live);
    testing::write_file(live + "/BT0001.WMF", "live page");
    const std::string other_name = parent.file(job_name(gone, "dddddd") + "x");
    fs::create_directory(other_name);
    const std::string link = parent.file(job_name(gone, "eeeeee"));
    fs::create_directory_symlink(outside.file("folder"), link);
    const std::string plain_file = parent.file(job_name(gone, "ffffff"));
    testing::write_file(plain_file, "file");

    remove_abandoned_job_directories(parent.path() + "/");

    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(with_folder + "/inner"));  // a folder we never make is left alone
    EXPECT_EQ(testing::read_file(live + "/BT0001.WMF"), "live page");
    EXPECT_TRUE(fs::exists(other_name));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::exists(plain_file));
    EXPECT_EQ(testing::read_file(outside.file("salaries")), "secret");
    EXPECT_EQ(testing::read_file(outside.file("folder/BT0001.WMF")), "theirs");

    // Making a new job directory cleans up the same way.
    fs::create_directory(abandoned);
    ASSERT_EQ(make_job_directory(parent.path() + "/", made), 0);
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(live));
    remove_job_directory(made);
}

}  // namespace
}  // namespace vortel
