#include "commands/undo.h"

#include "commands/cell_store.h"
#include "engine/table.h"

#include <utility>

namespace vortel {
namespace {

// More than this past the counted records is no end-of-file mark but
// leftovers; a new record over them is then taken back by its delete mark.
constexpr std::int64_t tail_kept_max = 4096;

constexpr const char* write_failed_text = "Not undone: the record could not be written.";

std::string bytes_of(const table_object& table, int offset, std::size_t length)
{
    const auto* start = table.record.data() + offset;
    return {reinterpret_cast<const char*>(start), length};
}

// Bytes of record `record` as the file holds them now, without moving the
// table or touching its buffer; false when they cannot be read whole.
bool read_stored(table_object& table, std::int32_t record, int offset, std::string& bytes)
{
    if (record < 1 || offset < 0) return false;
    return table.dbf.os.read_whole_at(record_offset(table.header, record) + offset, bytes.data(), bytes.size());
}

// The refusal of a lock: the reason the table noted (a table that takes no
// change says why), else the busy message of the edit itself.
std::string lock_refusal(const table_object& table, const char* busy)
{
    return table.failure.empty() ? std::string(busy) : table.failure;
}

}  // namespace

void edit_history::remember(undo_step change)
{
    if (steps_.size() >= undo_depth) steps_.pop_front();
    steps_.push_back(std::move(change));
}

command_result edit_history::store_field(table_object& table, std::int32_t record, int field,
                                         const command_result& result, const std::string& before,
                                         const std::string* memo_before)
{
    if (!result.done || current_record(table) != record) return result;
    undo_step change;
    change.record = record;
    change.field = field;
    change.offset = field_offset(table, field);
    change.before = before;
    change.after = bytes_of(table, change.offset, before.size());
    if (memo_before) {
        change.memo = true;
        change.memo_before = *memo_before;
        change.memo_after = memo_read(table, change.after);
        if (change.after == before && change.memo_after == *memo_before) return result;
    } else if (change.after == before) {
        return result;
    }
    remember(std::move(change));
    return result;
}

command_result edit_history::store_typed_value(table_object& table, std::int32_t record, int field,
                                               std::string_view typed)
{
    std::string before(static_cast<std::size_t>(std::max(field_info(table, field).length, 0)), '\0');
    const bool known = !before.empty() && read_stored(table, record, field_offset(table, field), before);
    const command_result result = vortel::store_typed_value(table, record, field, typed);
    return known ? store_field(table, record, field, result, before) : result;
}

command_result edit_history::store_memo_text(table_object& table, std::int32_t record, int field,
                                             std::string_view text)
{
    std::string before(static_cast<std::size_t>(std::max(field_info(table, field).length, 0)), '\0');
    const bool known = field_type(table, field) == 'M' && read_stored(table, record, field_offset(table, field), before);
    const std::string memo_before = known ? memo_read(table, before) : std::string();
    const command_result result = vortel::store_memo_text(table, record, field, text);
    return known ? store_field(table, record, field, result, before, &memo_before) : result;
}

command_result edit_history::toggle_delete(table_object& table)
{
    const std::int32_t record = current_record(table);
    std::string before(1, '\0');
    const bool known = read_stored(table, record, 0, before);
    const command_result result = vortel::toggle_delete(table);
    // The file may already have held the wanted mark (another process set
    // it): then nothing was written, and there is nothing to take back.
    if (known && result.done && current_record(table) == record && table.record[0] != before[0]) {
        undo_step change;
        change.record = record;
        change.before = before;
        change.after = bytes_of(table, 0, 1);
        remember(std::move(change));
    }
    return result;
}

command_result edit_history::append_new_record(table_object& table)
{
    undo_step change;
    change.kind = step_kind::new_record;
    std::int32_t count = 0;
    change.size_before = fh_size(table.dbf);
    if (change.size_before >= 0 && read_record_count(table.dbf, count) && count >= 0) {
        const std::int64_t end = record_offset(table.header, std::int64_t{count} + 1);
        const std::int64_t tail = change.size_before - end;
        if (tail >= 0 && tail <= tail_kept_max) {
            change.before.resize(static_cast<std::size_t>(tail));
            change.tail_known = change.before.empty() || table.dbf.os.read_whole_at(end, change.before.data(), change.before.size());
        }
    }
    const command_result result = vortel::append_new_record(table);
    if (!result.done) return result;
    change.record = current_record(table);
    // Another process may have appended between our look and our lock.
    change.tail_known = change.tail_known && change.record == count + 1;
    change.size_after = fh_size(table.dbf);
    remember(std::move(change));
    return result;
}

undo_result edit_history::undo(table_object& table)
{
    if (steps_.empty()) return {};
    const undo_step change = steps_.back();
    clear_failure(table);
    undo_result result =
        change.kind == step_kind::new_record ? undo_new_record(table, change) : undo_bytes(table, change);
    // A step refused for a lock stays for another try; any other outcome
    // ends it.
    if (result.done || result.message == changed_since_text) steps_.pop_back();
    result.record = change.record;
    result.field = change.field;
    return result;
}

undo_result edit_history::undo_bytes(table_object& table, const undo_step& change)
{
    if (!go_to_exactly(table, change.record)) return {false, changed_since_text};
    if (!lock_record(table)) return {false, lock_refusal(table, record_busy_text)};
    // Read again under the lock: only now can no one else write the record.
    bool done = step(table, 0) && bytes_of(table, change.offset, change.after.size()) == change.after &&
                (!change.memo || memo_read(table, change.after) == change.memo_after);
    if (!done) {
        unlock(table);
        return {false, changed_since_text};
    }
    if (change.memo && memo_read(table, change.before) != change.memo_before) {
        // The old text was written over: it goes in again, as a memo store would.
        done = memo_write(table, change.field, change.memo_before) == 1;
    } else {
        // A memo stored in new blocks left the old one whole: pointing back
        // at it brings back the very bytes.
        std::copy(change.before.begin(), change.before.end(), table.record.begin() + change.offset);
        done = write_record(table) != 0;
    }
    unlock(table);
    if (done) return {true, {}};
    step(table, 0);  // the buffer shows what the file holds
    return {false, table.failure.empty() ? write_failed_text : table.failure};
}

undo_result edit_history::undo_new_record(table_object& table, const undo_step& change)
{
    if (!lock_table(table)) return {false, lock_refusal(table, table_busy_text)};
    std::int32_t count = 0;
    const bool blank = read_record_count(table.dbf, count) && go_to_exactly(table, change.record) &&
                       table.record == table.blank_record;
    if (!blank) {
        unlock(table);
        return {false, changed_since_text};
    }
    bool done = false;
    if (count == change.record && change.tail_known && fh_size(table.dbf) == change.size_after) {
        // The count goes back first: a table whose count leaves the record
        // out is whole, even if cutting the file back fails after it.
        const std::int32_t kept = count - 1;
        done = write_record_count(table.dbf, kept);
        if (done) table.header.record_count = kept;
        const auto* tail = reinterpret_cast<const std::uint8_t*>(change.before.data());
        done = done && write_record_bytes(table.dbf, table.header, std::int64_t{kept} + 1, {tail, change.before.size()}) &&
               table.dbf.os.resize(change.size_before);
        if (!done) note_failure(table, table.dbf);
        unlock(table);
        if (kept > 0) {
            go_bottom(table);
        } else {
            table.current_record = 0;
            table.end_of_file = table.beginning_of_file = 1;
        }
    } else {
        done = delete_record(table) != 0;
        unlock(table);
        if (!done) step(table, 0);
    }
    if (done) return {true, {}};
    return {false, table.failure.empty() ? write_failed_text : table.failure};
}

command_result store_memo_text(edit_history* history, table_object& table, std::int32_t record, int field,
                               std::string_view text)
{
    return history ? history->store_memo_text(table, record, field, text)
                   : store_memo_text(table, record, field, text);
}

}  // namespace vortel
