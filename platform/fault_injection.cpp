#include "platform/fault_injection.h"

#include <stdexcept>

namespace vortel {
namespace {

fault_injector* active = nullptr;

// True when the current call must fail; errno is then set.
bool strikes(fault_call call, const char* name)
{
    if (active == nullptr || !active->strike(call, name)) return false;
    errno = active->error();
    return true;
}

const file_ops& real() { return system_file_ops(); }

int failing_open(const char* path, int flags, mode_t mode)
{
    return strikes(fault_call::open, "open") ? -1 : real().open(path, flags, mode);
}

// A failed close still releases the descriptor, as the system's does.
int failing_close(int fd)
{
    if (!strikes(fault_call::close, "close")) return real().close(fd);
    const int error = errno;
    real().close(fd);
    errno = error;
    return -1;
}

ssize_t failing_read(int fd, void* buffer, std::size_t count)
{
    return strikes(fault_call::read, "read") ? -1 : real().read(fd, buffer, count);
}

ssize_t failing_write(int fd, const void* buffer, std::size_t count)
{
    return strikes(fault_call::write, "write") ? -1 : real().write(fd, buffer, count);
}

ssize_t failing_read_at(int fd, void* buffer, std::size_t count, off_t offset)
{
    return strikes(fault_call::read, "read_at") ? -1 : real().read_at(fd, buffer, count, offset);
}

off_t failing_seek(int fd, off_t offset, int whence)
{
    return strikes(fault_call::seek, "seek") ? -1 : real().seek(fd, offset, whence);
}

int failing_stat_fd(int fd, struct stat* out)
{
    return strikes(fault_call::stat, "stat_fd") ? -1 : real().stat_fd(fd, out);
}

int failing_stat_path(const char* path, struct stat* out)
{
    return strikes(fault_call::stat, "stat_path") ? -1 : real().stat_path(path, out);
}

int failing_truncate(int fd, off_t size)
{
    return strikes(fault_call::truncate, "truncate") ? -1 : real().truncate(fd, size);
}

int failing_lock(int fd, int command, struct flock* range)
{
    return strikes(fault_call::lock, range->l_type == F_UNLCK ? "unlock" : "lock") ? -1
                                                                                    : real().lock(fd, command, range);
}

int failing_rename(const char* from, const char* to)
{
    return strikes(fault_call::rename, "rename") ? -1 : real().rename_no_replace(from, to);
}

int failing_rename_replace(const char* from, const char* to)
{
    return strikes(fault_call::rename, "rename_replace") ? -1 : real().rename_replace(from, to);
}

int failing_unlink(const char* path)
{
    return strikes(fault_call::unlink, "unlink") ? -1 : real().unlink(path);
}

int failing_sync(int fd)
{
    return strikes(fault_call::sync, "sync") ? -1 : real().sync(fd);
}

int failing_link_unnamed(int fd, const char* to)
{
    return strikes(fault_call::link, "link") ? -1 : real().link_unnamed(fd, to);
}

const file_ops failing_table{
    failing_open, failing_close, failing_read, failing_write, failing_read_at, failing_seek,
    failing_stat_fd, failing_stat_path, failing_truncate, failing_lock, failing_rename, failing_unlink,
    failing_sync, failing_link_unnamed,
    failing_rename_replace,
};

fault_injector* claim(fault_injector* injector)
{
    if (active != nullptr) throw std::logic_error("one fault injector at a time");
    return active = injector;
}

}  // namespace

fault_injector::fault_injector(fault_call kind, long fail_at, int error)
    : kind_(kind), fail_at_(fail_at), error_(error), installed_((claim(this), failing_table))
{
}

fault_injector::~fault_injector() { active = nullptr; }

bool fault_injector::strike(fault_call call, const char* name)
{
    if (kind_ != fault_call::any && kind_ != call) return false;
    if (++calls_ != fail_at_) return false;
    fired_call_ = name;
    return true;
}

}  // namespace vortel
