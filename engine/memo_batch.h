// Storing the memos of a bulk copy in one pass. The copy holds the target's
// table lock; the batch takes the memo header lock once, at the first memo,
// and holds it to the end, so no other process places a block meanwhile and
// every new block can be given out in memory. The texts go to the file in
// large sequential writes, and the header last.
//
//  1. The bytes are those memo_write would write memo by memo: each text
//     with its end mark at the first unused block, zero bytes up to the next
//     memo's block, the header's next free block past the last one.
//  2. Memos reach the file before any record that points at them (the
//     record appender flushes the batch before its records), and the header
//     only after both: a crash leaves no record pointing at an unwritten
//     memo and no header promising blocks that were not written. A header
//     left behind by a crash is stale, and placing a memo after it goes past
//     the file's data, as first_unused_block says.
//  3. Another process that stores a memo meanwhile gets the busy answer,
//     as for a locked record.
#pragma once

#include "engine/table.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vortel {

// The block a new memo takes in a memo file of `size` bytes whose header
// names `next_free` (memo.cpp says why it is trusted only so far).
std::int64_t first_unused_block(std::int64_t size, std::int64_t next_free);

// The field text by which field `index` points at the memo in `block`: the
// number right-aligned in ten places, or in a damaged narrower field's own
// width. "" with the reason noted when the field cannot hold the number
// whole: cut short, it would point at another memo or at none.
std::string memo_pointer(table_object& table, int index, std::int64_t block);

class memo_batch {
public:
    // The caller holds the table's table lock while the batch lives, and
    // gives texts as the table stores them (record_copy.cpp moves bytes
    // unconverted).
    explicit memo_batch(table_object& table) : table_(table) {}
    ~memo_batch();
    memo_batch(const memo_batch&) = delete;
    memo_batch& operator=(const memo_batch&) = delete;

    // Places `text` (up to its first zero byte) as the memo of field `index`
    // of the record buffer: the field gets the memo's block number, the text
    // waits for `flush`. 1, or 0 without the table lock or when the memo
    // file is busy (nothing noted), or when it cannot be read or written or
    // has no block number left (the reason noted).
    [[nodiscard]] int store(int index, std::string_view text);

    // Writes the waiting texts. False, with the reason noted, when a write fails.
    [[nodiscard]] bool flush();

    // Writes the waiting texts, then the header, once. False, with the reason
    // noted, when a write fails; true at once when no memo was stored.
    [[nodiscard]] bool finish();

private:
    bool start();

    table_object& table_;
    bool started_ = false;
    bool locked_here_ = false;  // the batch took the header lock, and gives it back
    std::int64_t next_block_ = 0;
    std::int64_t pending_at_ = 0;  // the file offset of pending_'s first byte
    std::string pending_;
};

}  // namespace vortel
