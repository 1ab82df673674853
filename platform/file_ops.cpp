#include "platform/file_ops.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace vortel {
namespace {

int system_open(const char* path, int flags, mode_t mode)
{
    int fd;
    do fd = ::open(path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

ssize_t system_read(int fd, void* buffer, std::size_t count)
{
    ssize_t got;
    do got = ::read(fd, buffer, count);
    while (got < 0 && errno == EINTR);
    return got;
}

ssize_t system_write(int fd, const void* buffer, std::size_t count)
{
    ssize_t put;
    do put = ::write(fd, buffer, count);
    while (put < 0 && errno == EINTR);
    return put;
}

ssize_t system_read_at(int fd, void* buffer, std::size_t count, off_t offset)
{
    ssize_t got;
    do got = ::pread(fd, buffer, count, offset);
    while (got < 0 && errno == EINTR);
    return got;
}

int system_lock(int fd, int command, struct flock* range)
{
    return ::fcntl(fd, command, range);
}

int system_rename_no_replace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL) return -1;
    // File systems without the no-replace flag: check first, then rename.
    struct stat target;
    if (::stat(to, &target) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from, to);
}

int system_sync(int fd)
{
    int result;
    do result = ::fdatasync(fd);
    while (result < 0 && errno == EINTR);
    return result;
}

int system_link_unnamed(int fd, const char* to)
{
    // Linking through the descriptor itself needs a privilege; its name
    // under /proc does not.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to, AT_SYMLINK_FOLLOW);
}

const file_ops system_table{
    system_open, ::close, system_read, system_write, system_read_at, ::lseek,
    ::fstat, ::stat, ::ftruncate, system_lock, system_rename_no_replace, ::unlink, system_sync,
    system_link_unnamed, ::rename,
};

const file_ops* installed = &system_table;

}  // namespace

const file_ops& system_file_ops() { return system_table; }

const file_ops& active_file_ops() { return *installed; }

scoped_file_ops::scoped_file_ops(const file_ops& ops) : previous_(installed) { installed = &ops; }

scoped_file_ops::~scoped_file_ops() { installed = previous_; }

}  // namespace vortel
