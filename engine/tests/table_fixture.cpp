#include "engine/tests/table_fixture.h"

#include "engine/dbf_format.h"
#include "engine/table.h"
#include "testing/scratch_dir.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <stdexcept>

namespace vortel::testing {

void write_table(const std::string& path, const std::vector<field_list_entry>& fields,
                 const std::vector<fixture_record>& records)
{
    std::vector<std::uint8_t> header = encode_new_table_header(fields, 2026, 12, 6);
    for (int i = 0; i < 3; ++i) header[4 + i] = static_cast<std::uint8_t>(records.size() >> (8 * i));
    std::string bytes(header.begin(), header.end());
    const bool has_memo = std::any_of(fields.begin(), fields.end(), [](const auto& f) { return f.type == 'M'; });
    const std::size_t length = record_of(fields, {}).size();
    for (const fixture_record& record : records) {
        if (record.fields.size() != length) throw std::invalid_argument("record does not match its fields");
        bytes += record.deleted ? dbf_deleted_mark : dbf_live_mark;
        bytes += record.fields;
    }
    write_file(path, bytes);
    if (has_memo) {
        auto block = new_dbt_header_block();
        write_file(dbt_file_name(path), std::string(block.begin(), block.end()));
    }
}

std::vector<std::string> table_rows(const std::string& path)
{
    auto table = table_new(path);
    if (!table_open(*table)) return {"cannot open"};
    std::vector<std::string> rows;
    for (std::int32_t number = 1; number <= record_count(*table); ++number) {
        go_to(*table, number);
        std::string row = is_deleted(*table) ? "*" : "";
        for (int i = 0; i < field_count(*table); ++i) {
            const std::string text = field_text(*table, i);
            row += (i ? "|" : "") + (field_type(*table, i) == 'M' ? memo_read(*table, text) : text);
        }
        rows.push_back(row);
    }
    return rows;
}

std::set<std::string> files_in(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

std::string record_of(const std::vector<field_list_entry>& fields, const std::vector<std::string>& values)
{
    std::string bytes;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string value = i < values.size() ? values[i] : std::string();
        value.resize(static_cast<std::size_t>(fields[i].length), ' ');
        bytes += value;
    }
    return bytes;
}

std::vector<fixture_record> records_of(const std::vector<field_list_entry>& fields,
                                       const std::vector<std::vector<std::string>>& values)
{
    std::vector<fixture_record> records;
    for (const auto& record : values) records.push_back({record_of(fields, record)});
    return records;
}

std::unique_ptr<table_object> open_table(const std::string& path, int writable, navigation_options navigation)
{
    auto table = table_new(path);
    table->navigation = navigation;
    if (!table_open(*table, writable)) throw std::runtime_error("cannot open " + path + ": " + table->failure);
    return table;
}

std::unique_ptr<table_object> open_new_table(const std::string& path, const std::vector<field_list_entry>& fields,
                                             const std::vector<fixture_record>& records, navigation_options navigation)
{
    write_table(path, fields, records);
    return open_table(path, 1, navigation);
}

void put_memos(table_object& table, int field, const std::vector<std::string>& memos)
{
    if (!lock_table(table)) throw std::runtime_error("cannot lock the table for its memos");
    for (std::size_t i = 0; i < memos.size(); ++i) {
        if (memos[i].empty()) continue;
        go_to(table, static_cast<std::int32_t>(i + 1));
        if (!memo_write(table, field, memos[i])) {
            unlock(table);
            throw std::runtime_error("cannot store memo " + std::to_string(i + 1) + ": " + table.failure);
        }
    }
    unlock(table);
}

std::vector<std::string> stored_records(const std::string& path)
{
    const std::string bytes = read_file(path);
    if (bytes.size() < dbf_header_size) return {};
    std::array<std::uint8_t, dbf_header_size> head{};
    std::copy_n(bytes.begin(), head.size(), head.begin());
    const dbf_header header = decode_dbf_header(head);
    std::vector<std::string> records;
    for (std::int32_t i = 0; i < header.record_count; ++i) {
        records.push_back(bytes.substr(header.header_length + std::size_t{header.record_length} * i,
                                       header.record_length));
    }
    return records;
}

field_descriptor raw_descriptor(char type, std::size_t byte16, int byte17)
{
    field_descriptor field;
    field.bytes[11] = static_cast<std::uint8_t>(type);
    field.bytes[16] = static_cast<std::uint8_t>(byte16);
    field.bytes[17] = static_cast<std::uint8_t>(byte17);
    return field;
}

std::string patch_file(const std::string& path, std::size_t offset, const std::string& bytes)
{
    std::string contents = read_file(path);
    if (contents.size() < offset) contents.resize(offset, '\0');
    contents.replace(offset, bytes.size(), bytes);
    write_file(path, contents);
    return contents;
}

std::vector<std::string> leading_words(const std::string& path)
{
    std::vector<std::string> words;
    for (const std::string& record : stored_records(path)) {
        words.push_back(record.substr(1, record.find_first_of(std::string(" \0", 2), 1) - 1));
    }
    return words;
}

}  // namespace vortel::testing
