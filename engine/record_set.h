// A set of record numbers: the records a filter kept.
//
// One bit per record of the table as it was when the filter ran, so that a
// million records take 125 KB and asking for a record costs one shift.
// Records appended after the filter ran lie beyond `table_records` and are
// not members: a filter shows what matched when it was run, until it is run
// again.
#pragma once

#include <cstdint>
#include <vector>

namespace vortel {

class record_set {
public:
    record_set() = default;
    // An empty set over records 1..table_records.
    explicit record_set(std::int32_t table_records)
        : table_records_(table_records < 0 ? 0 : table_records),
          words_((static_cast<std::size_t>(table_records_) + 63) / 64, 0)
    {
    }

    // Adds record `number` (1-based); numbers outside 1..table_records are ignored.
    void add(std::int32_t number)
    {
        if (number < 1 || number > table_records_) return;
        std::uint64_t& word = words_[static_cast<std::size_t>(number - 1) / 64];
        const std::uint64_t bit = std::uint64_t{1} << ((number - 1) % 64);
        if ((word & bit) == 0) ++members_;
        word |= bit;
    }

    void remove(std::int32_t number)
    {
        if (!contains(number)) return;
        words_[static_cast<std::size_t>(number - 1) / 64] &= ~(std::uint64_t{1} << ((number - 1) % 64));
        --members_;
    }

    bool contains(std::int32_t number) const
    {
        if (number < 1 || number > table_records_) return false;
        return (words_[static_cast<std::size_t>(number - 1) / 64] >> ((number - 1) % 64)) & 1u;
    }

    // How many records the set holds, and how many the table had.
    std::int32_t members() const { return members_; }
    std::int32_t table_records() const { return table_records_; }

    // The nearest member after `number` and before it; 0 when there is none.
    // They read a word of 64 records at a time, so that a walk over a sparse
    // set never visits the records between two members.
    std::int32_t next_after(std::int32_t number) const;
    std::int32_t last_before(std::int32_t number) const;
    // How many members are `number` or lower (the position of a member among
    // them, counted from 1), and the member at that position (0 for none).
    std::int32_t rank(std::int32_t number) const;
    std::int32_t select(std::int32_t position) const;
    // A copy that also counts records up to `last` and holds `first` to
    // `last`: how a window keeps showing records it appended after the
    // filter ran. Records between the old end and `first` stay outside.
    record_set with_appended(std::int32_t first, std::int32_t last) const;

private:
    std::int32_t table_records_ = 0;
    std::int32_t members_ = 0;
    std::vector<std::uint64_t> words_;
};

}  // namespace vortel
