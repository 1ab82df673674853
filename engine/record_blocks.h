// Reading and appending the records of a table in large blocks, for the bulk
// operations that hold the table lock for their whole run.
//
// While the table lock is held no other process changes a record, so these
// operations may read and write many records per system call instead of
// moving record by record. They move the DBF position and may use the record
// buffer as scratch; each puts the table back on a record when it ends.
#pragma once

#include "engine/table.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

namespace vortel {

inline constexpr std::size_t bulk_block_bytes = std::size_t{1} << 20;

// Records 1 to the record count, in file order, as far as the file holds
// them: a record the count promises but the file lacks ends the table as it
// ends a walk with skip, and a last record cut short reads with zero bytes
// in place of what is missing, as the record buffer does.
class record_block_reader {
public:
    explicit record_block_reader(table_object& table);

    // The record count the header gave when reading began.
    std::int32_t counted() const { return counted_; }
    // The number of the record given last; 0 before the first.
    std::int32_t number() const { return number_; }

    // The next record, or an empty span at the end and after a failed read.
    std::span<const std::uint8_t> next();
    // The next record into the record buffer as the current record, its
    // number set but the DBF position left where the block read put it;
    // false where `next` gives nothing.
    bool load_next();

    bool failed() const { return failed_; }

private:
    bool fill();

    table_object& table_;
    std::size_t length_;
    std::int32_t counted_ = 0;
    std::int64_t total_ = 0;
    std::int64_t per_block_ = 1;
    std::int64_t read_ = 0;
    std::int32_t number_ = 0;
    bool failed_ = false;
    std::vector<std::uint8_t> block_;
    std::size_t at_ = 0;
};

// Records `from` to `to` in `direction` (1 forwards, -1 backwards; none when
// `to` lies the other way), a block at a time, for reading only and without a lock: a search or a scan that must
// not hold other processes off. Each block is one read, so a record another
// process writes meanwhile reads whole as either its old or its new bytes,
// as a record read by a move would. The range ends where the file ends,
// whatever the count promises, and a last record cut short reads with zero
// bytes in place of what is missing, as the record buffer does.
class record_range_reader {
public:
    record_range_reader(table_object& table, std::int32_t from, std::int32_t to, int direction);

    // The next record of the range, or an empty span at its end and after a
    // failed read; `number` then tells which record it was.
    std::span<const std::uint8_t> next();
    std::int32_t number() const { return number_; }
    // Records given so far, of `total` in the range.
    std::int64_t given() const { return given_; }
    std::int64_t total() const { return total_; }
    bool failed() const { return failed_; }

private:
    bool fill();

    table_object& table_;
    std::size_t length_;
    int direction_;
    std::int32_t next_number_;  // the first record of the next block
    std::int64_t total_ = 0;
    std::int64_t given_ = 0;
    std::int64_t per_block_ = 1;
    std::int32_t number_ = 0;
    bool failed_ = false;
    std::vector<std::uint8_t> block_;
    std::int64_t block_first_ = 0;  // the lowest record number in the block
    std::size_t in_block_ = 0;      // records of the block not given yet
};

// Whether records may follow a count read under the table lock, where no
// append is in flight; when not, the damage is noted for the user. A count
// promising records the file lacks would put a gap of made-up records before
// the new ones, and whole records after the counted ones would be
// overwritten.
bool count_allows_append(table_object& table, std::int32_t count, std::int64_t size);

// Appends records a block at a time: the records first, then the count, so
// the count never promises a record the file lacks and a failed write
// leaves the records of earlier blocks in place.
class record_appender {
public:
    explicit record_appender(table_object& table);

    // False when the stored count cannot be read, or promises records the
    // file lacks.
    bool start();

    // False when the count would pass what it can hold or a write fails.
    bool add(std::span<const std::uint8_t> record);

    // A record built in the record buffer starts blank. memo_write rewrites
    // the current record in its own place, so meanwhile the table stands on
    // the place this record will take; the block written later holds the
    // same bytes. False when that place cannot be reached: memo_write would
    // then rewrite whatever record the position stands after.
    bool begin_record();
    bool end_record() { return add(table_.record); }

    // `step` runs before every block of records is written, so that what
    // they point at (memo_batch.h) reaches the file first; false from it
    // fails the block.
    void before_flush(std::function<bool()> step) { before_flush_ = std::move(step); }

    bool flush();
    // Also leaves the table on its last record when anything was added.
    bool finish();

private:
    table_object& table_;
    bool memo_fields_;
    std::int32_t stored_ = 0;
    std::int32_t pending_count_ = 0;
    std::vector<std::uint8_t> pending_;
    bool appended_ = false;
    std::function<bool()> before_flush_;
};

// Tells a long run's progress as percentages from 0 to 100, each at most
// once and in increasing order, so that a run may step it on every record:
// a step costs a division, and the callback is called about every 1%.
class progress_meter {
public:
    // Reports 0 at once; `total` is the number of steps the whole run takes.
    progress_meter(const std::function<void(int percent)>& progress, std::int64_t total);

    // `done` of the total steps are done.
    void step(std::int64_t done);
    // The run is complete: reports 100 unless it was reported.
    void finish() { report(100); }

private:
    void report(int percent);

    const std::function<void(int percent)>& progress_;
    std::int64_t total_;
    int reported_ = -1;
};

}  // namespace vortel
