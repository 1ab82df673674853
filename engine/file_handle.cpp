#include "engine/file_handle.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace vortel {

file_handle::file_handle(std::string file_name, int capacity)
    : name(std::move(file_name)), line_capacity(capacity)
{
}

int fh_open(file_handle& handle, unsigned access, unsigned share, file_creation creation, unsigned /*flags*/)
{
    if (!handle.os.open(handle.name, access, share, creation)) {
        handle.end_of_file = handle.beginning_of_file = 1;
        return 0;
    }
    if (handle.os.size() == 0) handle.end_of_file = handle.beginning_of_file = 1;
    return 1;
}

int fh_close(file_handle& handle)
{
    return handle.os.close() ? 1 : 0;
}

std::int64_t fh_seek(file_handle& handle, std::int64_t distance, seek_origin origin)
{
    return handle.os.seek(distance, origin);
}

bool fh_seek_and_read(file_handle& handle, std::int64_t offset, void* buffer, std::size_t count)
{
    std::size_t got = 0;
    return fh_seek(handle, offset, seek_origin::begin) == offset && fh_read(handle, buffer, count, got) && got == count;
}

bool fh_seek_and_write(file_handle& handle, std::int64_t offset, const void* buffer, std::size_t count)
{
    std::size_t put = 0;
    return fh_seek(handle, offset, seek_origin::begin) == offset && fh_write(handle, buffer, count, put) &&
           put == count;
}

std::int64_t fh_tell(file_handle& handle)
{
    return handle.os.seek(0, seek_origin::current);
}

std::int64_t fh_size(file_handle& handle)
{
    return handle.os.size();
}

int fh_read(file_handle& handle, void* buffer, std::size_t count, std::size_t& bytes_read)
{
    bytes_read = 0;
    handle.beginning_of_file = 0;
    if (!handle.os.read(buffer, count, bytes_read)) {
        handle.end_of_file = 0;
        return 0;
    }
    // Read first and ask about the end only when nothing came: one system
    // call per record on the common path. Nothing read also leaves the
    // buffer untouched, as a read refused at the end would.
    if (bytes_read == 0 && count > 0 && fh_tell(handle) == fh_size(handle)) {
        handle.end_of_file = 1;
        return 0;
    }
    handle.end_of_file = 0;
    return 1;
}

int fh_write(file_handle& handle, const void* buffer, std::size_t count, std::size_t& bytes_written)
{
    return handle.os.write(buffer, count, bytes_written) ? 1 : 0;
}

int fh_lock(file_handle& handle, std::int64_t offset, std::int64_t length)
{
    handle.last_lock_offset = offset;
    return handle.os.lock(offset, length) ? 1 : 0;
}

int fh_unlock(file_handle& handle, std::int64_t offset, std::int64_t length)
{
    handle.last_lock_offset = offset;
    return handle.os.unlock(offset, length) ? 1 : 0;
}

int fh_read_line(file_handle& handle, std::string& line, int capacity)
{
    line.clear();
    const std::int64_t start = fh_tell(handle);
    const std::int64_t size = fh_size(handle);
    if (start < 0 || size < 0 || capacity <= 0) return 0;
    if (start >= size) {
        // Also past the end: a plain read there would report an empty line forever.
        handle.beginning_of_file = 0;
        handle.end_of_file = 1;
        handle.line_copy.clear();
        return 0;
    }
    const std::size_t wanted = static_cast<std::size_t>(std::clamp<std::int64_t>(size - start, 0, capacity));

    std::vector<char> piece(wanted);
    std::size_t got = 0;
    int result = 0;
    if (!fh_read(handle, piece.data(), wanted, got)) {
        fh_seek(handle, start, seek_origin::begin);
    } else {
        std::size_t end = got;
        for (std::size_t i = 0; i + 1 < got; ++i) {
            if (piece[i] == '\r' && piece[i + 1] == '\n') {
                end = i;
                break;
            }
        }
        line.assign(piece.data(), end);
        // Stand right after the terminator for the next line.
        const std::int64_t after_line = start + static_cast<std::int64_t>(std::min(end + 2, got));
        if (after_line < start + static_cast<std::int64_t>(got)) fh_seek(handle, after_line, seek_origin::begin);
        result = 1;
    }
    handle.line_copy = line.substr(0, static_cast<std::size_t>(handle.line_capacity));
    return result;
}

}  // namespace vortel
