// Record changes under the byte-range locks that let several processes share
// one table: the current record's bytes for changes of one record, the whole
// file for changes of the table.
#include "engine/record_blocks.h"
#include "engine/table.h"


#include <limits>

namespace vortel {
namespace {

std::int64_t current_record_start(table_object& table) { return fh_tell(table.dbf) - table.header.record_length; }

}  // namespace

int lock_record(table_object& table)
{
    // An empty table has no current record whose bytes could be locked.
    if (table.lock_length != 0 || !table.open || table.current_record < 1) return 0;
    // A record is locked only to be changed.
    if (refuse_when_read_only(table)) return 0;
    table.lock_offset = current_record_start(table);
    table.lock_length = table.header.record_length;
    if (!fh_lock(table.dbf, table.lock_offset, table.lock_length)) {
        table.lock_length = 0;
        return 0;
    }
    return 1;
}

int lock_table(table_object& table)
{
    if (table.lock_length != 0 || !table.open) return 0;
    table.lock_offset = 0;
    table.lock_length = fh_size(table.dbf);
    if (table.lock_length <= 0 || !fh_lock(table.dbf, 0, table.lock_length)) {
        table.lock_length = 0;
        return 0;
    }
    table.table_locked = 1;
    return 1;
}

int unlock(table_object& table)
{
    int result = fh_unlock(table.dbf, table.lock_offset, table.lock_length);
    table.lock_length = 0;
    table.table_locked = 0;
    return result;
}

bool record_writable(table_object& table)
{
    const std::int64_t start = current_record_start(table);
    return table.open && start >= table.header.header_length &&
           (table.table_locked || (table.lock_length == table.header.record_length && start == table.lock_offset));
}

int write_record(table_object& table)
{
    if (refuse_when_read_only(table) || !record_writable(table)) return 0;
    const std::int64_t start = current_record_start(table);
    if (fh_seek(table.dbf, start, seek_origin::begin) != start) return 0;
    std::size_t put = 0;
    return fh_write(table.dbf, table.record.data(), table.record.size(), put) && put == table.record.size() ? 1 : 0;
}

int append_blank(table_object& table)
{
    if (refuse_when_read_only(table) || !table.table_locked) return 0;
    std::int32_t count = 0;
    // A count already at its largest (a damaged header, in practice) has no
    // number left for another record.
    if (!read_record_count(table.dbf, count) || count < 0 || count == std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    const std::int64_t size = fh_size(table.dbf);
    if (size < 0 || !count_allows_append(table, count, size)) return 0;
    // The blank record goes in first and the count follows, so a failed
    // write never leaves a count that promises a record the file lacks.
    const std::int32_t new_count = count + 1;
    if (!write_record_bytes(table.dbf, table.header, new_count, table.blank_record) ||
        !write_record_count(table.dbf, new_count)) {
        return 0;
    }
    table.header.record_count = new_count;
    fh_seek(table.dbf, record_offset(table.header, std::int64_t{new_count} + 1), seek_origin::begin);
    table.current_record = new_count;
    skip(table, 0);
    // Re-reading record 1 counts as bumping into the start; a fresh record
    // is simply where the table stands.
    table.end_of_file = table.beginning_of_file = 0;
    return 1;
}

int delete_record(table_object& table)
{
    if (table.record.empty() || table.record[0] == dbf_deleted_mark) return 0;
    table.record[0] = dbf_deleted_mark;
    const int result = table.current_record == 0 ? 0 : write_record(table);
    // The buffer must keep showing what the file holds.
    if (!result) table.record[0] = dbf_live_mark;
    return result;
}

int recall_record(table_object& table)
{
    if (table.record.empty() || table.record[0] != dbf_deleted_mark) return 0;
    table.record[0] = dbf_live_mark;
    int result = table.current_record == 0 ? 0 : write_record(table);
    skip(table, 0);
    return result;
}

}  // namespace vortel
