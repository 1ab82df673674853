#include "engine/sort_table.h"

#include "shell/settings.h"
#include "text/folding.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <numeric>
#include <utility>

namespace vortel {
namespace {

struct key_fields {
    std::vector<int> fields;  // in key order
    int length = 0;           // of all of them
};

key_fields measure_key(const table_object& table, const std::vector<int>& fields)
{
    key_fields key{fields, 0};
    for (int index : fields) key.length += field_info(table, index).length;
    return key;
}

// A record's key: the key fields' bytes, each up to its first zero byte,
// folded when SET_HUN_CMP asks for it, then zero bytes up to the key's
// length. Keys hold no zero byte, so comparing whole keys byte by byte
// orders them as the folded key comparison does. Keys are built on demand,
// eight bytes at a time, so no copy of every key is kept.
class record_keys {
public:
    record_keys(const table_object& table, const std::vector<std::uint8_t>& records, const key_fields& key)
        : records_(records), length_(table.header.record_length),
          key_length_(static_cast<std::size_t>(std::max(key.length, 1))),
          fold_(setting_by_index(SET_HUN_CMP) == "1"),
          folding_(folding_for(table.codepage.page))
    {
        for (int field : key.fields) {
            fields_.emplace_back(static_cast<std::size_t>(field_offset(table, field)),
                                 static_cast<std::size_t>(field_info(table, field).length));
        }
    }

    // Eight-byte pieces in a key.
    std::size_t chunks() const { return (key_length_ + 7) / 8; }

    // Key bytes 8 x `chunk` to 8 x `chunk` + 7 of record `r`, as a number
    // that orders as those bytes do.
    std::uint64_t chunk(std::size_t r, std::size_t chunk) const
    {
        const std::uint8_t* record = records_.data() + r * length_;
        std::size_t skip = 8 * chunk;  // key bytes before the piece
        std::uint64_t value = 0;
        std::size_t taken = 0;         // bytes of the piece filled
        for (const auto& [offset, width] : fields_) {
            const std::uint8_t* field = record + offset;
            const auto* zero = static_cast<const std::uint8_t*>(std::memchr(field, 0, width));
            const std::size_t used = zero != nullptr ? static_cast<std::size_t>(zero - field) : width;
            if (skip >= used) {
                skip -= used;
                continue;
            }
            for (std::size_t i = skip; i < used && taken < 8; ++i, ++taken) {
                value = value << 8 | (fold_ ? folding_[field[i]] : field[i]);
            }
            skip = 0;
            if (taken == 8) return value;
        }
        return taken == 0 ? 0 : value << (8 * (8 - taken));
    }

private:
    const std::vector<std::uint8_t>& records_;
    std::size_t length_;
    std::size_t key_length_;
    bool fold_;
    const folding_table& folding_;
    std::vector<std::pair<std::size_t, std::size_t>> fields_;  // offset and width
};

// 12 bytes each, so the sort's memory stays within a sixth of the records'.
struct key_entry {
    std::uint32_t high;  // the key piece being sorted on
    std::uint32_t low;
    std::uint32_t record;
};

// Below this many entries a comparison sort is quicker than eight passes.
constexpr std::ptrdiff_t radix_sort_least = 4096;

// A stable sort of entries by their piece, a byte at a time from the last:
// eight passes over the entries instead of a comparison per pair.
void radix_sort(key_entry* begin, key_entry* end)
{
    const auto count = static_cast<std::size_t>(end - begin);
    std::vector<key_entry> spare(count);
    key_entry* from = begin;
    key_entry* to = spare.data();
    for (int byte = 0; byte < 8; ++byte) {
        const auto digit = [byte](const key_entry& entry) {
            const std::uint32_t half = byte < 4 ? entry.low : entry.high;
            return (half >> (8 * (byte % 4))) & 0xFFu;
        };
        std::size_t starts[256] = {};
        for (std::size_t i = 0; i < count; ++i) ++starts[digit(from[i])];
        // A byte every entry shares moves nothing.
        if (starts[digit(from[0])] == count) continue;
        std::size_t next = 0;
        for (std::size_t& start : starts) next += std::exchange(start, next);
        for (std::size_t i = 0; i < count; ++i) to[starts[digit(from[i])]++] = from[i];
        std::swap(from, to);
    }
    if (from != begin) std::copy(from, from + count, begin);
}

// Sorts entries [begin, end), whose keys agree before piece `chunk`, by the
// rest of their keys, equal keys in record order. Entries are sorted on one
// eight-byte piece at a time; only runs that agree on it read their records
// again for the next piece, so records are read once per piece rather than
// once per comparison.
void sort_by_key(const record_keys& keys, key_entry* begin, key_entry* end, std::size_t chunk)
{
    for (key_entry* entry = begin; entry != end; ++entry) {
        const std::uint64_t piece = keys.chunk(entry->record, chunk);
        entry->high = static_cast<std::uint32_t>(piece >> 32);
        entry->low = static_cast<std::uint32_t>(piece);
    }
    // Entries come in record order within equal earlier pieces, and both
    // sorts below keep that order among equal pieces.
    if (end - begin >= radix_sort_least) {
        radix_sort(begin, end);
    } else {
        std::sort(begin, end, [](const key_entry& a, const key_entry& b) {
            if (a.high != b.high) return a.high < b.high;
            if (a.low != b.low) return a.low < b.low;
            return a.record < b.record;
        });
    }
    if (chunk + 1 >= keys.chunks()) return;
    for (key_entry* run = begin; run != end;) {
        key_entry* next = run + 1;
        while (next != end && next->high == run->high && next->low == run->low) ++next;
        if (next - run > 1) sort_by_key(keys, run, next, chunk + 1);
        run = next;
    }
}

// The record numbers in key order, equal keys in file order.
std::vector<std::uint32_t> key_order(const record_keys& keys, std::size_t count)
{
    std::vector<key_entry> entries(count);
    for (std::size_t r = 0; r < count; ++r) entries[r].record = static_cast<std::uint32_t>(r);
    sort_by_key(keys, entries.data(), entries.data() + count, 0);
    std::vector<std::uint32_t> order(count);
    for (std::size_t r = 0; r < count; ++r) order[r] = entries[r].record;
    return order;
}

// Moves each record to its place in key order, one spare record at a time.
void put_in_order(std::vector<std::uint8_t>& records, std::size_t length, std::vector<std::uint32_t>& order)
{
    std::vector<std::uint8_t> spare(length);
    auto at = [&](std::size_t index) { return records.data() + index * length; };
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (order[start] == start) continue;
        std::memcpy(spare.data(), at(start), length);
        std::size_t hole = start;
        while (order[hole] != start) {
            const std::size_t from = order[hole];
            std::memcpy(at(hole), at(from), length);
            order[hole] = static_cast<std::uint32_t>(hole);
            hole = from;
        }
        std::memcpy(at(hole), spare.data(), length);
        order[hole] = static_cast<std::uint32_t>(hole);
    }
}

// Reads every record the header counts, or fails: a file cut short must
// not have its missing records written as made-up bytes. A damaged count is
// refused before the memory for it is taken, as it may claim far more than
// any machine holds.
bool read_all_records(table_object& table, std::vector<std::uint8_t>& records, std::size_t count)
{
    const std::size_t length = table.header.record_length;
    const std::int64_t start = table.header.header_length;
    const std::int64_t size = fh_size(table.dbf);
    if (size < 0) {
        note_failure(table, table.dbf);
        return false;
    }
    if (size - start < static_cast<std::int64_t>(count) * static_cast<std::int64_t>(length)) {
        note_failure(table, "The file holds fewer records than its header counts: " + table.dbf_name);
        return false;
    }
    records.resize(count * length);
    std::size_t got = 0;
    if (fh_seek(table.dbf, start, seek_origin::begin) != start ||
        (!records.empty() && (!fh_read(table.dbf, records.data(), records.size(), got) || got != records.size()))) {
        note_failure(table, table.dbf);
        return false;
    }
    return true;
}

bool write_at(file_handle& target, std::int64_t offset, const void* bytes, std::size_t count)
{
    std::size_t put = 0;
    return fh_seek(target, offset, seek_origin::begin) == offset && fh_write(target, bytes, count, put) &&
           put == count;
}

int sort_into(table_object& table, const key_fields& key, file_handle& target)
{
    const std::int32_t count = std::max(record_count(table), 0);  // again, now that no one else can append
    const std::size_t length = table.header.record_length;
    const auto records_count = static_cast<std::size_t>(count);

    std::vector<std::uint8_t> records;
    if (!read_all_records(table, records, records_count)) return 0;
    std::vector<std::uint32_t> order = key_order(record_keys(table, records, key), records_count);
    put_in_order(records, length, order);

    std::uint8_t count_bytes[4];
    for (int i = 0; i < 4; ++i) count_bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(count) >> (8 * i));
    if (!(records.empty() || write_at(target, table.header.header_length, records.data(), records.size())) ||
        !write_at(target, 4, count_bytes, sizeof count_bytes)) {
        note_failure(table, target);
        return 0;
    }
    return 1;
}

}  // namespace

bool sort_key_fits(const table_object& table, const std::vector<int>& fields)
{
    if (fields.empty()) return false;
    for (int index : fields) {
        if (index < 0 || index >= field_count(table)) return false;
    }
    return measure_key(table, fields).length <= sort_key_length_max;
}

int write_sorted_records(table_object& table, const std::vector<int>& key, file_handle& target)
{
    if (!sort_key_fits(table, key)) {
        note_failure(table, "The sort key is not a list of the table's fields within 254 bytes");
        return 0;
    }
    if (!table.table_locked) return 0;

    // The guard puts the position back also when memory for the records
    // runs out.
    struct restore {
        table_object& table;
        std::int32_t record;
        ~restore() { go_to(table, record); }
    } restore_on_exit{table, current_record(table)};

    try {
        return sort_into(table, measure_key(table, key), target);
    } catch (const std::bad_alloc&) {
        note_failure(table, sort_memory_text);
        return 0;
    }
}

}  // namespace vortel
