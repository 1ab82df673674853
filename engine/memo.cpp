// Memo texts in the DBT file. A memo field holds the number of the memo's
// first block; new memos are placed at the end of the file, and the header's
// next free block number, re-read under a lock on the header block, keeps
// processes that store memos at once out of each other's blocks.
#include "engine/table.h"

#include "engine/memo_batch.h"
#include "engine/memo_layouts.h"

#include "platform/code_page.h"
#include "platform/error_text.h"
#include "text/number_text.h"
#include "text/text_to_number.h"

#include <algorithm>
#include <limits>

namespace vortel {
namespace {

constexpr std::int64_t header_block_length = dbt_block_size;

}  // namespace

// Where a new memo goes: the first block past everything the file holds.
// The header's next-free number is trusted only as far as the file agrees
// with it. A stale number would place the memo over existing ones. A number
// one block past the data is the header's own (a text ending on a block
// boundary is given one block more than it fills), but one further out is
// damage: following it would grow the file to wherever it points, up to a
// terabyte, and the write after it corrects the header.
std::int64_t first_unused_block(std::int64_t size, std::int64_t next_free)
{
    const std::int64_t past_data = (size + dbt_block_size - 1) / dbt_block_size;
    const std::int64_t block = next_free >= past_data && next_free <= past_data + 1 ? next_free : past_data;
    return std::max(block, std::int64_t{2});
}

std::string memo_pointer(table_object& table, int index, std::int64_t block)
{
    const int width = field_info(table, index).length;
    std::string pointer = long_to_text(static_cast<long>(block), std::min(width, 10));
    if (block > std::numeric_limits<std::int32_t>::max() - 1 || std::ssize(pointer) > width) {
        note_failure(table, file_name_text(table.dbt_name) + " has no block number left for another memo");
        return {};
    }
    return pointer;
}

namespace {

int store_memo(table_object& table, int index, const std::string& bytes)
{
    const std::int64_t old_block = text_to_long(field_text(table, index));
    const std::int64_t next_free = table.memo_header.next_free_block;
    // The size is read once: an unknown size can neither tell which blocks
    // the file has nor place the memo past the data nor size the padding.
    const std::int64_t size = fh_size(table.dbt);
    if (size < 0) {
        note_failure(table, table.dbt);
        return 0;
    }
    const std::int64_t past_data = (size + dbt_block_size - 1) / dbt_block_size;

    // A short text goes over the memo's own first block, when that block is
    // one the file really has: a block number past the end, from a damaged
    // field or header, is never written at.
    if (bytes.size() < dbt_block_size && old_block >= 1 && old_block < std::min(next_free, past_data)) {
        if (write_memo_text(table.dbt, old_block, std::string_view(bytes).substr(0, bytes.size() - 1))) return 1;
        note_failure(table, table.dbt);
        return 0;
    }

    // Without a fitting lock the record cannot point at a new memo: write nothing.
    if (!record_writable(table)) return 0;
    const std::int64_t block = first_unused_block(size, next_free);
    const std::string pointer = memo_pointer(table, index, block);
    if (pointer.empty()) return 0;
    const std::int64_t blocks = memo_block_count(static_cast<std::int64_t>(bytes.size()) - 1);

    // Block 1 never holds a memo; a new memo file is extended past it.
    if (size < 2 * dbt_block_size) {
        std::size_t put = 0;
        const std::string zeros(static_cast<std::size_t>(2 * dbt_block_size - size), '\0');
        if (fh_seek(table.dbt, 0, seek_origin::end) < 0 || !fh_write(table.dbt, zeros.data(), zeros.size(), put)) {
            note_failure(table, table.dbt);
            return 0;
        }
    }

    // The text goes in before the record points at it, so a failed write
    // leaves the old memo in place.
    if (!write_memo_text(table.dbt, block, std::string_view(bytes).substr(0, bytes.size() - 1))) {
        note_failure(table, table.dbt);
        return 0;
    }

    const std::string kept = field_text(table, index);
    if (!set_field_text(table, index, pointer) || !write_record(table)) {
        note_failure(table, table.dbf);
        // The field held `kept` a moment ago, so it takes it back.
        (void)set_field_text(table, index, kept);
        return 0;
    }

    table.memo_header.next_free_block = static_cast<std::int32_t>(block + blocks);
    if (write_dbt_header(table.dbt, table.memo_header)) return 1;
    note_failure(table, table.dbt);
    return 0;
}

}  // namespace

bool memo_read_whole(table_object& table, std::string_view block_text, std::string& text)
{
    text.clear();
    const long block = text_to_long(block_text);
    if (block <= 0) return true;
    // A memo whose file is missing is no empty memo: a copy must not take
    // it for one.
    if (!table.memo_problem.empty()) {
        note_failure(table, table.memo_problem);
        return false;
    }
    if (!table.dbt.os.is_open()) return true;
    const bool whole =
        table.dialect.memo == memo_layout::dbt4 || table.dialect.memo == memo_layout::fpt
            ? read_memo_in_layout(table.dbt, table.dialect.memo, table.memo_block_size, block, text)
            : read_memo_text_checked(table.dbt, block, std::numeric_limits<std::size_t>::max(), text);
    if (!table.texts_as_stored && table.codepage.page != code_page::cp1250) {
        std::string shown;
        stored_to_program(table.codepage.page, text, shown);
        text = std::move(shown);
    }
    if (!whole) note_failure(table, table.dbt);
    return whole;
}

std::string memo_read(table_object& table, std::string_view block_text)
{
    // Shown as far as it could be read; copies ask memo_read_whole.
    std::string text;
    (void)memo_read_whole(table, block_text, text);
    return text;
}

int memo_write(table_object& table, int index, std::string_view text)
{
    if (index < 0 || index >= table.field_count || refuse_when_read_only(table)) return 0;
    if (!table.dbt.os.is_open() || fh_seek(table.dbt, 0, seek_origin::begin) != 0) {
        note_failure(table, table.dbt);
        return -1;
    }
    // Under a header lock held for a whole bulk operation, each memo is
    // placed as usual, without a lock of its own.
    const bool held = table.memo_header_held != 0;
    if (!held && !fh_lock(table.dbt, 0, header_block_length)) {
        fh_unlock(table.dbt, 0, header_block_length);
        return 0;
    }
    int result = 0;
    if (read_dbt_header(table.dbt, table.memo_header)) {
        std::string bytes(text.substr(0, text.find('\0')));
        std::string stored;
        const std::optional<char32_t> missing =
            table.texts_as_stored ? std::nullopt : program_to_stored(table.codepage.page, bytes, stored);
        if (missing) {
            note_failure(table, "The memo " + field_info(table, index).name + " cannot hold " +
                                    character_text(*missing) + ": code page " +
                                    std::string(code_page_name(table.codepage.page)) + " has no such character");
        } else {
            if (!table.texts_as_stored) bytes = std::move(stored);
            bytes.push_back(static_cast<char>(memo_end_mark));
            result = store_memo(table, index, bytes);
        }
    } else {
        note_failure(table, table.dbt);
    }
    if (!held) fh_unlock(table.dbt, 0, header_block_length);
    return result;
}

int lock_memo_header(table_object& table)
{
    if (table.memo_header_held || refuse_when_read_only(table) || !table.dbt.os.is_open()) return 0;
    if (!fh_lock(table.dbt, 0, header_block_length)) return 0;
    table.memo_header_held = 1;
    return 1;
}

void unlock_memo_header(table_object& table)
{
    if (!table.memo_header_held) return;
    fh_unlock(table.dbt, 0, header_block_length);
    table.memo_header_held = 0;
}

}  // namespace vortel
