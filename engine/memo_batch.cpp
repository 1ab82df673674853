#include "engine/memo_batch.h"

#include "engine/record_blocks.h"


namespace vortel {

memo_batch::~memo_batch()
{
    if (locked_here_) unlock_memo_header(table_);
}

bool memo_batch::start()
{
    if (!table_.dbt.os.is_open()) {
        note_failure(table_, table_.dbt);
        return false;
    }
    if (!table_.memo_header_held) {
        if (!lock_memo_header(table_)) return false;
        locked_here_ = true;
    }
    const std::int64_t size = fh_size(table_.dbt);
    if (size < 0 || !read_dbt_header(table_.dbt, table_.memo_header)) {
        note_failure(table_, table_.dbt);
        return false;
    }
    next_block_ = first_unused_block(size, table_.memo_header.next_free_block);
    pending_at_ = size;
    started_ = true;
    return true;
}

int memo_batch::store(int index, std::string_view text)
{
    if (index < 0 || index >= table_.field_count || !table_.table_locked) return 0;
    if (!started_ && !start()) return 0;
    const std::int64_t block = next_block_;
    const std::string pointer = memo_pointer(table_, index, block);
    if (pointer.empty()) return 0;
    const std::string_view bytes = text.substr(0, text.find('\0'));
    if (!set_field_text(table_, index, pointer)) {
        note_failure(table_, table_.dbf);
        return 0;
    }
    // Zero bytes from the end of the data (or the header block of a new
    // memo file) up to the memo's block, then the text and its end mark.
    const std::int64_t at = block * dbt_block_size - pending_at_;
    pending_.resize(static_cast<std::size_t>(at), '\0');
    pending_.append(bytes);
    pending_.append(memo_terminator);
    next_block_ = block + memo_block_count(static_cast<std::int64_t>(bytes.size()));
    return pending_.size() < bulk_block_bytes || flush() ? 1 : 0;
}

bool memo_batch::flush()
{
    if (pending_.empty()) return true;
    if (!fh_seek_and_write(table_.dbt, pending_at_, pending_.data(), pending_.size())) {
        note_failure(table_, table_.dbt);
        return false;
    }
    pending_at_ += static_cast<std::int64_t>(pending_.size());
    pending_.clear();
    return true;
}

bool memo_batch::finish()
{
    if (!started_) return true;
    if (!flush()) return false;
    table_.memo_header.next_free_block = static_cast<std::int32_t>(next_block_);
    if (write_dbt_header(table_.dbt, table_.memo_header)) return true;
    note_failure(table_, table_.dbt);
    return false;
}

}  // namespace vortel
