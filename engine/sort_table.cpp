#include "engine/sort_table.h"

#include "engine/dbf_format.h"
#include "engine/sort_order.h"
#include "platform/error_text.h"
#include "platform/native_file.h"
#include "runtime/scope_exit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

namespace vortel {
namespace {

int key_length(const table_object& table, const std::vector<int>& fields)
{
    int length = 0;
    for (int index : fields) length += field_info(table, index).length;
    return length;
}

// The file must hold every record the header counts: a file cut short must
// not have its missing records written as made-up bytes. A damaged count is
// refused before the memory for it is taken, as it may claim far more than
// any machine holds.
bool holds_counted_records(table_object& table, std::size_t count)
{
    const std::int64_t size = fh_size(table.dbf);
    if (size < 0) {
        note_failure(table, table.dbf);
        return false;
    }
    const auto area = static_cast<std::int64_t>(count) * static_cast<std::int64_t>(table.header.record_length);
    if (size - table.header.header_length < area) {
        note_failure(table, "The file holds fewer records than its header counts: " + table.dbf_name);
        return false;
    }
    return true;
}

bool read_records(table_object& table, std::size_t first, std::uint8_t* records, std::size_t count)
{
    const std::size_t length = table.header.record_length;
    const std::int64_t start = table.header.header_length + static_cast<std::int64_t>(first * length);
    if (count == 0 || fh_seek_and_read(table.dbf, start, records, count * length)) return true;
    note_failure(table, table.dbf);
    return false;
}

// Records of a table too large for the memory budget, sorted a block at a
// time into runs in a scratch file, each run in key order.
struct sorted_runs {
    native_file file;
    std::size_t records_per_run = 0;
    std::size_t runs = 0;
};

// A scratch file beside the table (the space a sort needs is where the
// table is), otherwise in the temporary folder; unnamed, so that it
// vanishes with the sort, also when the process is killed.
bool open_scratch(table_object& table, native_file& file)
{
    const std::string folder = std::filesystem::path(table.dbf_name).parent_path().string();
    if (file.create_unnamed(folder.empty() ? "." : folder)) return true;
    const char* temporary = std::getenv("TMPDIR");
    if (file.create_unnamed(temporary && *temporary ? temporary : "/tmp")) return true;
    note_failure(table, "Cannot make a scratch file for the sort: " + error_text(file.last_error()));
    return false;
}

bool write_runs(table_object& table, const record_keys& keys, std::size_t count, sorted_runs& runs)
{
    const std::size_t length = table.header.record_length;
    if (!open_scratch(table, runs.file)) return false;
    const auto records = std::make_unique_for_overwrite<std::uint8_t[]>(runs.records_per_run * length);
    for (std::size_t first = 0; first < count; first += runs.records_per_run) {
        const std::size_t in_run = std::min(runs.records_per_run, count - first);
        if (!read_records(table, first, records.get(), in_run)) return false;
        std::vector<std::uint32_t> order = key_order(keys, records.get(), length, in_run);
        put_in_order(records.get(), length, order);
        std::size_t put = 0;
        if (!runs.file.write(records.get(), in_run * length, put)) {
            note_failure(table, "Cannot write the sort's scratch file: " + error_text(runs.file.last_error()));
            return false;
        }
        ++runs.runs;
    }
    return true;
}

// One run being merged: a window of its records read ahead, and the key of
// the first record not yet written.
struct run_reader {
    std::int64_t next_offset = 0;  // in the scratch file
    std::size_t left = 0;          // records not yet read into the window
    std::vector<std::uint8_t> window;
    std::size_t in_window = 0;
    std::size_t at = 0;
    std::vector<std::uint8_t> key;
};

// Merges the runs into `target` from `offset` on. Equal keys come from the
// earlier run first: runs hold the records in file order, so the merge keeps
// the order of equal keys as the in-memory sort does.
bool merge_runs(table_object& table, const record_keys& keys, std::size_t count, sorted_runs& runs,
                std::size_t budget, file_handle& target, std::int64_t offset)
{
    const std::size_t length = table.header.record_length;
    // Half the budget reads ahead, shared by the runs; a quarter collects
    // the output.
    const std::size_t window_records = std::max<std::size_t>(1, budget / 2 / runs.runs / length);
    const std::size_t output_records = std::max<std::size_t>(1, budget / 4 / length);
    std::vector<run_reader> readers(runs.runs);
    const auto refill = [&](run_reader& reader) {
        const std::size_t take = std::min(window_records, reader.left);
        reader.window.resize(take * length);
        if (take > 0 && !runs.file.read_whole_at(reader.next_offset, reader.window.data(), take * length)) {
            note_failure(table, "Cannot read the sort's scratch file: " + error_text(runs.file.last_error()));
            return false;
        }
        reader.next_offset += static_cast<std::int64_t>(take * length);
        reader.left -= take;
        reader.in_window = take;
        reader.at = 0;
        if (take > 0) keys.whole(reader.window.data(), reader.key.data());
        return true;
    };
    for (std::size_t r = 0; r < runs.runs; ++r) {
        run_reader& reader = readers[r];
        reader.next_offset = static_cast<std::int64_t>(r * runs.records_per_run * length);
        reader.left = std::min(runs.records_per_run, count - r * runs.records_per_run);
        reader.key.resize(keys.length());
        if (!refill(reader)) return false;
    }
    // A heap of the runs by their first key, the earlier run first on ties.
    const auto later = [&](std::size_t a, std::size_t b) {
        const int order = std::memcmp(readers[a].key.data(), readers[b].key.data(), keys.length());
        return order != 0 ? order > 0 : a > b;
    };
    std::vector<std::size_t> heap;
    for (std::size_t r = 0; r < runs.runs; ++r) {
        if (readers[r].in_window > 0) heap.push_back(r);
    }
    std::make_heap(heap.begin(), heap.end(), later);

    std::vector<std::uint8_t> output;
    output.reserve(output_records * length);
    const auto flush = [&] {
        if (output.empty()) return true;
        if (!fh_seek_and_write(target, offset, output.data(), output.size())) {
            note_failure(table, target);
            return false;
        }
        offset += static_cast<std::int64_t>(output.size());
        output.clear();
        return true;
    };
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), later);
        run_reader& reader = readers[heap.back()];
        const std::uint8_t* record = reader.window.data() + reader.at * length;
        output.insert(output.end(), record, record + length);
        if (output.size() >= output_records * length && !flush()) return false;
        if (++reader.at < reader.in_window) {
            keys.whole(reader.window.data() + reader.at * length, reader.key.data());
        } else if (reader.left == 0 || !refill(reader)) {
            if (reader.left != 0) return false;
            heap.pop_back();
            continue;
        }
        std::push_heap(heap.begin(), heap.end(), later);
    }
    return flush();
}

bool write_count(table_object& table, file_handle& target, std::int32_t count)
{
    if (!write_record_count(target, count)) {
        note_failure(table, target);
        return false;
    }
    return true;
}

int sort_into(table_object& table, const std::vector<int>& key, file_handle& target, const sort_options& options)
{
    const std::size_t budget = options.memory_budget;
    const std::int32_t count = std::max(record_count(table), 0);  // again, now that no one else can append
    const std::size_t length = table.header.record_length;
    const auto records_count = static_cast<std::size_t>(count);
    if (!holds_counted_records(table, records_count)) return 0;
    const record_keys keys(table, key, options.hungarian_order);

    // Within the budget the records are ordered in memory and written once.
    const std::size_t per_record = length + sort_bytes_per_record;
    if (records_count <= budget / per_record) {
        // Not zeroed first: the read fills every byte, and zeroing a table's
        // worth of memory costs a tenth of the sort.
        const std::size_t bytes = records_count * length;
        const auto records = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
        if (!read_records(table, 0, records.get(), records_count)) return 0;
        std::vector<std::uint32_t> order = key_order(keys, records.get(), length, records_count);
        put_in_order(records.get(), length, order);
        if (bytes > 0 && !fh_seek_and_write(target, table.header.header_length, records.get(), bytes)) {
            note_failure(table, target);
            return 0;
        }
        return write_count(table, target, count) ? 1 : 0;
    }
    // Beyond it, runs that fit the budget are sorted into a scratch file and
    // merged into the copy.
    sorted_runs runs;
    runs.records_per_run = std::max<std::size_t>(1, budget / per_record);
    if (!write_runs(table, keys, records_count, runs)) return 0;
    if (!merge_runs(table, keys, records_count, runs, budget, target, table.header.header_length)) return 0;
    return write_count(table, target, count) ? 1 : 0;
}

}  // namespace

bool sort_key_fits(const table_object& table, const std::vector<int>& fields)
{
    if (fields.empty()) return false;
    for (int index : fields) {
        if (index < 0 || index >= field_count(table)) return false;
    }
    return key_length(table, fields) <= sort_key_length_max;
}

int write_sorted_records(table_object& table, const std::vector<int>& key, file_handle& target,
                         const sort_options& options)
{
    if (!sort_key_fits(table, key)) {
        note_failure(table, "The sort key is not a list of the table's fields within 254 bytes");
        return 0;
    }
    if (!table.table_locked) return 0;

    // The guard puts the position back also when memory for the records
    // runs out.
    const scope_exit put_back([&table, record = current_record(table)] { go_to(table, record); });

    try {
        return sort_into(table, key, target, options);
    } catch (const std::bad_alloc&) {
        note_failure(table, sort_memory_text);
        return 0;
    }
}

}  // namespace vortel
