#include "engine/memo_read_ahead.h"

#include "engine/record_blocks.h"
#include "text/text_to_number.h"

#include <cstring>
#include <limits>

namespace vortel {

bool memo_read_ahead::load(std::int64_t offset)
{
    window_.resize(bulk_block_bytes);
    std::size_t got = 0;
    if (fh_seek(table_.dbt, offset, seek_origin::begin) != offset ||
        (!fh_read(table_.dbt, window_.data(), window_.size(), got) && !table_.dbt.end_of_file)) {
        window_at_ = -1;
        window_.clear();
        return false;
    }
    window_.resize(got);
    window_at_ = offset;
    return true;
}

bool memo_read_ahead::read(std::string_view block_text, std::string& text)
{
    // Only the plain layout is read here; the others, a missing memo file
    // and converted texts take the memo-by-memo way.
    if (table_.dialect.memo == memo_layout::dbt4 || table_.dialect.memo == memo_layout::fpt ||
        !table_.memo_problem.empty() || !table_.texts_as_stored || !table_.dbt.os.is_open()) {
        return memo_read_whole(table_, block_text, text);
    }
    text.clear();
    const long block = text_to_long(block_text);
    // A block too far out to have a file offset lies past the end of any file.
    if (block <= 0 || block > std::numeric_limits<std::int64_t>::max() / dbt_block_size) return true;
    std::int64_t at = block * dbt_block_size;
    // The text runs to its end mark, a zero byte or the end of the file.
    for (;;) {
        if (window_at_ < 0 || at < window_at_ || at >= window_at_ + std::ssize(window_)) {
            if (!load(at)) {
                note_failure(table_, table_.dbt);
                return false;
            }
            if (window_.empty()) return true;
        }
        const std::string_view rest = std::string_view(window_).substr(static_cast<std::size_t>(at - window_at_));
        // Two scans for one byte each: far faster than one for either byte.
        const void* mark = std::memchr(rest.data(), memo_end_mark, rest.size());
        const std::size_t marked = mark ? static_cast<std::size_t>(static_cast<const char*>(mark) - rest.data()) : rest.size();
        const void* zero = std::memchr(rest.data(), 0, marked);
        const std::size_t end = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - rest.data()) : marked;
        text.append(rest.substr(0, end));
        if (end < rest.size()) return true;
        at += std::ssize(rest);
    }
}

}  // namespace vortel
