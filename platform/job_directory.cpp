#include "platform/job_directory.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/file_ops.h"

namespace vortel {
namespace {

constexpr std::size_t unique_part = 6;  // mkdtemp's XXXXXX
constexpr std::size_t pid_digits_max = 10;

bool is_unique_character(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The names in the directory open as `fd`, "." and ".." left out. Read
// whole before anything is removed, so removing never disturbs the reading.
std::vector<std::string> entry_names(int fd)
{
    std::vector<std::string> names;
    const int copy = ::dup(fd);  // closedir closes the descriptor it was given
    if (copy < 0) return names;
    DIR* listing = ::fdopendir(copy);
    if (listing == nullptr) {
        ::close(copy);
        return names;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    return names;
}

// Empties and removes directory `name` of the directory open as
// `parent_fd`. O_NOFOLLOW refuses a link in the directory's place; unlinkat
// removes links themselves and fails on subfolders, which then stay.
void remove_directory_at(int parent_fd, const std::string& name)
{
    const int fd = ::openat(parent_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    for (const std::string& entry : entry_names(fd)) ::unlinkat(fd, entry.c_str(), 0);
    ::close(fd);
    ::unlinkat(parent_fd, name.c_str(), AT_REMOVEDIR);
}

bool owner_is_gone(long pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

long job_directory_owner(const std::string& name)
{
    const std::size_t prefix = std::strlen(job_directory_prefix);
    if (name.compare(0, prefix, job_directory_prefix) != 0) return 0;
    const std::size_t dash = name.find('-', prefix);
    if (dash == std::string::npos || dash == prefix || dash - prefix > pid_digits_max) return 0;
    if (name.size() != dash + 1 + unique_part) return 0;
    long pid = 0;
    for (std::size_t i = prefix; i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        pid = pid * 10 + (name[i] - '0');
    }
    for (std::size_t i = dash + 1; i < name.size(); ++i) {
        if (!is_unique_character(name[i])) return 0;
    }
    return pid > 0 && pid == static_cast<pid_t>(pid) ? pid : 0;
}

void remove_abandoned_job_directories(const std::string& parent)
{
    const int parent_fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent_fd < 0) return;
    for (const std::string& name : entry_names(parent_fd)) {
        const long owner = job_directory_owner(name);
        if (owner == 0 || owner == ::getpid()) continue;
        struct stat info {};
        if (::fstatat(parent_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) continue;
        if (owner_is_gone(owner)) remove_directory_at(parent_fd, name);
    }
    ::close(parent_fd);
}

int make_job_directory(const std::string& parent, std::string& made)
{
    made.clear();
    remove_abandoned_job_directories(parent);
    std::string name = parent + job_directory_prefix + std::to_string(::getpid()) + "-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) return errno != 0 ? errno : EIO;
    made = name + "/";
    return 0;
}

void remove_job_directory(const std::string& path)
{
    std::string directory = path;
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    const std::size_t slash = directory.rfind('/');
    // Whatever a caller holds, only a directory of our naming is emptied.
    if (slash == std::string::npos || job_directory_owner(directory.substr(slash + 1)) == 0) return;
    const std::string parent = slash == 0 ? "/" : directory.substr(0, slash);
    const int parent_fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent_fd < 0) return;
    remove_directory_at(parent_fd, directory.substr(slash + 1));
    ::close(parent_fd);
}

int create_private_file(const std::string& path)
{
    return active_file_ops().open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

}  // namespace vortel
