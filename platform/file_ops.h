// The seam between the file layer and the operating system.
//
// Every system call that touches a file goes through the table below, so a
// test can swap in versions that fail on demand (the Nth write, a refused
// lock, a rename that never happens) and then check that no data was lost.
// Production code never changes the table.
#pragma once

#include <cstddef>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace vortel {

struct file_ops {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*close)(int fd);
    ssize_t (*read)(int fd, void* buffer, std::size_t count);
    ssize_t (*write)(int fd, const void* buffer, std::size_t count);
    // Reads at an offset without moving the file position.
    ssize_t (*read_at)(int fd, void* buffer, std::size_t count, off_t offset);
    off_t (*seek)(int fd, off_t offset, int whence);
    int (*stat_fd)(int fd, struct stat* out);
    int (*stat_path)(const char* path, struct stat* out);
    int (*truncate)(int fd, off_t size);
    // fcntl with one of F_OFD_SETLK or F_OFD_GETLK.
    int (*lock)(int fd, int command, struct flock* range);
    // Renames without ever replacing an existing target (EEXIST instead).
    int (*rename_no_replace)(const char* from, const char* to);
    int (*unlink)(const char* path);
    // Puts the file's data on the disk (fdatasync); also for folders.
    int (*sync)(int fd);
    // Gives a file opened without a name (O_TMPFILE) the name `to`; EEXIST
    // when the name exists.
    int (*link_unnamed)(int fd, const char* to);
    // Renames, replacing an existing target in one step.
    int (*rename_replace)(const char* from, const char* to);
};

// The operating system's own calls.
const file_ops& system_file_ops();

// The table in force; system_file_ops() unless a test installed another.
const file_ops& active_file_ops();

// Installs `ops` until the object goes out of scope. For tests only.
class scoped_file_ops {
public:
    explicit scoped_file_ops(const file_ops& ops);
    ~scoped_file_ops();
    scoped_file_ops(const scoped_file_ops&) = delete;
    scoped_file_ops& operator=(const scoped_file_ops&) = delete;

private:
    const file_ops* previous_;
};

}  // namespace vortel
