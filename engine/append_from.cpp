#include "engine/append_from.h"

#include "engine/create_table.h"
#include "engine/field_copy.h"
#include "engine/record_blocks.h"
#include "engine/record_copy.h"

#include <cstring>

namespace vortel {
namespace {

constexpr int line_capacity = 512;

// Whole CR LF lines of a text file, read in large blocks. A line keeps only
// its first `keep` bytes and the rest is passed over, so that a line of any
// length is one record, cut to the record's width.
class line_reader {
public:
    line_reader(file_handle& file, std::size_t keep) : file_(file), keep_(keep), block_(bulk_block_bytes) {}

    // The next line without its CR LF; false at the end of the file. A last
    // line without CR LF counts whole, and a CR not followed by LF is text.
    bool next(std::string& line)
    {
        line.clear();
        bool any = false;
        bool carriage_return = false;
        for (;;) {
            if (at_ == end_ && !fill()) {
                if (carriage_return) add(line, "\r", 1);
                return any;
            }
            any = true;
            if (carriage_return) {
                carriage_return = false;
                if (block_[at_] == '\n') {
                    ++at_;
                    return true;
                }
                add(line, "\r", 1);
            }
            const char* start = block_.data() + at_;
            const auto* found = static_cast<const char*>(std::memchr(start, '\r', end_ - at_));
            const std::size_t stop = found ? static_cast<std::size_t>(found - block_.data()) : end_;
            add(line, start, stop - at_);
            at_ = stop;
            if (found) {
                ++at_;
                carriage_return = true;
            }
        }
    }

    bool failed() const { return failed_; }
    // The bytes of the file that lines given so far took, CR LF included.
    std::int64_t consumed() const { return filled_ - static_cast<std::int64_t>(end_ - at_); }

private:
    bool fill()
    {
        if (failed_) return false;
        std::size_t got = 0;
        if (!fh_read(file_, block_.data(), block_.size(), got)) {
            failed_ = !file_.end_of_file;
            return false;
        }
        at_ = 0;
        end_ = got;
        filled_ += static_cast<std::int64_t>(got);
        return got > 0;
    }

    void add(std::string& line, const char* bytes, std::size_t count) const
    {
        if (line.size() < keep_) line.append(bytes, std::min(count, keep_ - line.size()));
    }

    file_handle& file_;
    std::size_t keep_;
    std::vector<char> block_;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    std::int64_t filled_ = 0;
    bool failed_ = false;
};

// A line becomes a record: a blank delete flag, the line's bytes at their
// places, zero bytes after the line. Numbers, logicals and dates already in
// a form every reader takes (field_copy.h) keep their bytes; others are
// stored again by their fields' rules, so a short line's zero bytes never
// stay in them. The record buffer is the workspace. false, noted on the
// table with the line's number, when a field refuses its value.
bool record_from_line(table_object& table, const std::string& line, std::int64_t line_number)
{
    std::vector<std::uint8_t>& record = table.record;
    std::fill(record.begin(), record.end(), 0);
    record[0] = dbf_live_mark;
    std::memcpy(record.data() + 1, line.data(), std::min(line.size(), record.size() - 1));
    for (int i = 0; i < field_count(table); ++i) {
        const field_descriptor& field = table.fields[static_cast<std::size_t>(i)];
        const char type = descriptor_type(field);
        std::uint8_t* bytes = record.data() + field_offset(table, i);
        const auto width = static_cast<std::size_t>(descriptor_length(field));
        if (type == 'M') {
            (void)set_field_text(table, i, {});  // no memo: a memo field never refuses an empty text
        } else if (type != 'C' && !holds_stored_form(type, bytes, width, descriptor_decimals(field))) {
            const std::string reason = store_field_value(table, i, std::string(stored_text(bytes, width)));
            if (!reason.empty()) {
                note_failure(table, "Line " + std::to_string(line_number) + ": " + reason);
                return false;
            }
        }
    }
    return true;
}

int append_text(table_object& table, const std::string& source, const std::function<void(int percent)>& progress)
{
    file_handle file(source, line_capacity);
    if (!fh_open(file, import_text_mode)) return 0;

    // A file that begins as a table does but did not open as one (its memo
    // file is missing, its header is damaged) is no text to import.
    std::uint8_t first = 0;
    std::size_t got = 0;
    if (fh_read(file, &first, 1, got) && got == 1 &&
        (first == dbf_version_plain || first == dbf_version_with_memo)) {
        return 0;
    }
    if (fh_seek(file, 0, seek_origin::begin) != 0) return 0;

    line_reader lines(file, table.record.size() - 1);
    record_appender appender(table);
    if (!appender.start()) return 0;
    progress_meter meter(progress, fh_size(file));
    std::string line;
    std::int64_t line_number = 0;
    while (lines.next(line)) {
        if (!record_from_line(table, line, ++line_number)) return 0;
        if (!appender.add(table.record)) return 0;
        meter.step(lines.consumed());
    }
    if (!appender.flush() || lines.failed()) return 0;
    meter.finish();
    return 1;
}

int append_table(table_object& source, table_object& table, const std::function<void(int percent)>& progress)
{
    if (!lock_table(source)) return 0;
    // The copy tells percentages itself; the meter keeps them in 0..100.
    progress_meter meter(progress, 100);
    const int copied = copy_records(source, table, map_fields_by_name(source, table), copy_selection::as_navigated,
                                    [&meter](int percent) { meter.step(percent); });
    unlock(source);
    if (copied) meter.finish();
    return copied;
}

}  // namespace

int append_from(table_object& table, const std::string& source, const std::function<void(int percent)>& progress)
{
    if (source == table.dbf_name) return 0;
    if (!lock_table(table)) return 0;
    // Bytes pass as stored; the guard puts the flag, the lock and the
    // position back also when memory runs out on the way.
    struct restore {
        table_object& table;
        int conversion;
        std::int32_t record;
        ~restore()
        {
            table.conversion = conversion;
            unlock(table);
            go_to(table, record);
        }
    } restore_on_exit{table, table.conversion, current_record(table)};
    table.conversion = 0;

    if (auto from = table_new(source); table_open(*from, 1)) return append_table(*from, table, progress);
    return append_text(table, source, progress);
}

}  // namespace vortel
