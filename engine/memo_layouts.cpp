#include "engine/memo_layouts.h"

#include "engine/dbf_format.h"

#include <algorithm>
#include <array>
#include <limits>

namespace vortel {
namespace {

// Moves the handle to `offset` and reads up to `count` bytes there; the
// handle stands after them.
bool seek_and_read_some(file_handle& file, std::int64_t offset, void* buffer, std::size_t count, std::size_t& got)
{
    got = 0;
    return fh_seek(file, offset, seek_origin::begin) == offset && fh_read(file, buffer, count, got);
}

std::uint32_t big32(const std::uint8_t* at)
{
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 | at[3];
}

std::uint32_t little32(const std::uint8_t* at)
{
    return std::uint32_t{at[3]} << 24 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[1]} << 8 | at[0];
}

// `length` bytes from `offset`, or as many as the file holds.
bool read_counted(file_handle& memo, std::int64_t offset, std::uint32_t length, std::string& text)
{
    const std::int64_t size = fh_size(memo);
    if (size < 0) return false;
    const std::int64_t held = std::clamp<std::int64_t>(size - offset, 0, length);
    text.resize(static_cast<std::size_t>(held));
    std::size_t got = 0;
    if (held > 0 && !seek_and_read_some(memo, offset, text.data(), text.size(), got)) return false;
    text.resize(std::min(got, text.size()));
    return true;
}

// Up to the first end mark or zero byte, as dBase III memos end.
bool read_marked(file_handle& memo, std::int64_t offset, std::string& text)
{
    if (fh_seek(memo, offset, seek_origin::begin) != offset) return false;
    std::array<std::uint8_t, 512> chunk;
    for (;;) {
        std::size_t got = 0;
        if (!fh_read(memo, chunk.data(), chunk.size(), got)) return memo.end_of_file != 0;
        if (got == 0) return true;
        const std::size_t length = memo_text_length(std::span(chunk.data(), got));
        text.append(reinterpret_cast<const char*>(chunk.data()), length);
        if (length < got) return true;
    }
}

}  // namespace

int memo_block_size(file_handle& memo, memo_layout layout)
{
    std::array<std::uint8_t, 24> head{};
    std::size_t got = 0;
    if (!seek_and_read_some(memo, 0, head.data(), head.size(), got) || got < head.size()) return 0;
    int size = dbt_block_size;
    if (layout == memo_layout::fpt) size = head[6] << 8 | head[7];
    if (layout == memo_layout::dbt4) size = head[20] | head[21] << 8;
    // FoxPro allows blocks of one byte; anything else that small is damage.
    return size >= 1 && (layout == memo_layout::fpt || size >= 64) ? size : dbt_block_size;
}

bool read_memo_in_layout(file_handle& memo, memo_layout layout, int block_size, std::int64_t block,
                         std::string& text)
{
    text.clear();
    if (block <= 0 || block_size <= 0 || block > std::numeric_limits<std::int64_t>::max() / block_size) return true;
    const std::int64_t offset = block * block_size;
    std::array<std::uint8_t, 8> head{};
    std::size_t got = 0;
    if (!seek_and_read_some(memo, offset, head.data(), head.size(), got)) return memo.end_of_file != 0;
    if (got < head.size()) return true;
    if (layout == memo_layout::fpt) return read_counted(memo, offset + 8, big32(&head[4]), text);
    if (head[0] == 0xFF && head[1] == 0xFF && head[2] == 0x08 && head[3] == 0x00) {
        const std::uint32_t length = little32(&head[4]);
        return read_counted(memo, offset + 8, length < 8 ? 0 : length - 8, text);
    }
    return read_marked(memo, offset, text);
}

}  // namespace vortel
