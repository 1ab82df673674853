// The bulk operations over a damaged table: pack, zap, sort, both exports,
// the empty copy filled by copy_records, and the table appended into another
// one. Each runs on a fresh copy of the files. Whatever the bytes, none may
// crash, none may change the table's own files unless it says it did (pack,
// zap and sort replace them), a refused rebuild leaves no file behind, and
// what an operation reports as done must hold the records it promises:
//  - sort: the same records, only in another order;
//  - pack: the live records in their order, values and memos kept;
//  - the empty copy filled as navigated: every record the walk visits;
//  - export_text: one line per record, the record's bytes after its flag;
//  - append_from: the target grows by the records taken, its old records
//    untouched.
// Values are compared only where copying keeps them byte for byte: a field
// whose stored bytes copying would store again unchanged, and memo texts.
//
// Input: a flags byte, the table file's length (two bytes, little-endian),
// the table file, then the memo file.
//   bit 0: the memo file exists (otherwise there is none)
//   bit 1: SET_DELETED is on, so navigation of the tables opened as the
//          user would hides deleted records
//   bit 2: SET_OEMTOANSI is on, so a table that names no code page is read in 852
#include "commands/file_replacement.h"
#include "commands/setting_options.h"
#include "commands/sort_key.h"
#include "engine/append_from.h"
#include "engine/create_table.h"
#include "engine/export.h"
#include "engine/record_copy.h"
#include "engine/table.h"
#include "fuzz/fuzz_support.h"
#include "runtime/settings.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

using namespace vortel;

// Opened as a front-end opens a table: its walk follows the settings.
int open_as_the_user(table_object& table)
{
    table.navigation = navigation_by_settings();
    return table_open(table);
}

using input_files = fuzz::table_input;

const std::string& folder() { return fuzz::scratch_folder(); }
std::string table_name() { return folder() + "T.DBF"; }
std::string memo_name() { return folder() + "T.DBT"; }

std::set<std::string> folder_files()
{
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder(), ignored)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Only the table's files, as the input gives them.
void fresh_copy(const input_files& in)
{
    for (const std::string& name : folder_files()) fuzz::remove_file(folder() + name);
    fuzz::write_file(table_name(), in.dbf);
    if (in.with_memo_file()) fuzz::write_file(memo_name(), in.dbt);
}

bool table_files_unchanged(const input_files& in)
{
    if (fuzz::read_file(table_name()) != in.dbf) return false;
    if (!in.with_memo_file()) return !std::filesystem::exists(memo_name());
    return fuzz::read_file(memo_name()) == in.dbt;
}

void expect_untouched(const input_files& in, const char* what)
{
    if (!table_files_unchanged(in)) fuzz::fail(what);
}

// The records a bulk read gives, as the opened header describes them: up to
// the count, as far as the file holds them, a last record cut short filled
// up with zero bytes.
std::vector<std::string> held_records(std::string_view dbf, const dbf_header& header)
{
    std::vector<std::string> records;
    const std::size_t length = header.record_length;
    if (length == 0) return records;
    for (std::int64_t i = 0; i < header.record_count; ++i) {
        const std::size_t start = header.header_length + static_cast<std::size_t>(i) * length;
        if (start >= dbf.size()) break;
        std::string record(dbf.substr(start, length));
        record.resize(length, '\0');
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<std::string> selected(const std::vector<std::string>& records, bool skip_deleted)
{
    std::vector<std::string> kept;
    for (const std::string& record : records) {
        if (!skip_deleted || record[0] != '*') kept.push_back(record);
    }
    return kept;
}

// The copy (opened) holds `expected` records of `source` (opened on the
// table's files) in order, every field of the same shape byte for byte
// equal whatever it held, memos equal, every record live.
void check_copy(table_object& source, table_object& copy, const std::vector<std::string>& expected, const char* what)
{
    if (record_count(copy) != static_cast<std::int32_t>(expected.size())) fuzz::fail(what);
    if (field_count(copy) != field_count(source)) fuzz::fail(what);
    source.texts_as_stored = copy.texts_as_stored = 1;
    for (std::size_t r = 0; r < expected.size(); ++r) {
        if (!go_to(copy, static_cast<std::int32_t>(r + 1))) fuzz::fail(what);
        if (is_deleted(copy)) fuzz::fail(what);
        // The source record goes into the buffer so that field_text reads it.
        source.record.assign(expected[r].begin(), expected[r].end());
        for (int i = 0; i < field_count(source); ++i) {
            const field_information field = field_info(source, i);
            if (field_type(copy, i) != field.type) fuzz::fail(what);
            const std::string_view bytes(expected[r].data() + field_offset(source, i),
                                         static_cast<std::size_t>(field.length));
            if (field.type == 'M') {
                std::string text;
                if (!memo_read_whole(source, field_text(source, i), text)) continue;
                if (memo_read(copy, field_text(copy, i)) != text) fuzz::fail(what);
            } else {
                const std::string_view copied(reinterpret_cast<const char*>(copy.record.data()) + field_offset(copy, i),
                                              static_cast<std::size_t>(field_info(copy, i).length));
                if (copied != bytes) fuzz::fail(what);
            }
        }
    }
}

// A copy beside the table: with success the table's files are as they were
// and the copy holds `expected`; without it, nothing but the table's files
// remain.
void check_rebuild(const input_files& in, int made, const std::string& copy_name,
                   const std::vector<std::string>& expected, const char* what)
{
    expect_untouched(in, what);
    if (!made) {
        const std::set<std::string> left = folder_files();
        if (left.size() != (in.with_memo_file() ? 2U : 1U)) fuzz::fail(what);
        return;
    }
    table_object source(table_name());
    table_object copy(copy_name);
    if (!table_open(source, 0) || !table_open(copy, 0)) fuzz::fail(what);
    check_copy(source, copy, expected, what);
}

// Only the table's own names are left, whether the rebuild was done or not.
void expect_no_leftovers(const char* what)
{
    for (const std::string& name : folder_files()) {
        if (name != "T.DBF" && name != "T.DBT") fuzz::fail(what);
    }
}

// A rebuild that replaced the table: it holds `expected` records of the
// input, which is put beside it as O.DBF to compare; without success the
// table's files are as they were.
void check_replaced(const input_files& in, bool done, const std::vector<std::string>& expected, const char* what)
{
    expect_no_leftovers(what);
    if (!done) {
        expect_untouched(in, what);
        return;
    }
    const std::string original = folder() + "O.DBF";
    fuzz::write_file(original, in.dbf);
    if (in.with_memo_file()) fuzz::write_file(folder() + "O.DBT", in.dbt);
    table_object source(original);
    table_object copy(table_name());
    if (!table_open(source, 0) || !table_open(copy, 0)) fuzz::fail(what);
    check_copy(source, copy, expected, what);
}

void run_rebuild_command(const input_files& in, rebuild_kind kind, const std::vector<std::string>& expected,
                         const char* what)
{
    fresh_copy(in);
    bool done = false;
    {
        auto table = table_new(table_name());
        if (!open_as_the_user(*table)) return;
        done = rebuild_table(table, kind).status == rebuild_status::done;
    }
    check_replaced(in, done, expected, what);
}

void run_copy(const input_files& in, const std::vector<std::string>& records, bool skip_deleted)
{
    fresh_copy(in);
    const std::string copy_name = folder() + "C.DBF";
    bool empty_copy_made = false;
    int made = 0;
    {
        table_object table(table_name());
        if (!open_as_the_user(table)) return;
        std::vector<field_list_entry> fields;
        for (int i = 0; i < field_count(table); ++i) {
            const field_information field = field_info(table, i);
            fields.push_back({field.name, field.type, field.length, field.decimals});
        }
        // The copy is made in the table's own code page, as a rebuild makes
        // it: between two pages the texts would be recoded, not kept.
        const std::unique_ptr<table_object> maker = table_new(copy_name);
        maker->codepage = table.codepage;
        empty_copy_made = create_table(*maker, fields) != 0;
        if (empty_copy_made) {
            // Opened in the table's page, as a rebuild opens its copy: an
            // empty table's own page is only the setting's.
            table_object copy(copy_name);
            copy.codepage = table.codepage;
            copy.codepage.origin = code_page_origin::chosen;
            std::vector<int> same_fields;
            for (int i = 0; i < field_count(table); ++i) same_fields.push_back(i);
            made = table_open(copy) && lock_table(table) && lock_table(copy) &&
                   copy_records(table, copy, same_fields, copy_selection::as_navigated);
            unlock(table);
        }
    }
    // A failed copy keeps what it copied; only a refused empty copy must
    // leave nothing.
    if (empty_copy_made && !made) {
        expect_untouched(in, "copying the records changed the table");
        return;
    }
    check_rebuild(in, made, copy_name, selected(records, skip_deleted), "copying the records broke its promise");
}

void run_sort(const input_files& in, const dbf_header& header, const std::vector<int>& key, const char* compare)
{
    fresh_copy(in);
    const sort_collation collation = compare[0] == '1' ? sort_collation::magyar : sort_collation::english;
    bool sorted = false;
    {
        table_object table(table_name());
        if (!open_as_the_user(table)) return;
        sorted = sort_command(table, key, collation).status == sort_status::sorted;
    }
    expect_no_leftovers("a sort left a file behind");
    if (!sorted || header.record_count <= 0) {
        expect_untouched(in, "a sort that did nothing changed the table");
        return;
    }
    // Sorted: the header but for its date and byte 29 (which names the code
    // page the table was read in), and the memo file are as they were, the
    // file ends after the records, and they are the same ones.
    const std::string after = fuzz::read_file(table_name());
    const std::size_t start = header.header_length;
    const std::size_t end = start + std::size_t{header.record_length} * static_cast<std::size_t>(header.record_count);
    if (after.size() != end) fuzz::fail("a sort left the table's size wrong");
    if (after.substr(0, 1) != in.dbf.substr(0, 1) || after.substr(4, 25) != in.dbf.substr(4, 25) ||
        after.substr(30, start - 30) != in.dbf.substr(30, start - 30)) {
        fuzz::fail("a sort changed bytes outside the records");
    }
    if (in.with_memo_file() && fuzz::read_file(memo_name()) != in.dbt) fuzz::fail("a sort changed the memo file");
    std::vector<std::string> before_records = held_records(in.dbf, header);
    std::vector<std::string> after_records = held_records(after, header);
    std::sort(before_records.begin(), before_records.end());
    std::sort(after_records.begin(), after_records.end());
    if (before_records != after_records) fuzz::fail("a sort lost or changed records");
}

void run_exports(const input_files& in, const std::vector<std::string>& records, bool skip_deleted)
{
    fresh_copy(in);
    const std::string text_name = folder() + "OUT.TXT";
    int exported = 0;
    bool decoded = false;
    {
        table_object table(table_name());
        if (!open_as_the_user(table)) return;
        decoded = table.dialect.decoded;
        exported = export_text(table, text_name);
        (void)export_html(table, folder() + "OUT.HTM", "<T&>", {"A", "\"B\""});
    }
    expect_untouched(in, "an export changed the table");
    // A table with binary fields exports what it shows, not its bytes.
    if (!exported || decoded) return;
    std::string expected;
    for (const std::string& record : selected(records, skip_deleted)) expected += record.substr(1) + "\r\n";
    if (fuzz::read_file(text_name) != expected) fuzz::fail("the text export is not the records");
}

// A small valid table with two records and a memo, made once; its fields
// share names with the seeds' tables.
struct target_files {
    std::string dbf;
    std::string dbt;
};

const target_files& append_target()
{
    static const target_files made = [] {
        const std::string name = folder() + "A.DBF";
        const std::vector<field_list_entry> fields{
            {"NAME", 'C', 8, 0}, {"AMOUNT", 'N', 7, 2}, {"NOTE", 'M', 10, 0}, {"BORN", 'D', 8, 0}};
        {
            table_object target(name);
            if (!create_table(target, fields) || !table_open(target) || !lock_table(target)) {
                fuzz::fail("cannot make the append target");
            }
            for (const char* text : {"first", "second"}) {
                if (!append_blank(target)) fuzz::fail("cannot make the append target");
                if (!set_field_text(target, 0, text) || !set_field_text(target, 1, "12.5") ||
                    !set_field_text(target, 3, "20240229") || memo_write(target, 2, std::string(text) + " memo") != 1 ||
                    !write_record(target)) {
                    fuzz::fail("cannot make the append target");
                }
            }
            unlock(target);
        }
        target_files files{fuzz::read_file(name), fuzz::read_file(dbt_file_name(name))};
        fuzz::remove_file(name);
        fuzz::remove_file(dbt_file_name(name));
        return files;
    }();
    return made;
}

// The bytes appending leaves alone: the version, the header from its
// lengths on, the descriptors and the records already there.
std::string kept_by_append(std::string_view file, std::size_t records_end)
{
    if (file.size() < records_end) return {};
    return std::string(file.substr(0, 1)) + std::string(file.substr(8, records_end - 8));
}

void run_append(const input_files& in, bool opens, bool skip_deleted, const std::vector<std::string>& records)
{
    const target_files& target = append_target();
    fresh_copy(in);
    const std::string name = folder() + "A.DBF";
    fuzz::write_file(name, target.dbf);
    fuzz::write_file(dbt_file_name(name), target.dbt);
    int appended = 0;
    std::int32_t old_count = 0;
    std::size_t records_end = 0;
    std::int32_t new_count = 0;
    {
        table_object table(name);
        if (!open_as_the_user(table)) fuzz::fail("the append target does not open");
        old_count = record_count(table);
        records_end = table.header.header_length +
                      std::size_t{table.header.record_length} * static_cast<std::size_t>(std::max(old_count, 0));
        appended = append_from(table, table_name());
        new_count = record_count(table);
    }
    expect_untouched(in, "appending from a table changed it");
    const std::string after = fuzz::read_file(name);
    if (kept_by_append(after, records_end) != kept_by_append(target.dbf, records_end)) {
        fuzz::fail("appending changed the target's layout or its records");
    }
    const bool looks_like_table =
        !in.dbf.empty() && (static_cast<std::uint8_t>(in.dbf[0]) == 0x03 || static_cast<std::uint8_t>(in.dbf[0]) == 0x83);
    if (!opens && looks_like_table && (appended || after != target.dbf)) {
        fuzz::fail("a table that does not open was appended");
    }
    if (appended && opens &&
        new_count - old_count != static_cast<std::int32_t>(selected(records, skip_deleted).size())) {
        fuzz::fail("appending a table did not add its records");
    }
    if (appended && new_count < old_count) fuzz::fail("appending shrank the target");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    input_files in;
    if (size > 8192 || !fuzz::split_table_input(std::span<const std::uint8_t>(data, size), in)) return 0;
    const std::uint8_t flags = in.flags;

    settings_restore_defaults();
    const bool skip_deleted = (flags & 2) != 0;
    setting_by_index(SET_DELETED, skip_deleted ? "1" : "0");
    setting_by_index(SET_OEMTOANSI, (flags & 4) != 0 ? "1" : "0");
    (void)append_target();

    fresh_copy(in);
    bool opens = false;
    dbf_header header;
    int fields = 0;
    {
        table_object table(table_name());
        opens = open_as_the_user(table) != 0;
        if (opens) {
            header = table.header;
            fields = field_count(table);
        }
    }
    expect_untouched(in, "opening a table changed it");
    const std::vector<std::string> records = opens ? held_records(in.dbf, header) : std::vector<std::string>{};

    if (opens) {
        run_rebuild_command(in, rebuild_kind::pack, selected(records, true), "pack broke its promise");
        run_rebuild_command(in, rebuild_kind::zap, {}, "zap broke its promise");
        run_copy(in, records, skip_deleted);
        run_exports(in, records, skip_deleted);
        for (const char* compare : {"1", "0"}) {
            run_sort(in, header, {0}, compare);
            run_sort(in, header, {0, fields > 1 ? 1 : 0}, compare);
        }
    }
    run_append(in, opens, skip_deleted, records);
    return 0;
}
