#include "engine/record_blocks.h"

#include "engine/table_verdict.h"
#include "platform/error_text.h"

#include <algorithm>
#include <limits>

namespace vortel {

record_block_reader::record_block_reader(table_object& table)
    : table_(table), length_(table.header.record_length), counted_(record_count(table))
{
    const auto length = static_cast<std::int64_t>(length_);
    // An unknown size must not read as an empty table: the copy or export
    // would then succeed without a single record.
    const std::int64_t size = fh_size(table.dbf);
    if (size < 0) failed_ = true;
    const std::int64_t area = size - table.header.header_length;
    const std::int64_t held = area <= 0 || length == 0 ? 0 : (area + length - 1) / length;
    total_ = std::clamp<std::int64_t>(counted_, 0, held);
    per_block_ = std::max<std::int64_t>(1, static_cast<std::int64_t>(bulk_block_bytes) / std::max<std::int64_t>(length, 1));
}

std::span<const std::uint8_t> record_block_reader::next()
{
    if (at_ >= block_.size() && !fill()) return {};
    const std::span<const std::uint8_t> record(block_.data() + at_, length_);
    at_ += length_;
    ++number_;
    return record;
}

bool record_block_reader::load_next()
{
    const std::span<const std::uint8_t> record = next();
    if (record.empty()) return false;
    std::copy(record.begin(), record.end(), table_.record.begin());
    table_.current_record = number_;
    return true;
}

bool record_block_reader::fill()
{
    block_.clear();
    at_ = 0;
    if (failed_ || read_ >= total_) return false;
    const std::int64_t records = std::min(per_block_, total_ - read_);
    block_.resize(static_cast<std::size_t>(records) * length_);
    const std::int64_t offset = record_offset(table_.header, read_ + 1);
    std::size_t got = 0;
    if (fh_seek(table_.dbf, offset, seek_origin::begin) != offset ||
        !fh_read(table_.dbf, block_.data(), block_.size(), got) || got == 0) {
        note_failure(table_, table_.dbf);
        failed_ = true;
        block_.clear();
        return false;
    }
    std::fill(block_.begin() + static_cast<std::ptrdiff_t>(got), block_.end(), 0);
    read_ += records;
    return true;
}

record_range_reader::record_range_reader(table_object& table, std::int32_t from, std::int32_t to, int direction)
    : table_(table), length_(table.header.record_length), direction_(direction < 0 ? -1 : 1)
{
    const auto length = static_cast<std::int64_t>(length_);
    const std::int64_t size = fh_size(table.dbf);
    if (size < 0) failed_ = true;
    const std::int64_t area = size - table.header.header_length;
    const std::int64_t held = area <= 0 || length == 0 ? 0 : (area + length - 1) / length;
    const std::int64_t low = std::max<std::int64_t>(direction_ > 0 ? from : to, 1);
    const std::int64_t high = std::min<std::int64_t>(direction_ > 0 ? to : from, held);
    total_ = std::max<std::int64_t>(high - low + 1, 0);
    next_number_ = static_cast<std::int32_t>(direction_ > 0 ? low : high);
    per_block_ = std::max<std::int64_t>(1, static_cast<std::int64_t>(bulk_block_bytes) / std::max<std::int64_t>(length, 1));
}

std::span<const std::uint8_t> record_range_reader::next()
{
    if (in_block_ == 0 && !fill()) return {};
    --in_block_;
    const std::size_t index = direction_ > 0 ? static_cast<std::size_t>(number_ + 1 - block_first_)
                                             : in_block_;
    number_ = static_cast<std::int32_t>(block_first_ + static_cast<std::int64_t>(index));
    ++given_;
    return {block_.data() + index * length_, length_};
}

bool record_range_reader::fill()
{
    if (failed_ || given_ >= total_) return false;
    const std::int64_t records = std::min(per_block_, total_ - given_);
    block_first_ = direction_ > 0 ? next_number_ : next_number_ - records + 1;
    block_.resize(static_cast<std::size_t>(records) * length_);
    const std::int64_t offset = record_offset(table_.header, block_first_);
    std::size_t got = 0;
    if (fh_seek(table_.dbf, offset, seek_origin::begin) != offset ||
        !fh_read(table_.dbf, block_.data(), block_.size(), got) || got == 0) {
        note_failure(table_, table_.dbf);
        failed_ = true;
        return false;
    }
    std::fill(block_.begin() + static_cast<std::ptrdiff_t>(got), block_.end(), 0);
    next_number_ = static_cast<std::int32_t>(direction_ > 0 ? block_first_ + records : block_first_ - 1);
    in_block_ = static_cast<std::size_t>(records);
    // Forwards the first record given is the block's first.
    if (direction_ > 0) number_ = static_cast<std::int32_t>(block_first_ - 1);
    return true;
}

record_appender::record_appender(table_object& table) : table_(table), memo_fields_(has_memo_fields(table) != 0) {}

bool count_allows_append(table_object& table, std::int32_t count, std::int64_t size)
{
    const std::string problem = record_count_problem(count, whole_records_in_file(table.header, size, count));
    if (problem.empty()) return true;
    note_failure(table, file_name_text(table.dbf_name) + " is damaged: " + problem);
    return false;
}

bool record_appender::start()
{
    const std::int64_t size = fh_size(table_.dbf);
    if (size < 0 || !read_record_count(table_.dbf, stored_)) {
        note_failure(table_, table_.dbf);
        return false;
    }
    return count_allows_append(table_, stored_, size);
}

bool record_appender::add(std::span<const std::uint8_t> record)
{
    if (std::int64_t{stored_} + pending_count_ >= std::numeric_limits<std::int32_t>::max()) {
        note_failure(table_, file_name_text(table_.dbf_name) + " cannot count more records");
        return false;
    }
    pending_.insert(pending_.end(), record.begin(), record.end());
    ++pending_count_;
    appended_ = true;
    return pending_.size() < bulk_block_bytes || flush();
}

bool record_appender::begin_record()
{
    const std::int64_t number = std::int64_t{stored_} + pending_count_ + 1;
    table_.record = table_.blank_record;
    table_.current_record = static_cast<std::int32_t>(number);
    if (!memo_fields_) return true;
    // The position after the record, where a move would leave it.
    const std::int64_t after = record_offset(table_.header, number + 1);
    return fh_seek(table_.dbf, after, seek_origin::begin) == after;
}

bool record_appender::flush()
{
    if (pending_count_ == 0) return true;
    if (before_flush_ && !before_flush_()) return false;
    const std::int32_t count = stored_ + pending_count_;
    if (!write_record_bytes(table_.dbf, table_.header, std::int64_t{stored_} + 1, pending_) ||
        !write_record_count(table_.dbf, count)) {
        note_failure(table_, table_.dbf);
        return false;
    }
    stored_ = table_.header.record_count = count;
    pending_.clear();
    pending_count_ = 0;
    return true;
}

bool record_appender::finish()
{
    if (!flush()) return false;
    if (appended_) go_bottom(table_);
    return true;
}

progress_meter::progress_meter(const std::function<void(int percent)>& progress, std::int64_t total)
    : progress_(progress), total_(total)
{
    report(0);
}

void progress_meter::step(std::int64_t done)
{
    if (progress_ && total_ > 0) report(static_cast<int>(std::clamp<std::int64_t>(done, 0, total_) * 100 / total_));
}

void progress_meter::report(int percent)
{
    if (!progress_ || percent <= reported_) return;
    reported_ = percent;
    progress_(percent);
}

}  // namespace vortel
