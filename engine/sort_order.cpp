#include "engine/sort_order.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vortel {

record_keys::record_keys(const table_object& table, const std::vector<int>& fields, bool fold)
    : fold_(fold), folding_(folding_for(table.codepage.page))
{
    for (int field : fields) {
        const auto width = static_cast<std::size_t>(field_info(table, field).length);
        fields_.emplace_back(static_cast<std::size_t>(field_offset(table, field)), width);
        length_ += width;
    }
    length_ = std::max<std::size_t>(length_, 1);
}

std::uint64_t record_keys::chunk(const std::uint8_t* record, std::size_t chunk) const
{
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

void record_keys::whole(const std::uint8_t* record, std::uint8_t* key) const
{
    std::size_t at = 0;
    for (const auto& [offset, width] : fields_) {
        const std::uint8_t* field = record + offset;
        for (std::size_t i = 0; i < width && field[i] != 0; ++i) key[at++] = fold_ ? folding_[field[i]] : field[i];
    }
    std::fill(key + at, key + length_, std::uint8_t{0});
}

namespace {

// The keys of a block of records in memory, by record index.
struct block {
    const record_keys& keys;
    const std::uint8_t* records;
    std::size_t record_length;

    std::uint64_t chunk(std::size_t r, std::size_t piece) const { return keys.chunk(records + r * record_length, piece); }
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
void sort_by_key(const block& keys, key_entry* begin, key_entry* end, std::size_t chunk)
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
    if (chunk + 1 >= keys.keys.chunks()) return;
    for (key_entry* run = begin; run != end;) {
        key_entry* next = run + 1;
        while (next != end && next->high == run->high && next->low == run->low) ++next;
        if (next - run > 1) sort_by_key(keys, run, next, chunk + 1);
        run = next;
    }
}

}  // namespace

std::vector<std::uint32_t> key_order(const record_keys& keys, const std::uint8_t* records, std::size_t record_length,
                                     std::size_t count)
{
    std::vector<key_entry> entries(count);
    for (std::size_t r = 0; r < count; ++r) entries[r].record = static_cast<std::uint32_t>(r);
    sort_by_key(block{keys, records, record_length}, entries.data(), entries.data() + count, 0);
    std::vector<std::uint32_t> order(count);
    for (std::size_t r = 0; r < count; ++r) order[r] = entries[r].record;
    return order;
}

void put_in_order(std::uint8_t* records, std::size_t record_length, std::vector<std::uint32_t>& order)
{
    const std::size_t length = record_length;
    std::vector<std::uint8_t> spare(length);
    auto at = [&](std::size_t index) { return records + index * length; };
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

}  // namespace vortel
