// A table made of arbitrary bytes, opened and walked every way the browse
// grid moves, reading every field's text and every memo. A damaged table may
// refuse to open; it must never crash the program, and looking at a table
// must not change a byte of either file. Adding a record must leave the
// header's layout, the descriptors and the records already there alone.
//
// Input: a flags byte, the table file's length (two bytes, little-endian),
// the table file, then the memo file.
//   bit 0: the memo file exists (otherwise there is none)
//   bit 1: navigation hides deleted records
//   bit 2: SET_OEMTOANSI is on, so a table that names no code page is read in 852
//   bit 3: after the walk, append a record and store a value in every field
#include "engine/table.h"
#include "fuzz/fuzz_support.h"
#include "runtime/settings.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace vortel;

// Enough moves to pass every kind of record and both ends of a small
// table; a damaged count may claim billions of records.
constexpr int moves_each_way = 40;

void read_current_record(table_object& table)
{
    for (int i = 0; i < field_count(table); ++i) {
        const std::string text = field_text(table, i);
        if (field_type(table, i) == 'M') (void)memo_read(table, text);
    }
    (void)record_text(table);
    (void)is_deleted(table);
}

void walk(table_object& table)
{
    for (int i = 0; i < field_count(table); ++i) {
        const field_information info = field_info(table, i);
        if (field_index(table, info.name) < 0) fuzz::fail("a field is not found by its own name");
    }
    go_top(table);
    read_current_record(table);
    // Typed values are stored back by each field's rules, in memory only:
    // a refused one leaves the record as it was, and a stored number, date
    // or logical never holds a zero byte.
    for (int i = 0; i < field_count(table); ++i) {
        const std::vector<std::uint8_t> before = table.record;
        if (!set_field_text(table, i, field_text(table, i))) {
            if (table.record != before) fuzz::fail("a refused value changed the record");
            continue;
        }
        const field_information field = field_info(table, i);
        const auto start = table.record.begin() + field_offset(table, i);
        const bool checked = field.type == 'N' || field.type == 'D' || field.type == 'L';
        if (checked && std::find(start, start + field.length, 0) != start + field.length) {
            fuzz::fail("a stored value holds a zero byte");
        }
    }
    for (int i = 0; i < moves_each_way && !at_eof(table); ++i) {
        skip(table, 1);
        read_current_record(table);
    }
    go_bottom(table);
    read_current_record(table);
    for (int i = 0; i < moves_each_way && !at_bof(table); ++i) {
        skip(table, -1);
        read_current_record(table);
    }
    for (int delta : {3, -2, 1, -1, 0}) {
        step(table, delta);
        read_current_record(table);
    }
    go_to(table, 2);
    read_current_record(table);
    skip(table, 5);
    skip(table, -7);
    read_current_record(table);
}

void append_and_fill(table_object& table)
{
    if (!lock_table(table)) return;
    if (append_blank(table)) {
        for (int i = 0; i < field_count(table); ++i) {
            // A field too narrow for 19, or of another type, refuses it and stays blank.
            if (field_type(table, i) != 'M') (void)set_field_text(table, i, "19");
        }
        // A refused write is an outcome the checks after the walk accept.
        (void)write_record(table);
    }
    unlock(table);
}

// The bytes of a table file that adding a record leaves alone: the version,
// the header from its lengths on, the descriptors and the records the header
// counted, as far as the file held them.
std::string kept_by_append(std::string_view file, const dbf_header& header)
{
    const std::int64_t end = header.header_length + std::int64_t{header.record_count} * header.record_length;
    const std::size_t kept_end = static_cast<std::size_t>(std::min<std::int64_t>(end, std::ssize(file)));
    if (kept_end < 8) return std::string(file.substr(0, 1));
    return std::string(file.substr(0, 1)) + std::string(file.substr(8, kept_end - 8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::table_input in;
    if (!fuzz::split_table_input(std::span<const std::uint8_t>(data, size), in)) return 0;
    const std::uint8_t flags = in.flags;

    const std::string dbf_name = fuzz::scratch_folder() + "T.DBF";
    const std::string dbt_name = fuzz::scratch_folder() + "T.DBT";
    fuzz::write_file(dbf_name, in.dbf);
    const bool with_memo_file = in.with_memo_file();
    if (with_memo_file) {
        fuzz::write_file(dbt_name, in.dbt);
    } else {
        fuzz::remove_file(dbt_name);
    }

    settings_restore_defaults();
    setting_by_index(SET_OEMTOANSI, (flags & 4) != 0 ? "1" : "0");
    const bool appending = (flags & 8) != 0;
    const std::string_view dbf_before = in.dbf;
    dbf_header opened_header;
    {
        table_object table(dbf_name);
        table.navigation.hide_deleted = (flags & 2) != 0;
        if (table_open(table)) {
            opened_header = table.header;
            walk(table);
            if (appending) append_and_fill(table);
        }
    }

    // A damaged count may have placed the new record far out: read no more
    // than the input held.
    const std::string dbf_after = fuzz::read_file(dbf_name, appending ? dbf_before.size() : SIZE_MAX);
    if (!appending && dbf_after != dbf_before) fuzz::fail("looking at a table changed its table file");
    if (appending && kept_by_append(dbf_after, opened_header) != kept_by_append(dbf_before, opened_header)) {
        fuzz::fail("adding a record changed the table's layout or its records");
    }
    if (with_memo_file && fuzz::read_file(dbt_name) != in.dbt) {
        fuzz::fail("looking at a table changed its memo file");
    }
    return 0;
}
