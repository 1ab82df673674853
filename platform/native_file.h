// One open file with byte-range locks that behave like the ones the table
// engine's locking protocol was designed for:
//
//  1. A lock is owned by the handle that took it. A range locked through one
//     handle refuses a lock through any other handle of the same file, in
//     this process or another, and locking never waits.
//  2. A handle cannot lock a range that overlaps one it already holds, and
//     unlocks exactly the ranges it locked.
//  3. A file that some handle has open cannot be deleted or renamed.
//  4. Share modes: a handle that does not share writing keeps others from
//     opening the file for writing, and the reverse; the same for reading.
//
// Classic POSIX record locks cannot give (1): they belong to the process, so
// two handles of one process never conflict, and closing any descriptor of
// the file silently drops every lock the process holds on it. Open-file-
// description locks (F_OFD_SETLK) belong to the open file itself, which is
// what a handle is here, and vanish only when that handle closes.
//
// (3) and (4) are built from the same locks on a few guard bytes far above
// any data: every open handle holds a shared lock on the "open" guard byte,
// and deleting or renaming first takes that byte exclusively. Share modes use
// one guard byte per access and per denial, taken before the conflicting
// ones are checked, so two racing openers can both fail but never both win.
//
// (5) A handle may claim sole use of its file: its shared lock on the "open"
// guard becomes exclusive, which succeeds only while no other handle, here
// or in another process, has the file open, and keeps every other open,
// delete and rename out until it is released or the handle closes. A
// rebuild moves and removes files it has claimed through their handles
// (rename_claimed, unlink_claimed), each after proving that the name still
// names the claimed file, so no name is ever acted on that another process
// may have put there meanwhile.
//
// The locks are advisory: they stop other lockers, not plain reads and
// writes. Every writer in the program takes its lock before writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vortel {

enum file_access : unsigned { access_read = 1u, access_write = 2u };
enum file_share : unsigned { share_none = 0u, share_read = 1u, share_write = 2u };

enum class file_creation {
    open_always,    // open, or create an empty file when there is none
    create_always,  // create, or empty an existing file
    open_existing,  // open; fail when there is none
    create_new,     // create; fail (EEXIST) when the name exists in any form
};

// Which file a name or handle reaches, whatever its name, and how many
// names it has.
struct file_identity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t links = 0;

    bool same_file(const file_identity& other) const { return device == other.device && inode == other.inode; }
};

enum class seek_origin { begin, current, end };

// Offsets from here on belong to the guard bytes; data locks stay below.
inline constexpr std::int64_t lockable_limit = INT64_MAX - 64;

class native_file {
public:
    native_file() = default;
    ~native_file();
    native_file(native_file&& other) noexcept;
    native_file& operator=(native_file&& other) noexcept;
    native_file(const native_file&) = delete;
    native_file& operator=(const native_file&) = delete;

    // Closes any file this object had open first. On failure the object
    // stays closed and last_error() says why (an errno value; EBUSY when a
    // share mode or a pending delete refuses the open).
    [[nodiscard]] bool open(const std::string& path, unsigned access, unsigned share, file_creation creation);
    bool close();
    bool is_open() const { return fd_ >= 0; }
    // Opened with write access.
    bool writable() const { return fd_ >= 0 && writable_; }

    // New position, or -1 (the position is then unchanged).
    std::int64_t seek(std::int64_t distance, seek_origin origin);
    std::int64_t size();

    // Reads up to `count` bytes; stops early only at the end of the file.
    [[nodiscard]] bool read(void* buffer, std::size_t count, std::size_t& bytes_read);
    // Reads `count` bytes at `offset`, leaving the position where it was;
    // false unless all of them were read.
    [[nodiscard]] bool read_whole_at(std::int64_t offset, void* buffer, std::size_t count);
    // Writes all `count` bytes unless the system refuses.
    [[nodiscard]] bool write(const void* buffer, std::size_t count, std::size_t& bytes_written);
    // Cuts the file to `size` bytes (or extends it with zero bytes).
    [[nodiscard]] bool resize(std::int64_t size);

    // Exclusive lock of [offset, offset + length) without waiting. A length
    // of 0 locks nothing and succeeds.
    [[nodiscard]] bool lock(std::int64_t offset, std::int64_t length);
    // Releases a range exactly as it was locked through this handle.
    bool unlock(std::int64_t offset, std::int64_t length);

    // A new file in `folder` that has no name yet, open for reading and
    // writing, shared, and claimed (5): nobody else can reach it, and a crash
    // before it is named leaves nothing behind. EOPNOTSUPP where the file
    // system cannot make one.
    [[nodiscard]] bool create_unnamed(const std::string& folder);
    // Gives the unnamed file the name `path`, never replacing a file there
    // (EEXIST).
    [[nodiscard]] bool link_name(const std::string& path);

    // Sole use of the file (5); EBUSY while another handle has it open.
    // Needs a handle opened for writing.
    [[nodiscard]] bool claim_sole_use();
    // Back to shared use, as every open handle has it.
    bool release_sole_use();
    bool claimed() const { return claimed_; }

    // The claimed file's name `from` becomes `to`, never replacing a file
    // there (EEXIST); EBUSY unless the file is claimed and `from` names it.
    [[nodiscard]] bool rename_claimed(const std::string& from, const std::string& to);
    // Removes the name `path` of the claimed file, under the same proof.
    [[nodiscard]] bool unlink_claimed(const std::string& path);

    [[nodiscard]] bool identity(file_identity& out);
    // The written data on the disk before the call returns.
    bool sync();

    int last_error() const { return error_; }

private:
    bool fail(int error);
    bool take_guards(unsigned access, unsigned share);

    int fd_ = -1;
    bool readable_ = false;
    bool writable_ = false;
    bool exclusive_locks_ = true;
    bool claimed_ = false;
    int error_ = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> held_;
};

// Deletes a file, refused (EBUSY) while any handle has it open. 0 or errno.
int delete_file(const std::string& path);

// Renames a file as a move within its file system: refused (EBUSY) while any
// handle has `from` open, and (EEXIST) when `to` already exists. 0 or errno.
[[nodiscard]] int move_file(const std::string& from, const std::string& to);

// The file a name reaches (through links); false when none.
bool path_identity(const std::string& path, file_identity& out);

// The path with every symbolic link resolved, "" when it cannot be (a
// missing file, a loop).
std::string resolved_path(const std::string& path);

// Puts a folder's entries (the names moved or removed in it) on the disk.
// 0 or errno.
int sync_folder(const std::string& folder);

// Moves `from` over `to` in one step, replacing a file of that name; refused
// (EBUSY) while any handle has either open, as replacing deletes the old
// `to`. 0 or errno.
int replace_file(const std::string& from, const std::string& to);

}  // namespace vortel
