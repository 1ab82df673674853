#include "platform/native_file.h"

#include "platform/file_ops.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace vortel {
namespace {

// Guard bytes, all above lockable_limit (see the header for their use).
constexpr std::int64_t guard_open = INT64_MAX - 8;
constexpr std::int64_t guard_reading = guard_open + 1;
constexpr std::int64_t guard_writing = guard_open + 2;
constexpr std::int64_t guard_denies_read = guard_open + 3;
constexpr std::int64_t guard_denies_write = guard_open + 4;

struct flock byte_range(short type, std::int64_t offset, std::int64_t length)
{
    struct flock range{};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = offset;
    range.l_len = length;
    range.l_pid = 0;  // open-file-description locks insist on it
    return range;
}

int set_lock(int fd, short type, std::int64_t offset, std::int64_t length = 1)
{
    struct flock range = byte_range(type, offset, length);
    return active_file_ops().lock(fd, F_OFD_SETLK, &range) == 0 ? 0 : errno;
}

// Whether some other handle holds a lock on the guard byte.
bool held_elsewhere(int fd, std::int64_t guard)
{
    struct flock range = byte_range(F_WRLCK, guard, 1);
    if (active_file_ops().lock(fd, F_OFD_GETLK, &range) != 0) return false;
    return range.l_type != F_UNLCK;
}

bool is_conflict(int error) { return error == EAGAIN || error == EACCES; }

bool same_file(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `path` still names the file open as `fd`: a delete or rename may
// have slipped in between opening and taking the guard lock.
bool path_names_fd(const std::string& path, int fd)
{
    struct stat by_path, by_fd;
    const file_ops& ops = active_file_ops();
    return ops.stat_path(path.c_str(), &by_path) == 0 && ops.stat_fd(fd, &by_fd) == 0 &&
           same_file(by_path, by_fd);
}

// Opens `path` for a delete or rename and takes the "open" guard
// exclusively, so that no handle has the file open and none can open it
// while the caller acts on the name. Returns the descriptor, or -errno.
int claim_unopened(const std::string& path)
{
    const file_ops& ops = active_file_ops();
    bool read_only = false;
    int fd = ops.open(path.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        fd = ops.open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
        read_only = true;
    }
    if (fd < 0) return -errno;
    int error = 0;
    if (read_only) {
        // Without write access the guard cannot be held, only tested.
        if (held_elsewhere(fd, guard_open)) error = EBUSY;
    } else if (int refused = set_lock(fd, F_WRLCK, guard_open); is_conflict(refused)) {
        error = EBUSY;
    }
    if (error == 0 && !path_names_fd(path, fd)) error = EBUSY;
    if (error != 0) {
        ops.close(fd);
        return -error;
    }
    return fd;
}

}  // namespace

native_file::~native_file() { close(); }

native_file::native_file(native_file&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      readable_(other.readable_),
      writable_(other.writable_),
      exclusive_locks_(other.exclusive_locks_),
      claimed_(std::exchange(other.claimed_, false)),
      error_(other.error_),
      held_(std::move(other.held_))
{
}

native_file& native_file::operator=(native_file&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        readable_ = other.readable_;
        writable_ = other.writable_;
        exclusive_locks_ = other.exclusive_locks_;
        claimed_ = std::exchange(other.claimed_, false);
        error_ = other.error_;
        held_ = std::move(other.held_);
    }
    return *this;
}

bool native_file::fail(int error)
{
    error_ = error;
    return false;
}

bool native_file::open(const std::string& path, unsigned access, unsigned share, file_creation creation)
{
    close();
    const file_ops& ops = active_file_ops();
    int flags = O_CLOEXEC | (creation == file_creation::open_existing ? 0 : O_CREAT) |
                (creation == file_creation::create_new ? O_EXCL : 0);

    // A few tries: each one loses only to a delete or rename that happened
    // between our open and our guard lock.
    for (int attempt = 0; attempt < 5; ++attempt) {
        // A handle that only reads never asks for write access: a file we
        // may not write (a read-only share, a CD) opens all the same. Its
        // locks are shared ones, which still keep writers' locks out.
        const bool read_only = (access & access_write) == 0;
        int fd = ops.open(path.c_str(), flags | (read_only ? O_RDONLY : O_RDWR), 0666);
        if (fd < 0) return fail(errno);

        // Only plain files: a directory, device or pipe is no table. A file
        // just created exclusively is a new plain file under this name,
        // which no one else could have opened, deleted or renamed yet.
        const bool created = creation == file_creation::create_new;
        struct stat info;
        int kind_error = created ? 0 : ops.stat_fd(fd, &info) != 0 ? errno : S_ISREG(info.st_mode) ? 0 : EINVAL;
        if (kind_error != 0) {
            ops.close(fd);
            return fail(kind_error);
        }
        fd_ = fd;
        readable_ = (access & access_read) != 0;
        writable_ = (access & access_write) != 0;
        exclusive_locks_ = !read_only;

        if (!take_guards(access, share)) {
            int error = error_;
            // A refused new file is not left behind under its name.
            if (created && path_names_fd(path, fd)) ops.unlink(path.c_str());
            close();
            return fail(error);
        }
        if (!created && !path_names_fd(path, fd)) {
            close();
            continue;
        }
        // Emptying waits until the share modes said yes, so that a refused
        // open never harms the file.
        if (creation == file_creation::create_always && ops.truncate(fd, 0) != 0) {
            int error = errno;
            close();
            return fail(error);
        }
        error_ = 0;
        return true;
    }
    return fail(EBUSY);
}

bool native_file::take_guards(unsigned access, unsigned share)
{
    struct guard {
        bool wanted;
        std::int64_t offset;
    };
    const guard guards[] = {
        {true, guard_open},
        {(access & access_read) != 0, guard_reading},
        {(access & access_write) != 0, guard_writing},
        {(share & share_read) == 0, guard_denies_read},
        {(share & share_write) == 0, guard_denies_write},
    };
    for (const guard& g : guards) {
        if (!g.wanted) continue;
        int error = set_lock(fd_, F_RDLCK, g.offset);
        if (is_conflict(error)) return fail(EBUSY);  // a delete or rename is under way
        // A file system without these locks still opens; its locks will fail.
        if (error != 0) return true;
    }
    const bool conflict =
        ((access & access_read) && held_elsewhere(fd_, guard_denies_read)) ||
        ((access & access_write) && held_elsewhere(fd_, guard_denies_write)) ||
        (!(share & share_read) && held_elsewhere(fd_, guard_reading)) ||
        (!(share & share_write) && held_elsewhere(fd_, guard_writing));
    return conflict ? fail(EBUSY) : true;
}

bool native_file::close()
{
    if (fd_ < 0) return false;
    // Closing the description drops every lock taken through it.
    int result = active_file_ops().close(std::exchange(fd_, -1));
    held_.clear();
    claimed_ = false;
    return result == 0;
}

std::int64_t native_file::seek(std::int64_t distance, seek_origin origin)
{
    if (fd_ < 0) return fail(EBADF), -1;
    int whence = origin == seek_origin::begin ? SEEK_SET : origin == seek_origin::current ? SEEK_CUR : SEEK_END;
    off_t position = active_file_ops().seek(fd_, distance, whence);
    if (position < 0) return fail(errno), -1;
    return position;
}

std::int64_t native_file::size()
{
    struct stat info;
    if (fd_ < 0) return fail(EBADF), -1;
    if (active_file_ops().stat_fd(fd_, &info) != 0) return fail(errno), -1;
    return info.st_size;
}

bool native_file::read(void* buffer, std::size_t count, std::size_t& bytes_read)
{
    bytes_read = 0;
    if (fd_ < 0 || !readable_) return fail(EBADF);
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (bytes_read < count) {
        ssize_t got = active_file_ops().read(fd_, bytes + bytes_read, count - bytes_read);
        if (got < 0) return fail(errno);
        if (got == 0) break;
        bytes_read += static_cast<std::size_t>(got);
    }
    return true;
}

bool native_file::read_whole_at(std::int64_t offset, void* buffer, std::size_t count)
{
    if (fd_ < 0 || !readable_) return fail(EBADF);
    // A read may bring fewer bytes than asked before the end of the file
    // (a signal, a network file system): the rest is asked for until the
    // end of the file stops it.
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t part =
            active_file_ops().read_at(fd_, bytes + got, count - got, offset + static_cast<std::int64_t>(got));
        if (part < 0 && errno == EINTR) continue;
        if (part < 0) return fail(errno);
        if (part == 0) break;
        got += static_cast<std::size_t>(part);
    }
    return got == count;
}

bool native_file::write(const void* buffer, std::size_t count, std::size_t& bytes_written)
{
    bytes_written = 0;
    if (fd_ < 0 || !writable_) return fail(EBADF);
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    while (bytes_written < count) {
        ssize_t put = active_file_ops().write(fd_, bytes + bytes_written, count - bytes_written);
        if (put < 0) return fail(errno);
        if (put == 0) return fail(EIO);
        bytes_written += static_cast<std::size_t>(put);
    }
    return true;
}

bool native_file::resize(std::int64_t size)
{
    if (fd_ < 0 || !writable_) return fail(EBADF);
    if (active_file_ops().truncate(fd_, size) != 0) return fail(errno);
    return true;
}

bool native_file::lock(std::int64_t offset, std::int64_t length)
{
    if (fd_ < 0) return fail(EBADF);
    if (offset < 0 || length < 0 || offset > lockable_limit - length) return fail(EINVAL);
    // POSIX reads a length of 0 as "to the end of the file, and beyond";
    // here it means no bytes at all.
    if (length == 0) return true;
    for (const auto& [held_offset, held_length] : held_) {
        if (offset < held_offset + held_length && held_offset < offset + length) return fail(EAGAIN);
    }
    if (int error = set_lock(fd_, exclusive_locks_ ? F_WRLCK : F_RDLCK, offset, length); error != 0) {
        return fail(error);
    }
    held_.emplace_back(offset, length);
    return true;
}

bool native_file::unlock(std::int64_t offset, std::int64_t length)
{
    if (fd_ < 0) return fail(EBADF);
    if (length == 0) return true;
    auto found = std::find(held_.begin(), held_.end(), std::make_pair(offset, length));
    if (found == held_.end()) return fail(ENOLCK);
    if (int error = set_lock(fd_, F_UNLCK, offset, length); error != 0) return fail(error);
    held_.erase(found);
    return true;
}

bool native_file::create_unnamed(const std::string& folder)
{
    close();
    const file_ops& ops = active_file_ops();
    int fd = ops.open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd < 0) {
        // Older kernels and some file systems say so in several ways.
        return fail(errno == EISDIR || errno == EINVAL || errno == EOPNOTSUPP ? EOPNOTSUPP : errno);
    }
    fd_ = fd;
    readable_ = writable_ = true;
    exclusive_locks_ = true;
    if (!take_guards(access_read | access_write, share_read | share_write) || !claim_sole_use()) {
        const int error = error_;
        close();
        return fail(error);
    }
    return true;
}

bool native_file::link_name(const std::string& path)
{
    if (fd_ < 0) return fail(EBADF);
    if (active_file_ops().link_unnamed(fd_, path.c_str()) != 0) return fail(errno);
    return true;
}

bool native_file::claim_sole_use()
{
    if (fd_ < 0) return fail(EBADF);
    if (claimed_) return true;
    if (!exclusive_locks_) return fail(EBADF);
    // The shared lock on the guard is replaced by an exclusive one in one
    // step; refused, the shared lock stays as it was.
    if (int error = set_lock(fd_, F_WRLCK, guard_open); error != 0) return fail(is_conflict(error) ? EBUSY : error);
    claimed_ = true;
    return true;
}

bool native_file::release_sole_use()
{
    if (fd_ < 0) return fail(EBADF);
    if (!claimed_) return true;
    if (int error = set_lock(fd_, F_RDLCK, guard_open); error != 0) return fail(error);
    claimed_ = false;
    return true;
}

bool native_file::rename_claimed(const std::string& from, const std::string& to)
{
    if (fd_ < 0 || !claimed_ || !path_names_fd(from, fd_)) return fail(EBUSY);
    if (active_file_ops().rename_no_replace(from.c_str(), to.c_str()) != 0) return fail(errno);
    return true;
}

bool native_file::unlink_claimed(const std::string& path)
{
    if (fd_ < 0 || !claimed_ || !path_names_fd(path, fd_)) return fail(EBUSY);
    if (active_file_ops().unlink(path.c_str()) != 0) return fail(errno);
    return true;
}

bool native_file::identity(file_identity& out)
{
    struct stat info;
    if (fd_ < 0) return fail(EBADF);
    if (active_file_ops().stat_fd(fd_, &info) != 0) return fail(errno);
    out = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
           static_cast<std::uint64_t>(info.st_nlink)};
    return true;
}

bool native_file::sync()
{
    if (fd_ < 0) return fail(EBADF);
    return active_file_ops().sync(fd_) == 0 ? true : fail(errno);
}

bool path_identity(const std::string& path, file_identity& out)
{
    struct stat info;
    if (active_file_ops().stat_path(path.c_str(), &info) != 0) return false;
    out = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
           static_cast<std::uint64_t>(info.st_nlink)};
    return true;
}

std::string resolved_path(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return {};
    std::string result(real);
    std::free(real);
    return result;
}

int sync_folder(const std::string& folder)
{
    const file_ops& ops = active_file_ops();
    int fd = ops.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return errno;
    int error = ops.sync(fd) == 0 ? 0 : errno;
    ops.close(fd);
    return error;
}

int delete_file(const std::string& path)
{
    int fd = claim_unopened(path);
    if (fd < 0) return -fd;
    const file_ops& ops = active_file_ops();
    int error = ops.unlink(path.c_str()) == 0 ? 0 : errno;
    ops.close(fd);
    return error;
}

int move_file(const std::string& from, const std::string& to)
{
    int fd = claim_unopened(from);
    if (fd < 0) return -fd;
    const file_ops& ops = active_file_ops();
    int error = ops.rename_no_replace(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    ops.close(fd);
    return error;
}

int replace_file(const std::string& from, const std::string& to)
{
    const file_ops& ops = active_file_ops();
    int from_fd = claim_unopened(from);
    if (from_fd < 0) return -from_fd;
    int to_fd = claim_unopened(to);
    if (to_fd < 0 && to_fd != -ENOENT) {
        ops.close(from_fd);
        return -to_fd;
    }
    int error = ops.rename_replace(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (to_fd >= 0) ops.close(to_fd);
    ops.close(from_fd);
    return error;
}

}  // namespace vortel
