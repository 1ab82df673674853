#include "engine/append_from.h"

#include "engine/append_undo.h"
#include "engine/create_table.h"
#include "engine/field_copy.h"
#include "engine/record_blocks.h"
#include "engine/record_copy.h"
#include "platform/error_text.h"
#include "platform/file_identity.h"
#include "runtime/scope_exit.h"

#include <cstring>

namespace vortel {
namespace {

// Whether a text file ends its lines with CR LF: the first CR LF found
// says yes, and only a file without any is read whole to say no. Our own
// exports end every line with CR LF and may hold any byte inside a record,
// a lone LF included; every Unix program ends its lines with LF alone.
// False with `failed` set when the file cannot be read.
bool has_crlf_lines(file_handle& file, std::vector<char>& block, bool& failed)
{
    bool carriage_return = false;  // the block before ended in CR
    for (;;) {
        std::size_t got = 0;
        if (!fh_read(file, block.data(), block.size(), got)) {
            failed = !file.end_of_file;
            return false;
        }
        if (got == 0) return false;
        if (carriage_return && block[0] == '\n') return true;
        const std::string_view bytes(block.data(), got);
        if (bytes.find("\r\n") != std::string_view::npos) return true;
        carriage_return = bytes.back() == '\r';
    }
}

// Whole lines of a text file, read in large blocks. A line keeps only its
// first `keep` bytes and the rest is passed over, so that a line of any
// length is one record, cut to the record's width.
class line_reader {
public:
    line_reader(file_handle& file, std::size_t keep) : file_(file), keep_(keep), block_(bulk_block_bytes) {}

    // Reads ahead to learn how the file ends its lines, and goes back to its
    // start. False when the file cannot be read.
    bool choose_line_end()
    {
        crlf_ = has_crlf_lines(file_, block_, failed_);
        return !failed_ && fh_seek(file_, 0, seek_origin::begin) == 0;
    }

    // The next line without its line end; false at the end of the file. A
    // last line without a line end counts whole. In a CR LF file a CR not
    // followed by LF is text, and so is a lone LF.
    bool next(std::string& line)
    {
        line.clear();
        bool any = false;
        bool carriage_return = false;
        const char end_byte = crlf_ ? '\r' : '\n';
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
            const auto* found = static_cast<const char*>(std::memchr(start, end_byte, end_ - at_));
            const std::size_t stop = found ? static_cast<std::size_t>(found - block_.data()) : end_;
            add(line, start, stop - at_);
            at_ = stop;
            if (found) {
                ++at_;
                if (!crlf_) return true;
                carriage_return = true;
            }
        }
    }

    bool failed() const { return failed_; }
    // The bytes of the file that lines given so far took, line ends included.
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
    bool crlf_ = true;
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
    file_handle file(source);
    if (!fh_open(file, import_text_mode)) {
        note_failure(table, file);
        return 0;
    }

    // A file that begins as a table does but did not open as one (its memo
    // file is missing, its header is damaged) is no text to import.
    std::uint8_t first = 0;
    std::size_t got = 0;
    if (fh_read(file, &first, 1, got) && got == 1 &&
        (first == dbf_version_plain || first == dbf_version_with_memo)) {
        note_failure(table, file_name_text(source) +
                                " is a table that cannot be opened: its memo file is missing or it is damaged");
        return 0;
    }
    line_reader lines(file, table.record.size() - 1);
    if (fh_seek(file, 0, seek_origin::begin) != 0 || !lines.choose_line_end()) {
        note_failure(table, file);
        return 0;
    }

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
    if (!appender.flush()) return 0;
    if (lines.failed()) {
        note_failure(table, file);
        return 0;
    }
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
    // A source that could not be read noted why on itself.
    if (!copied && !source.failure.empty()) note_failure(table, source.failure);
    if (copied) meter.finish();
    return copied;
}

}  // namespace

int append_with(table_object& table, const std::string& source, const std::function<int()>& fill)
{
    if (names_one_file(source, table.dbf_name) || refuse_when_read_only(table)) return 0;
    if (!lock_table(table)) return 0;
    // Bytes pass as stored (between tables of two code pages the copy
    // recodes them); the guard puts the flag, the lock and the position
    // back also when memory runs out on the way.
    const scope_exit put_back([&table, as_stored = table.texts_as_stored, record = current_record(table)] {
        table.texts_as_stored = as_stored;
        unlock(table);
        go_to(table, record);
    });
    table.texts_as_stored = 1;

    // Declared after the guard, so that the files are put back before the
    // table lock goes.
    append_undo undo(table);
    if (!undo.start()) return 0;
    int appended = 0;
    try {
        appended = fill();
    } catch (...) {
        undo.undo();
        throw;
    }
    if (!appended) undo.undo();
    return appended;
}

int append_from(table_object& table, const std::string& source, const std::function<void(int percent)>& progress)
{
    return append_with(table, source, [&]() -> int {
        if (auto from = table_new(source); table_open(*from, 1)) {
            // The source passes deleted records as the target does; the
            // target's filter names the target's records, not the source's.
            from->navigation.hide_deleted = table.navigation.hide_deleted;
            // Memos that cannot be read would come over as empty ones.
            if (!from->memo_problem.empty()) {
                note_failure(table, file_name_text(source) + ": " + from->memo_problem);
                return 0;
            }
            return append_table(*from, table, progress);
        }
        return append_text(table, source, progress);
    });
}

}  // namespace vortel
