// Taking back a failed append: the table's files are left exactly as they
// were before it started, whatever part of it was written.
//
//  1. An append writes only after the ends of the files: records after the
//     counted ones (over whatever bytes the DBF holds past them), memos
//     past the end of the memo file. Before those ends it changes only the
//     record count and the memo header. So the count, the memo header, the
//     two sizes and the DBF's bytes past its records are all there is to
//     remember.
//  2. The memo file's header lock is held from start to end, so no other
//     process places a memo meanwhile: cutting the memo file back never
//     cuts off another process's memo. Other processes that store a new
//     memo meanwhile get the busy answer, as for a locked record.
//  3. The count goes back first: a table whose count promises only its old
//     records is whole, even if cutting the files back fails after it.
#pragma once

#include "engine/table.h"

#include <cstdint>
#include <string>

namespace vortel {

class append_undo {
public:
    // The caller holds the table lock for as long as this object lives.
    explicit append_undo(table_object& table) : table_(table) {}
    ~append_undo() { unlock_memo_header(table_); }
    append_undo(const append_undo&) = delete;
    append_undo& operator=(const append_undo&) = delete;

    // Takes the memo header lock and remembers the files' ends. False when
    // another process holds that lock (busy: nothing noted) or the ends
    // cannot be read (the reason noted on the table).
    bool start();

    // Puts the files back as start found them. False when that failed too,
    // with the reason noted.
    bool undo();

private:
    table_object& table_;
    std::int32_t count_ = 0;
    std::int64_t dbf_size_ = 0;
    std::string dbf_tail_;  // the bytes past the counted records
    bool tail_kept_ = false;
    bool memo_file_ = false;
    std::int64_t dbt_size_ = 0;
    dbt_header memo_header_;
    bool memo_header_read_ = false;
};

}  // namespace vortel
