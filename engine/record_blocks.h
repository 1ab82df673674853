// Reading the records of a table in large blocks, for the bulk operations
// (export, append from a table, sort) that hold the table lock for their
// whole run.
//
// While the table lock is held no other process changes a record, so these
// operations may read many records per system call instead of moving record
// by record. They move the DBF position and may use the record buffer as
// scratch; each puts the table back on its record with go_to when it ends.
#pragma once

#include "engine/table.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace vortel {

inline constexpr std::size_t bulk_block_bytes = std::size_t{1} << 20;

// Records 1 to the record count, in file order, as far as the file holds
// them: a record the count promises but the file lacks ends the table as it
// ends a walk with skip, and a last record cut short reads with zero bytes
// in place of what is missing, as the record buffer does.
class record_block_reader {
public:
    explicit record_block_reader(table_object& table)
        : table_(table), length_(table.header.record_length)
    {
        const std::int64_t count = record_count(table);
        const std::int64_t area = fh_size(table.dbf) - table.header.header_length;
        const std::int64_t held = area <= 0 || length_ == 0 ? 0 : (area + length_ - 1) / length_;
        total_ = std::clamp<std::int64_t>(count, 0, held);
        per_block_ = std::max<std::int64_t>(1, static_cast<std::int64_t>(bulk_block_bytes) / std::max<std::int64_t>(length_, 1));
    }

    std::int64_t record_length() const { return length_; }

    // The next run of whole records (a multiple of the record length), or an
    // empty span at the end and after a failed read.
    std::span<const std::uint8_t> next()
    {
        if (failed_ || done_ >= total_) return {};
        const std::int64_t records = std::min(per_block_, total_ - done_);
        buffer_.resize(static_cast<std::size_t>(records * length_));
        const std::int64_t offset = record_offset(table_.header, done_ + 1);
        std::size_t got = 0;
        if (fh_seek(table_.dbf, offset, seek_origin::begin) != offset ||
            !fh_read(table_.dbf, buffer_.data(), buffer_.size(), got) || got == 0) {
            failed_ = true;
            return {};
        }
        std::fill(buffer_.begin() + static_cast<std::ptrdiff_t>(got), buffer_.end(), 0);
        done_ += records;
        return buffer_;
    }

    bool failed() const { return failed_; }

private:
    table_object& table_;
    std::int64_t length_;
    std::int64_t total_ = 0;
    std::int64_t per_block_ = 1;
    std::int64_t done_ = 0;
    bool failed_ = false;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace vortel
