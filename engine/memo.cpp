// Memo texts in the DBT file. A memo field holds the number of the memo's
// first block; new memos are placed at the end of the file, and the header's
// next free block number, re-read under a lock on the header block, keeps
// processes that store memos at once out of each other's blocks.
#include "engine/table.h"

#include "platform/codepage.h"
#include "text/number_text.h"
#include "text/text_to_number.h"

#include <algorithm>
#include <limits>

namespace vortel {
namespace {

constexpr std::int64_t header_block_length = dbt_block_size;

// The first block past everything the file holds. Trusting only the header
// would let a stale or damaged next-free number place a new memo over
// existing ones.
std::int64_t first_unused_block(std::int64_t size, std::int64_t next_free)
{
    const std::int64_t past_data = (size + dbt_block_size - 1) / dbt_block_size;
    return std::max({next_free, past_data, std::int64_t{2}});
}

int store_memo(table_object& table, int index, const std::string& bytes)
{
    const std::int64_t old_block = text_to_long(field_text(table, index));
    const std::int64_t next_free = table.memo_header.next_free_block;

    // A short text goes over the memo's own first block, when that block is
    // one the file really has.
    if (bytes.size() < dbt_block_size && old_block >= 1 && old_block < next_free) {
        return write_memo_text(table.dbt, old_block, std::string_view(bytes).substr(0, bytes.size() - 1)) ? 1 : 0;
    }

    // Without a fitting lock the record cannot point at a new memo: write nothing.
    if (!record_writable(table)) return 0;
    // The size is read once: an unknown size can neither place the memo past
    // the data nor size the padding below.
    const std::int64_t size = fh_size(table.dbt);
    if (size < 0) return 0;
    const std::int64_t block = first_unused_block(size, next_free);
    if (block > std::numeric_limits<std::int32_t>::max() - 1) return 0;
    // The record points at the memo by its block number, right-aligned in
    // ten places. A damaged narrower field takes it at its own width, and a
    // number the field cannot hold whole fails the store: cut short, it
    // would point at another memo or at none.
    const int width = field_info(table, index).length;
    const std::string pointer = long_to_text(static_cast<long>(block), std::min(width, 10));
    if (std::ssize(pointer) > width) return 0;
    const std::int64_t blocks = memo_block_count(static_cast<std::int64_t>(bytes.size()) - 1);

    // Block 1 never holds a memo; a new memo file is extended past it.
    if (size < 2 * dbt_block_size) {
        std::size_t put = 0;
        const std::string zeros(static_cast<std::size_t>(2 * dbt_block_size - size), '\0');
        if (fh_seek(table.dbt, 0, seek_origin::end) < 0 || !fh_write(table.dbt, zeros.data(), zeros.size(), put)) {
            return 0;
        }
    }

    // The text goes in before the record points at it, so a failed write
    // leaves the old memo in place.
    if (!write_memo_text(table.dbt, block, std::string_view(bytes).substr(0, bytes.size() - 1))) return 0;

    const std::string kept = field_text(table, index);
    set_field_text(table, index, pointer);
    if (!write_record(table)) {
        set_field_text(table, index, kept);
        return 0;
    }

    table.memo_header.next_free_block = static_cast<std::int32_t>(block + blocks);
    return write_dbt_header(table.dbt, table.memo_header) ? 1 : 0;
}

}  // namespace

bool memo_read_whole(table_object& table, std::string_view block_text, std::string& text)
{
    text.clear();
    const long block = text_to_long(block_text);
    if (block <= 0 || !table.dbt.os.is_open()) return true;
    const bool whole = read_memo_text_checked(table.dbt, block, std::numeric_limits<std::size_t>::max(), text);
    if (table.conversion) oem_to_ansi(text);
    return whole;
}

std::string memo_read(table_object& table, std::string_view block_text)
{
    std::string text;
    memo_read_whole(table, block_text, text);
    return text;
}

int memo_write(table_object& table, int index, std::string_view text)
{
    if (index < 0 || index >= table.field_count) return 0;
    if (!table.dbt.os.is_open() || fh_seek(table.dbt, 0, seek_origin::begin) != 0) return -1;
    if (!fh_lock(table.dbt, 0, header_block_length)) {
        fh_unlock(table.dbt, 0, header_block_length);
        return 0;
    }
    int result = 0;
    if (read_dbt_header(table.dbt, table.memo_header)) {
        std::string bytes(text.substr(0, text.find('\0')));
        if (table.conversion) ansi_to_oem(bytes);
        bytes.push_back(static_cast<char>(memo_end_mark));
        result = store_memo(table, index, bytes);
    }
    fh_unlock(table.dbt, 0, header_block_length);
    return result;
}

}  // namespace vortel
