#include "engine/append_undo.h"

#include "engine/record_blocks.h"

namespace vortel {
namespace {

// The bytes past a table's counted records are kept up to this many: more
// than a few are leftovers no count describes, and an append writes over
// them anyway.
constexpr std::int64_t tail_kept_max = bulk_block_bytes;

}  // namespace

bool append_undo::start()
{
    memo_file_ = table_.dbt.os.is_open();
    if (memo_file_ && !lock_memo_header(table_)) return false;

    dbf_size_ = fh_size(table_.dbf);
    if (dbf_size_ < 0 || !read_record_count(table_.dbf, count_)) {
        note_failure(table_, table_.dbf);
        return false;
    }
    const std::int64_t records_end = record_offset(table_.header, std::int64_t{count_} + 1);
    const std::int64_t tail = dbf_size_ - records_end;
    if (tail > 0 && tail <= tail_kept_max) {
        dbf_tail_.resize(static_cast<std::size_t>(tail));
        if (!table_.dbf.os.read_whole_at(records_end, dbf_tail_.data(), dbf_tail_.size())) {
            note_failure(table_, table_.dbf);
            return false;
        }
    }
    tail_kept_ = tail <= tail_kept_max;

    if (memo_file_) {
        dbt_size_ = fh_size(table_.dbt);
        if (dbt_size_ < 0) {
            note_failure(table_, table_.dbt);
            return false;
        }
        // A memo file too short for its header takes no memo, and cutting
        // it back to its size restores it.
        memo_header_read_ = read_dbt_header(table_.dbt, memo_header_);
        if (!memo_header_read_ && dbt_size_ >= dbt_header_copy_size) {
            note_failure(table_, table_.dbt);
            return false;
        }
    }
    return true;
}

bool append_undo::undo()
{
    // While the count still promises the new records, the bytes they and
    // their memos take must stay.
    if (!write_record_count(table_.dbf, count_)) {
        note_failure(table_, table_.dbf);
        return false;
    }
    table_.header.record_count = count_;
    const std::int64_t records_end = record_offset(table_.header, std::int64_t{count_} + 1);
    bool whole = dbf_tail_.empty() ||
                 write_record_bytes(table_.dbf, table_.header, std::int64_t{count_} + 1,
                                    {reinterpret_cast<const std::uint8_t*>(dbf_tail_.data()), dbf_tail_.size()});
    // A tail too long to keep goes: it is no part of the table.
    whole = whole && table_.dbf.os.resize(tail_kept_ ? dbf_size_ : records_end);
    if (!whole) note_failure(table_, table_.dbf);

    if (memo_file_) {
        bool memo_whole = table_.dbt.os.resize(dbt_size_);
        if (memo_whole && memo_header_read_) {
            memo_whole = write_dbt_header(table_.dbt, memo_header_);
            if (memo_whole) table_.memo_header = memo_header_;
        }
        if (!memo_whole) note_failure(table_, table_.dbt);
        whole = whole && memo_whole;
    }
    return whole;
}

}  // namespace vortel
