// The file handle: every file the table engine touches (tables, memo files,
// export outputs, imported text) is reached through one.
//
// Besides bytes at a current position it keeps two flags that the table
// object and the importer test, and reads CR LF terminated lines. Nothing
// here shows a message or throws; failures are results: 0, or -1 for a
// position.
#pragma once

#include "platform/native_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vortel {

// The open flags callers pass. The random-access hint is accepted and not
// passed on: bulk operations read tables from start to end, where the
// system's read-ahead helps.
enum file_flags : unsigned { file_attribute_normal = 0x80u, file_flag_random_access = 0x10000000u };

// How each kind of file is opened. Tables are always shared for reading and
// writing, so that several processes can work on one; they coordinate
// through byte-range locks.
struct open_mode {
    unsigned access;
    unsigned share;
    file_creation creation;
};

inline constexpr open_mode table_read_write_mode{access_read | access_write, share_read | share_write,
                                                 file_creation::open_always};
// A table only viewed asks for no write access and stands in nobody's way:
// other processes go on writing it.
inline constexpr open_mode table_read_only_mode{access_read, share_read | share_write, file_creation::open_existing};
inline constexpr open_mode create_table_mode{access_write, share_read | share_write, file_creation::create_always};
// Imported text is only read, so a file the user may not write imports too.
inline constexpr open_mode import_text_mode{access_read, share_read | share_write, file_creation::open_existing};

// The longest line a handle keeps of a text it reads (line_copy).
inline constexpr int default_line_capacity = 512;

struct file_handle {
    explicit file_handle(std::string file_name, int line_capacity = default_line_capacity);

    native_file os;
    std::int64_t last_lock_offset = 0;  // start of the latest lock or unlock; information only
    int end_of_file = 0;        // the last read found the end, or the open failed or found an empty file
    int beginning_of_file = 0;  // cleared by every read; set when the open failed or found an empty file
    std::string name;
    int line_capacity;
    std::string line_copy;  // the last line read, at most line_capacity characters
};

// Opens the stored name. On failure both flags are set and the result is 0;
// on success an empty file sets both flags too. An already open handle is
// closed first.
[[nodiscard]] int fh_open(file_handle& handle, unsigned access, unsigned share, file_creation creation,
            unsigned flags = file_attribute_normal | file_flag_random_access);
inline int fh_open(file_handle& handle, const open_mode& mode)
{
    return fh_open(handle, mode.access, mode.share, mode.creation);
}
int fh_close(file_handle& handle);

// The new position, or -1 when it would fall before the start of the file.
std::int64_t fh_seek(file_handle& handle, std::int64_t distance, seek_origin origin);
std::int64_t fh_tell(file_handle& handle);
std::int64_t fh_size(file_handle& handle);

// Reads up to `count` bytes. At the end of the file it sets the end flag,
// reports 0 bytes and gives 0 without touching the buffer; a short read
// elsewhere is a success.
[[nodiscard]] int fh_read(file_handle& handle, void* buffer, std::size_t count, std::size_t& bytes_read);
[[nodiscard]] int fh_write(file_handle& handle, const void* buffer, std::size_t count, std::size_t& bytes_written);
// All `count` bytes at `offset`, leaving the position after them; false
// when the seek fails or fewer bytes come or go.
[[nodiscard]] bool fh_seek_and_read(file_handle& handle, std::int64_t offset, void* buffer, std::size_t count);
[[nodiscard]] bool fh_seek_and_write(file_handle& handle, std::int64_t offset, const void* buffer, std::size_t count);

[[nodiscard]] int fh_lock(file_handle& handle, std::int64_t offset, std::int64_t length);
int fh_unlock(file_handle& handle, std::int64_t offset, std::int64_t length);

// Reads the next line into `line`, without its CR LF: 1 when a line was
// read, 0 at the end of the file (with `line` empty). A line longer than
// `capacity` comes in pieces of `capacity` characters, and a CR LF that
// falls across two pieces is not seen as a terminator. No code-page
// conversion.
[[nodiscard]] int fh_read_line(file_handle& handle, std::string& line, int capacity);

}  // namespace vortel
