#include "engine/dbf_format.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vortel {
namespace {

std::uint16_t get16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

std::int32_t get32(const std::uint8_t* at)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
                                     static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24);
}

void put16(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::int32_t value)
{
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace

dbf_header decode_dbf_header(std::span<const std::uint8_t, dbf_header_size> bytes)
{
    dbf_header header;
    header.version = bytes[0];
    header.update_year = bytes[1];
    header.update_month = bytes[2];
    header.update_day = bytes[3];
    header.record_count = get32(&bytes[4]);
    header.header_length = get16(&bytes[8]);
    header.record_length = get16(&bytes[10]);
    std::copy(bytes.begin() + 12, bytes.end(), header.reserved.begin());
    return header;
}

std::array<std::uint8_t, dbf_header_size> encode_dbf_header(const dbf_header& header)
{
    std::array<std::uint8_t, dbf_header_size> bytes{};
    bytes[0] = header.version;
    bytes[1] = header.update_year;
    bytes[2] = header.update_month;
    bytes[3] = header.update_day;
    put32(&bytes[4], header.record_count);
    put16(&bytes[8], header.header_length);
    put16(&bytes[10], header.record_length);
    std::copy(header.reserved.begin(), header.reserved.end(), bytes.begin() + 12);
    return bytes;
}

int field_count_for_header_length(int header_length)
{
    return header_length < dbf_header_size ? 0 : (header_length - dbf_header_size) / dbf_descriptor_size;
}

std::int64_t record_offset(const dbf_header& header, std::int64_t number)
{
    return header.header_length + (number - 1) * header.record_length;
}

field_descriptor make_field_descriptor(const field_list_entry& field, int offset_in_record)
{
    field_descriptor descriptor;
    std::uint8_t* bytes = descriptor.bytes.data();
    std::memcpy(bytes, field.name.data(), std::min<std::size_t>(field.name.size(), 10));
    bytes[11] = static_cast<std::uint8_t>(field.type);
    put32(&bytes[12], offset_in_record);
    if (is_number_type(field.type)) {
        bytes[16] = static_cast<std::uint8_t>(field.length);
        bytes[17] = static_cast<std::uint8_t>(field.decimals);
    } else {
        put16(&bytes[16], static_cast<std::uint32_t>(field.length));
    }
    return descriptor;
}

std::string descriptor_name(const field_descriptor& field)
{
    const auto* name = reinterpret_cast<const char*>(field.bytes.data());
    return std::string(name, ::strnlen(name, 10));
}

char descriptor_type(const field_descriptor& field) { return static_cast<char>(field.bytes[11]); }

bool is_number_type(char type) { return type == 'N' || type == 'F'; }

int descriptor_length(const field_descriptor& field)
{
    return descriptor_type(field) == 'C' ? get16(&field.bytes[16]) : field.bytes[16];
}

int descriptor_decimals(const field_descriptor& field)
{
    return is_number_type(descriptor_type(field)) ? field.bytes[17] : 0;
}

void normalise_date_length(field_descriptor& field)
{
    if (descriptor_type(field) == 'D') put16(&field.bytes[16], 8);
}

bool within_length_limits(const field_descriptor& field)
{
    return !is_number_type(descriptor_type(field)) || descriptor_length(field) <= dbf_numeric_length_max;
}

std::string dbf_layout_problem(const dbf_header& header, const std::vector<field_descriptor>& fields,
                               std::int64_t file_size)
{
    if (header.header_length > file_size) return "the header runs past the end of the file";
    // Records start where the header says it ends: a shorter header would
    // put the first record over the header's own bytes.
    if (header.header_length < dbf_header_size + 1) {
        return "the header length (" + std::to_string(header.header_length) +
               " bytes) is shorter than a header and its end mark (" + std::to_string(dbf_header_size + 1) +
               " bytes)";
    }
    std::int64_t needed = 1;  // the delete flag
    for (const field_descriptor& field : fields) needed += descriptor_length(field);
    if (header.record_length < needed) {
        return "the records (" + std::to_string(header.record_length) + " bytes) are shorter than their fields (" +
               std::to_string(needed) + " bytes with the delete flag)";
    }
    return {};
}

std::int64_t whole_records_in_file(const dbf_header& header, std::int64_t file_size, std::int64_t counted)
{
    if (header.record_length == 0 || file_size <= header.header_length) return 0;
    const std::int64_t whole = (file_size - header.header_length) / header.record_length;
    return header.record_length == 1 && whole == counted + 1 ? counted : whole;
}

std::vector<std::uint8_t> encode_new_table_header(const std::vector<field_list_entry>& fields, int year, int month,
                                                  int day)
{
    dbf_header header;
    int record_length = 1;
    bool has_memo = false;
    std::vector<field_descriptor> descriptors;
    for (const field_list_entry& field : fields) {
        descriptors.push_back(make_field_descriptor(field, record_length));
        record_length += field.length;
        has_memo = has_memo || field.type == 'M';
    }
    header.version = has_memo ? dbf_version_with_memo : dbf_version_plain;
    header.update_year = static_cast<std::uint8_t>(std::clamp(year - 1900, 0, 255));
    header.update_month = static_cast<std::uint8_t>(month);
    header.update_day = static_cast<std::uint8_t>(day);
    header.header_length = static_cast<std::uint16_t>(dbf_descriptor_size * (fields.size() + 1) + 2);
    header.record_length = static_cast<std::uint16_t>(record_length);

    auto head = encode_dbf_header(header);
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    for (const field_descriptor& descriptor : descriptors) {
        bytes.insert(bytes.end(), descriptor.bytes.begin(), descriptor.bytes.end());
    }
    bytes.push_back(dbf_header_terminator);
    bytes.push_back(0);
    return bytes;
}

std::string dbt_file_name(const std::string& dbf_file_name)
{
    std::string name = dbf_file_name;
    if (!name.empty()) name.back() = name.back() >= 'a' && name.back() <= 'z' ? 't' : 'T';
    return name;
}

dbt_header decode_dbt_header(std::span<const std::uint8_t, dbt_header_copy_size> bytes)
{
    dbt_header header;
    header.next_free_block = get32(&bytes[0]);
    std::copy(bytes.begin() + 4, bytes.end(), header.rest.begin());
    return header;
}

std::array<std::uint8_t, dbt_header_copy_size> encode_dbt_header(const dbt_header& header)
{
    std::array<std::uint8_t, dbt_header_copy_size> bytes{};
    put32(&bytes[0], header.next_free_block);
    std::copy(header.rest.begin(), header.rest.end(), bytes.begin() + 4);
    return bytes;
}

std::array<std::uint8_t, dbt_block_size> new_dbt_header_block()
{
    std::array<std::uint8_t, dbt_block_size> block{};
    put32(&block[0], 1);
    block[16] = dbt_version_marker;
    return block;
}

std::int64_t memo_block_count(std::int64_t text_length) { return (text_length + 1) / dbt_block_size + 1; }

std::size_t memo_text_length(std::span<const std::uint8_t> bytes)
{
    auto end = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == memo_end_mark || b == 0; });
    return static_cast<std::size_t>(end - bytes.begin());
}

bool read_dbf_header(file_handle& file, dbf_header& header)
{
    std::array<std::uint8_t, dbf_header_size> bytes;
    if (!fh_seek_and_read(file, 0, bytes.data(), bytes.size())) return false;
    header = decode_dbf_header(bytes);
    return true;
}

bool write_dbf_header(file_handle& file, const dbf_header& header)
{
    auto bytes = encode_dbf_header(header);
    return fh_seek_and_write(file, 0, bytes.data(), bytes.size());
}

bool read_record_count(file_handle& file, std::int32_t& count)
{
    std::uint8_t bytes[4];
    if (!file.os.read_whole_at(4, bytes, sizeof bytes)) return false;
    count = get32(bytes);
    return true;
}

bool write_record_count(file_handle& file, std::int32_t count)
{
    std::uint8_t bytes[4];
    put32(bytes, count);
    return fh_seek_and_write(file, 4, bytes, sizeof bytes);
}

bool read_field_descriptors(file_handle& file, int count, std::vector<field_descriptor>& fields)
{
    fields.assign(static_cast<std::size_t>(std::max(count, 0)), field_descriptor{});
    if (fields.empty()) return true;
    return fh_seek_and_read(file, dbf_header_size, fields.data(), fields.size() * sizeof(field_descriptor));
}

bool read_record_bytes(file_handle& file, const dbf_header& header, std::int64_t number,
                       std::span<std::uint8_t> record)
{
    return fh_seek_and_read(file, record_offset(header, number), record.data(), record.size());
}

bool write_record_bytes(file_handle& file, const dbf_header& header, std::int64_t number,
                        std::span<const std::uint8_t> record)
{
    return fh_seek_and_write(file, record_offset(header, number), record.data(), record.size());
}

bool read_dbt_header(file_handle& file, dbt_header& header)
{
    std::array<std::uint8_t, dbt_header_copy_size> bytes;
    if (!fh_seek_and_read(file, 0, bytes.data(), bytes.size())) return false;
    header = decode_dbt_header(bytes);
    return true;
}

bool write_dbt_header(file_handle& file, const dbt_header& header)
{
    auto bytes = encode_dbt_header(header);
    return fh_seek_and_write(file, 0, bytes.data(), bytes.size());
}

bool read_memo_text_checked(file_handle& file, std::int64_t block, std::size_t max_length, std::string& text)
{
    text.clear();
    // A block too far out to have a file offset lies past the end of any file.
    if (block <= 0 || block > std::numeric_limits<std::int64_t>::max() / dbt_block_size) return true;
    if (fh_seek(file, block * dbt_block_size, seek_origin::begin) < 0) return false;
    std::array<std::uint8_t, dbt_block_size> chunk;
    while (text.size() < max_length) {
        std::size_t got = 0;
        if (!fh_read(file, chunk.data(), chunk.size(), got)) return file.end_of_file != 0;
        if (got == 0) break;
        std::size_t length = memo_text_length(std::span(chunk.data(), got));
        length = std::min(length, max_length - text.size());
        text.append(reinterpret_cast<const char*>(chunk.data()), length);
        if (length < got) break;
    }
    return true;
}

std::string read_memo_text(file_handle& file, std::int64_t block, std::size_t max_length)
{
    std::string text;
    read_memo_text_checked(file, block, max_length, text);
    return text;
}

bool write_memo_text(file_handle& file, std::int64_t block, std::string_view text)
{
    std::string bytes(text);
    bytes += memo_terminator;
    return fh_seek_and_write(file, block * dbt_block_size, bytes.data(), bytes.size());
}

}  // namespace vortel
