// A table window's edits, kept so that Ctrl+Z can take them back, the last
// first: cell stores, memo stores, delete toggles and new records.
//
// Invariants:
//  1. A step remembers exactly the bytes it changed (a field, or the delete
//     flag) and the bytes they replaced; a memo step also the texts. Undo
//     writes the old bytes back only while the file still holds the ones the
//     step wrote (and the memo they point at its text), so a later change by
//     another process is never overwritten: that step is refused, said, and
//     dropped. Other fields of the record keep what the file holds now.
//  2. Undo goes through the edit's own lock: the record lock for a field or
//     the delete flag, the table lock for a new record. When another
//     process holds it (or the table takes no change at all), undo is
//     refused as the edit would be, and the step stays for a later try.
//  3. A new record is taken back only while it is blank. While it is still
//     the last record and the file ends where our append left it, the table
//     is cut back to the very bytes it had before (count, size and whatever
//     followed the records, such as the end-of-file mark). A record others
//     appended after it makes that impossible without removing theirs: ours
//     then gets the delete mark instead. Records of other processes are
//     never removed.
//  4. A field's old bytes are read just before the store takes its lock: a
//     store by another process within that moment would be what undo
//     brings back, as if it had come first.
//  5. At most undo_depth steps are kept; the oldest go first.
#pragma once

#include "commands/record_commands.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace vortel {

inline constexpr std::size_t undo_depth = 100;
inline constexpr const char* changed_since_text = "Not undone: another program has changed the record since.";

struct undo_result {
    bool done = false;
    std::string message;      // for the warning box; empty: nothing to show
    std::int32_t record = 0;  // the record the step changed, where the grid may go
    int field = -1;           // its field; -1 for the delete flag and new records
};

class edit_history {
public:
    // The record commands of commands/cell_store.h and record_commands.h,
    // remembered as steps when they change the file.
    command_result store_typed_value(table_object& table, std::int32_t record, int field, std::string_view typed);
    command_result store_memo_text(table_object& table, std::int32_t record, int field, std::string_view text);
    command_result toggle_delete(table_object& table);
    command_result append_new_record(table_object& table);

    // Takes back the last step. With nothing to undo, done is false and the
    // message empty.
    undo_result undo(table_object& table);

    std::size_t size() const { return steps_.size(); }

private:
    enum class step_kind { bytes, new_record };
    struct undo_step {
        step_kind kind = step_kind::bytes;
        std::int32_t record = 0;
        int field = -1;        // -1: the delete flag
        int offset = 0;        // of the changed bytes in the record
        std::string before;    // bytes: what they were; new record: what followed the records
        std::string after;     // what the step wrote
        // A memo: its text before and after, as read back. A short memo is
        // written over its own first block, so the old text may be gone
        // from the memo file and must be written again.
        bool memo = false;
        std::string memo_before;
        std::string memo_after;
        std::int64_t size_before = 0;  // new record: the DBF's size before and after the append
        std::int64_t size_after = 0;
        bool tail_known = false;       // new record: `before` holds everything past the records
    };

    void remember(undo_step change);
    command_result store_field(table_object& table, std::int32_t record, int field, const command_result& result,
                               const std::string& before, const std::string* memo_before = nullptr);
    undo_result undo_bytes(table_object& table, const undo_step& change);
    undo_result undo_new_record(table_object& table, const undo_step& change);

    std::deque<undo_step> steps_;
};

// Stores through `history` when there is one, so the store can be undone,
// and straight through commands/cell_store.h otherwise.
command_result store_memo_text(edit_history* history, table_object& table, std::int32_t record, int field,
                               std::string_view text);

}  // namespace vortel
