// The order of records by a key of their fields, worked out in memory: the
// keys the sort compares, the order of a block of records, and moving the
// records of a block into that order.
#pragma once

#include "engine/table.h"
#include "text/folding.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace vortel {

// A record's key: the key fields' bytes, each up to its first zero byte,
// folded when `fold` is set (SET_HUN_CMP "1"), then zero bytes up to the
// key's length. Keys hold no zero byte, so comparing whole keys byte by byte
// orders them as the folded key comparison does.
class record_keys {
public:
    record_keys(const table_object& table, const std::vector<int>& fields, bool fold);

    // Bytes in a whole key, at least 1.
    std::size_t length() const { return length_; }
    // Eight-byte pieces in a key.
    std::size_t chunks() const { return (length_ + 7) / 8; }

    // Key bytes 8 x `chunk` to 8 x `chunk` + 7 of `record`, as a number
    // that orders as those bytes do. Keys are built on demand, a piece at a
    // time, so no copy of every key is kept.
    std::uint64_t chunk(const std::uint8_t* record, std::size_t chunk) const;
    // The whole key of `record` into `key` (length() bytes).
    void whole(const std::uint8_t* record, std::uint8_t* key) const;

private:
    std::size_t length_ = 0;
    bool fold_;
    const folding_table& folding_;
    std::vector<std::pair<std::size_t, std::size_t>> fields_;  // offset and width
};

// The indexes of `count` records of `record_length` bytes at `records` in
// key order, equal keys in the order they come.
std::vector<std::uint32_t> key_order(const record_keys& keys, const std::uint8_t* records, std::size_t record_length,
                                     std::size_t count);

// Moves each record to its place in `order` (as key_order gives it), one
// spare record at a time; `order` is used up.
void put_in_order(std::uint8_t* records, std::size_t record_length, std::vector<std::uint32_t>& order);

// What key_order and put_in_order take beside the records themselves, per
// record: the entries, their radix spare and the order.
inline constexpr std::size_t sort_bytes_per_record = 28;

}  // namespace vortel
