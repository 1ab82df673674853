#include "engine/table.h"

#include "engine/field_decode.h"
#include "engine/memo_layouts.h"
#include "engine/table_verdict.h"
#include "platform/code_page.h"
#include "platform/error_text.h"
#include "text/text_ops.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

namespace vortel {
namespace {

void seek_to(table_object& table, std::int64_t offset) { fh_seek(table.dbf, offset, seek_origin::begin); }

bool seek_checked(table_object& table, std::int64_t offset)
{
    return fh_seek(table.dbf, offset, seek_origin::begin) == offset;
}

std::int64_t record_end(const table_object& table, std::int64_t number)
{
    return table.header.header_length + number * table.header.record_length;
}

// Reads the record at the current position into the buffer; whatever the
// file does not hold (a short or failed read) becomes zero bytes.
bool read_current(table_object& table)
{
    std::size_t got = 0;
    bool ok = fh_read(table.dbf, table.record.data(), table.record.size(), got) != 0;
    std::fill(table.record.begin() + static_cast<std::ptrdiff_t>(ok ? got : 0), table.record.end(), 0);
    return ok && got > 0;
}

void close_files(table_object& table)
{
    fh_close(table.dbf);
    fh_close(table.dbt);
}

// An append writes its records and then the count under the table lock,
// which covers the header, so a size and a count read outside that lock may
// straddle one. The count is judged again under the header lock: "" when
// it agrees with the file then, or when another handle holds the lock (a
// change in flight is no damage; appends check again under the lock).
// Otherwise why it disagrees, `held` the whole records the file holds.
std::string count_damage(table_object& table, std::int64_t& held)
{
    if (!fh_lock(table.dbf, 0, dbf_header_size)) return {};
    std::int32_t count = 0;
    const std::int64_t size = fh_size(table.dbf);
    const bool read = size >= 0 && read_record_count(table.dbf, count);
    fh_unlock(table.dbf, 0, dbf_header_size);
    if (!read) return {};
    table.header.record_count = count;
    held = whole_records_in_file(table.header, size, count);
    return record_count_problem(count, held);
}

// Whether the table's memo fields need a memo file: dBase III says so by
// its version byte alone; other versions by holding memo fields.
bool needs_memo_file(const table_object& table)
{
    if (table.dialect.memo == memo_layout::dbt3) return true;
    if (table.dialect.memo == memo_layout::none) return false;
    return std::any_of(table.fields.begin(), table.fields.end(),
                       [](const field_descriptor& field) { return descriptor_type(field) == 'M'; });
}

// Each nullable field takes the next bit of `_NullFlags`; a varying-length
// field (V, Q) takes one before it, for whether it is filled up.
void find_null_bits(table_object& table)
{
    table.null_flags_field = -1;
    table.null_bits.assign(table.fields.size(), -1);
    if (table.dialect.family != table_family::foxpro) return;
    for (std::size_t i = 0; i < table.fields.size(); ++i) {
        if (descriptor_type(table.fields[i]) == '0' && equal_ignoring_case(descriptor_name(table.fields[i]), "_NullFlags")) {
            table.null_flags_field = static_cast<int>(i);
        }
    }
    if (table.null_flags_field < 0) return;
    constexpr std::uint8_t nullable = 0x02;
    int bit = 0;
    for (std::size_t i = 0; i < table.fields.size(); ++i) {
        const char type = descriptor_type(table.fields[i]);
        if (type == 'V' || type == 'Q') ++bit;
        if ((table.fields[i].bytes[18] & nullable) != 0) table.null_bits[i] = bit++;
    }
}

}  // namespace

table_object::table_object(std::string dbf_file_name)
    : codepage(setting_code_page()),
      dbf(dbf_file_name),
      dbt(dbt_file_name(dbf_file_name)),
      dbf_name(dbf_file_name),
      dbt_name(dbt_file_name(dbf_file_name))
{
}

table_object::~table_object() { table_close(*this); }

std::unique_ptr<table_object> table_new(const std::string& dbf_file_name)
{
    return std::make_unique<table_object>(dbf_file_name);
}

int table_open(table_object& table, int writable)
{
    if (table.open) return 1;
    clear_failure(table);
    table.read_only.clear();
    table.memo_problem.clear();
    table.records_held = -1;
    std::vector<std::string> reasons;
    if (!writable) reasons.emplace_back(asked_read_only_reason);
    // Tables are never created by opening: a mistyped name must not leave
    // an empty file behind.
    const open_mode mode = writable ? table_read_write_mode : table_read_only_mode;
    if (!open_table_file(table.dbf, mode, "the file", reasons)) {
        const int error = table.dbf.os.last_error();
        // The file layer refuses directories, devices and pipes with EINVAL.
        note_failure(table, error == EINVAL ? "it is not a plain file" : error_text(error));
        return 0;
    }
    const table_verdict verdict = judge_table_file(table.dbf, table.header, table.fields);
    if (!verdict.refusal.empty()) {
        note_failure(table, verdict.refusal);
        close_files(table);
        return 0;
    }
    const std::string count_problem = record_count_problem(table.header.record_count, verdict.records_held);
    for (const std::string& reason : verdict.read_only_reasons) {
        if (reason != count_problem) {
            reasons.push_back(reason);
            continue;
        }
        std::int64_t held = 0;
        if (std::string damage = count_damage(table, held); !damage.empty()) {
            reasons.push_back(std::move(damage));
            if (table.header.record_count > held) table.records_held = held;
        }
    }

    table.dialect = verdict.dialect;
    table.long_names = verdict.long_names;
    table.memo_block_size = dbt_block_size;
    if (needs_memo_file(table)) {
        // The memo file follows the table: one only read is only read.
        const open_mode memo_mode = table.dbf.os.writable() ? table_read_write_mode : table_read_only_mode;
        const memo_file_outcome memo = open_memo_file(table.dbt, table.dbf_name, table.dialect, memo_mode, reasons);
        table.dbt_name = table.dbt.name;
        if (!memo.refusal.empty()) {
            note_failure(table, memo.refusal);
            close_files(table);
            return 0;
        }
        table.memo_problem = memo.unavailable;
        if (memo.unavailable.empty() && table.dialect.memo != memo_layout::dbt3) {
            table.memo_block_size = memo_block_size(table.dbt, table.dialect.memo);
        }
    }
    find_null_bits(table);
    table.read_only = joined_reasons(reasons);

    table.field_count = static_cast<int>(table.fields.size());
    table.offsets.assign(static_cast<std::size_t>(table.field_count) + 1, 1);
    for (int i = 0; i < table.field_count; ++i) {
        table.offsets[static_cast<std::size_t>(i) + 1] =
            table.offsets[static_cast<std::size_t>(i)] + descriptor_length(table.fields[static_cast<std::size_t>(i)]);
    }

    table.record.assign(table.header.record_length, 0);
    table.blank_record.assign(table.header.record_length, ' ');
    table.open = 1;
    seek_to(table, dbf_header_size + dbf_descriptor_size * std::int64_t{table.field_count} + 2);
    if (record_count(table) < 1) {
        table.current_record = 0;
        table.end_of_file = table.beginning_of_file = 1;
    } else {
        go_top(table);
    }
    if (table.codepage.origin != code_page_origin::chosen) table.codepage = detect_code_page(table);
    return 1;
}

void table_close(table_object& table)
{
    close_files(table);
    table.open = 0;
    table.table_locked = 0;
    table.lock_length = 0;
    table.end_of_file = table.beginning_of_file = 0;
    table.fields.clear();
    table.offsets.clear();
    table.record.clear();
    table.blank_record.clear();
    table.field_count = 0;
    table.current_record = 0;
}

std::int32_t record_count(table_object& table)
{
    std::int32_t count = 0;
    if (read_record_count(table.dbf, count)) table.header.record_count = count;
    if (table.records_held >= 0 && table.header.record_count > table.records_held) {
        table.header.record_count = static_cast<std::int32_t>(table.records_held);
    }
    // A damaged negative count shows no records, never a negative number of them.
    table.header.record_count = std::max(table.header.record_count, 0);
    return table.header.record_count;
}

int field_count(const table_object& table) { return table.field_count; }
int record_length(const table_object& table) { return table.header.record_length; }
const std::string& table_file_name(const table_object& table) { return table.dbf_name; }
std::int32_t current_record(const table_object& table) { return table.current_record; }
int at_eof(const table_object& table) { return table.end_of_file; }
int at_bof(const table_object& table) { return table.beginning_of_file; }

field_information field_info(const table_object& table, int index)
{
    if (index < 0 || index >= table.field_count) return {};
    const field_descriptor& field = table.fields[static_cast<std::size_t>(index)];
    const auto at = static_cast<std::size_t>(index);
    return {at < table.long_names.size() ? table.long_names[at] : descriptor_name(field), descriptor_type(field),
            descriptor_length(field), descriptor_decimals(field)};
}

int field_index(const table_object& table, std::string_view name)
{
    for (int i = 0; i < table.field_count; ++i) {
        if (equal_ignoring_case(field_info(table, i).name, name)) return i;
    }
    return -1;
}

int field_offset(const table_object& table, int index)
{
    if (index < 0 || index >= table.field_count) return -1;
    return table.offsets[static_cast<std::size_t>(index)];
}

char field_type(const table_object& table, int index)
{
    if (index < 0 || index >= table.field_count) return 0;
    return descriptor_type(table.fields[static_cast<std::size_t>(index)]);
}

int has_memo_fields(const table_object& table)
{
    for (int i = 0; i < table.field_count; ++i) {
        if (field_type(table, i) == 'M') return 1;
    }
    return 0;
}

namespace {

// A field's stored bytes up to its first zero byte, as stored texts always end.
std::string_view stored_field(const table_object& table, int index)
{
    const auto offset = static_cast<std::size_t>(table.offsets[static_cast<std::size_t>(index)]);
    const auto length = static_cast<std::size_t>(descriptor_length(table.fields[static_cast<std::size_t>(index)]));
    const char* bytes = reinterpret_cast<const char*>(table.record.data()) + offset;
    return {bytes, ::strnlen(bytes, length)};
}

std::string program_text(const table_object& table, std::string_view stored)
{
    if (table.texts_as_stored || table.codepage.page == code_page::cp1250) return std::string(stored);
    std::string text;
    stored_to_program(table.codepage.page, stored, text);
    return text;
}

}  // namespace

std::string field_text(const table_object& table, int index)
{
    if (index < 0 || index >= table.field_count || table.record.empty()) return {};
    if (table.dialect.decoded) {
        const auto at = static_cast<std::size_t>(index);
        const int null_bit = at < table.null_bits.size() ? table.null_bits[at] : -1;
        if (null_bit >= 0) {
            const auto flags = static_cast<std::size_t>(table.offsets[static_cast<std::size_t>(table.null_flags_field)]);
            const int flags_length = descriptor_length(table.fields[static_cast<std::size_t>(table.null_flags_field)]);
            if (null_bit / 8 < flags_length &&
                (table.record[flags + static_cast<std::size_t>(null_bit / 8)] >> (null_bit % 8) & 1) != 0) {
                return {};
            }
        }
        const auto offset = static_cast<std::size_t>(table.offsets[at]);
        const auto length = static_cast<std::size_t>(descriptor_length(table.fields[at]));
        if (std::optional<std::string> shown =
                decoded_field_text(table.dialect, table.fields[at], std::span(table.record).subspan(offset, length))) {
            return *shown;
        }
    }
    return program_text(table, stored_field(table, index));
}

bool field_is_decoded(const table_object& table, int index)
{
    if (!table.dialect.decoded || index < 0 || index >= table.field_count) return false;
    const auto at = static_cast<std::size_t>(index);
    return (at < table.null_bits.size() && table.null_bits[at] >= 0) ||
           is_decoded_field(table.dialect, table.fields[at]);
}

bool field_shown_whole(table_object& table, int index)
{
    if (index < 0 || index >= table.field_count || table.record.empty()) return true;
    if (field_type(table, index) != 'M') return stored_shows_whole(table.codepage.page, stored_field(table, index));
    const int kept = table.texts_as_stored;
    table.texts_as_stored = 1;
    // What could not be read shows nothing that could be lost.
    std::string memo;
    (void)memo_read_whole(table, field_text(table, index), memo);
    table.texts_as_stored = kept;
    return stored_shows_whole(table.codepage.page, memo);
}

std::string record_text(const table_object& table)
{
    if (table.record.size() < 1) return {};
    return program_text(table, {reinterpret_cast<const char*>(table.record.data()) + 1, table.record.size() - 1});
}

int is_deleted(const table_object& table) { return !table.record.empty() && table.record[0] == dbf_deleted_mark; }

int step(table_object& table, int delta)
{
    // Wider than a record number: a damaged header may claim 2^31 - 1
    // records, and a move past the last of them must not wrap around.
    const std::int64_t target = std::int64_t{table.current_record} + delta;
    const std::int32_t count = table.header.record_count;
    // Every move seeks to its record's absolute place and checks the seek:
    // a failed seek must not leave one record's bytes in the buffer under
    // another record's number, or the next write would land on the wrong
    // record.
    if (target <= 1) {
        if (!seek_checked(table, table.header.header_length)) return 0;
        if (table.current_record == 1) table.beginning_of_file = 1;
        table.current_record = 1;
        table.end_of_file = record_count(table) <= 0 ? 1 : 0;
        return read_current(table) ? 1 : 0;
    }
    if (target > count) {
        if (!seek_checked(table, record_end(table, count - 1))) return 0;
        table.current_record = count;
        table.end_of_file = 1;
        return read_current(table) ? 1 : 0;
    }
    const std::int64_t kept = record_end(table, table.current_record);
    const std::int64_t start = record_end(table, target - 1);
    if (start < table.header.header_length) {
        seek_to(table, kept);
        return 0;
    }
    if (!seek_checked(table, start)) return 0;
    if (read_current(table)) {
        table.end_of_file = table.beginning_of_file = 0;
        table.current_record = static_cast<std::int32_t>(target);
        return 1;
    }
    // A record that cannot be read ends the table in this direction, so that
    // loops passing deleted records always stop.
    seek_to(table, kept);
    table.end_of_file = 1;
    return 0;
}

bool filter_hides(const navigation_options& navigation, std::int32_t number)
{
    return navigation.filter && !navigation.filter->contains(number);
}

bool navigation_hides(const navigation_options& navigation, std::int32_t number, bool deleted)
{
    return (deleted && navigation.hide_deleted) || filter_hides(navigation, number);
}

bool record_hidden(const table_object& table)
{
    return navigation_hides(table.navigation, table.current_record, is_deleted(table) != 0);
}

namespace {

// One step in `direction` towards a record that may show: the next filter
// member (none beyond the table's end), else the neighbouring record.
int step_towards_shown(table_object& table, int direction)
{
    const std::shared_ptr<const record_set>& filter = table.navigation.filter;
    const std::int32_t from = table.current_record;
    std::int64_t target = std::int64_t{from} + direction;
    if (filter && direction > 0) {
        const std::int32_t next = filter->next_after(from);
        target = next != 0 ? next : std::int64_t{table.header.record_count} + 1;
    } else if (filter && direction < 0) {
        target = filter->last_before(from);
    }
    const std::int64_t delta = target - from;
    return step(table, static_cast<int>(std::clamp<std::int64_t>(delta, INT_MIN, INT_MAX)));
}

}  // namespace

int skip(table_object& table, std::int32_t count)
{
    if (count == 0) {
        step(table, 0);
        while (record_hidden(table) && !table.end_of_file) step_towards_shown(table, 1);
        return 1;
    }
    const int direction = count < 0 ? -1 : 1;
    std::int32_t last_shown = table.current_record;
    for (std::int64_t i = 0; i < (count < 0 ? -std::int64_t{count} : count); ++i) {
        if (table.current_record == 1 && direction < 0) {
            table.beginning_of_file = 1;
            break;
        }
        if (direction > 0 && table.current_record == record_count(table)) {
            table.end_of_file = 1;
            break;
        }
        step_towards_shown(table, direction);
        if (record_hidden(table)) {
            while (!table.end_of_file && !table.beginning_of_file && record_hidden(table)) {
                step_towards_shown(table, direction);
            }
            if (table.end_of_file || table.beginning_of_file) {
                // Only hidden records lie that way: stay on the last shown
                // record the skip reached.
                const int eof = table.end_of_file, bof = table.beginning_of_file;
                seek_to(table, record_end(table, last_shown));
                table.current_record = last_shown;
                skip(table, 0);
                // Still at the end when nothing shows at all.
                table.end_of_file = std::max(eof, table.end_of_file);
                table.beginning_of_file = bof;
                break;
            }
        }
        if (table.end_of_file) break;
        last_shown = table.current_record;
    }
    return 1;
}

int go_top(table_object& table)
{
    seek_to(table, table.header.header_length);
    table.current_record = 0;
    return skip(table, 0);
}

int go_bottom(table_object& table)
{
    const std::int32_t count = record_count(table);
    seek_to(table, record_end(table, count));
    table.current_record = count;
    skip(table, 0);
    if (table.end_of_file) skip(table, -1);
    return 1;
}

int go_to(table_object& table, std::int32_t number)
{
    // A size that cannot be read says nothing about a file cut short.
    const std::int64_t size = fh_size(table.dbf);
    if (size >= 0 && size < record_end(table, number)) return go_bottom(table);
    seek_to(table, record_end(table, number));
    table.current_record = number;
    // A record that cannot be read makes the move fail, so that no caller
    // takes the buffer for record `number` and acts on it.
    if (!step(table, 0)) return 0;
    while (record_hidden(table) && !table.end_of_file) step_towards_shown(table, 1);
    // Past the last shown record the move ends on it rather than on a
    // hidden one a caller could take for shown.
    if (record_hidden(table)) return go_bottom(table);
    return 1;
}

int go_to_exactly(table_object& table, std::int32_t number)
{
    if (!table.open || number < 1 || number > record_count(table)) return 0;
    // Read aside first: a failed or short read must leave the buffer holding
    // the record the table stands on, or a later write would put one
    // record's bytes under another's number.
    std::vector<std::uint8_t> bytes(table.record.size());
    std::size_t got = 0;
    const bool read = seek_checked(table, record_end(table, number - 1)) &&
                      fh_read(table.dbf, bytes.data(), bytes.size(), got) && got == bytes.size();
    if (!read) {
        seek_to(table, record_end(table, table.current_record));
        return 0;
    }
    table.record.swap(bytes);
    table.current_record = number;
    table.end_of_file = table.beginning_of_file = 0;
    return 1;
}

bool is_read_only(const table_object& table) { return !table.read_only.empty(); }

std::string read_only_refusal(const table_object& table)
{
    return table.read_only.empty() ? std::string() : "The table is read-only: " + table.read_only;
}

bool refuse_when_read_only(table_object& table)
{
    if (table.read_only.empty()) return false;
    note_failure(table, read_only_refusal(table));
    return true;
}

void clear_failure(table_object& table) { table.failure.clear(); }

void note_failure(table_object& table, std::string reason)
{
    if (table.failure.empty()) table.failure = std::move(reason);
}

void note_failure(table_object& table, const file_handle& file)
{
    note_failure(table, file_error_text(file.os.last_error(), file.name));
}

}  // namespace vortel
