// The two table files byte by byte: the DBF table file (header, field
// descriptors, records) and the DBT memo file (header block, memo blocks).
// All numbers are little-endian. This is the only code that knows where a
// byte of either file lives.
//
// Reading is lenient where real files differ (a header length of 32n + 33 or
// 32n + 34, date fields stored with another length, an end-of-file mark or
// other bytes after the last record); writing is strict.
#pragma once

#include "engine/field_list_entry.h"
#include "engine/file_handle.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vortel {

inline constexpr std::uint8_t dbf_version_plain = 0x03;
inline constexpr std::uint8_t dbf_version_with_memo = 0x83;
inline constexpr int dbf_header_size = 32;
inline constexpr int dbf_descriptor_size = 32;
inline constexpr char dbf_deleted_mark = '*';
inline constexpr char dbf_live_mark = ' ';
inline constexpr std::uint8_t dbf_header_terminator = 0x0D;
// A number longer than this makes a table unopenable (except in the last
// field). Other lengths fit their bytes whatever they are.
inline constexpr int dbf_numeric_length_max = 63;

inline constexpr int dbt_block_size = 512;
inline constexpr int dbt_header_copy_size = 20;
inline constexpr std::uint8_t dbt_version_marker = 3;
inline constexpr std::uint8_t memo_end_mark = 0x1A;
// Written after every memo text: readers stop at the first mark, and some
// other programs look for the pair.
inline constexpr std::string_view memo_terminator = "\x1A\x1A";

struct dbf_header {
    std::uint8_t version = dbf_version_plain;
    std::uint8_t update_year = 0;  // years since 1900, as every dBase reader counts them
    std::uint8_t update_month = 0;
    std::uint8_t update_day = 0;
    std::int32_t record_count = 0;
    // Unsigned: other tools write record lengths above 32767.
    std::uint16_t header_length = 0;
    std::uint16_t record_length = 0;
    std::array<std::uint8_t, 20> reserved{};
};

dbf_header decode_dbf_header(std::span<const std::uint8_t, dbf_header_size> bytes);
std::array<std::uint8_t, dbf_header_size> encode_dbf_header(const dbf_header& header);

// Fields described by a header length: (header length - 32) / 32.
int field_count_for_header_length(int header_length);

// The start of record `number` (counting from 1).
std::int64_t record_offset(const dbf_header& header, std::int64_t number);

// A field descriptor as stored; kept whole, as the reserved bytes are.
struct field_descriptor {
    std::array<std::uint8_t, dbf_descriptor_size> bytes{};
};

field_descriptor make_field_descriptor(const field_list_entry& field, int offset_in_record);

std::string descriptor_name(const field_descriptor& field);  // up to the first zero byte, at most 10
char descriptor_type(const field_descriptor& field);
// Character fields: the 16-bit value at bytes 16-17, so that one longer
// than 255 keeps its length's high byte where a number keeps its decimals.
// Every other type: byte 16 (0-255); byte 17 is the decimal count of
// numbers (N, and F, which other programs store as text exactly like N) and
// of the binary numbers other programs write.
int descriptor_length(const field_descriptor& field);
// Numbers: byte 17. Other types: 0.
int descriptor_decimals(const field_descriptor& field);
// N and F: the types whose descriptors hold a length and a decimal count.
bool is_number_type(char type);
// Date fields are always eight digits, whatever length a file claims.
void normalise_date_length(field_descriptor& field);
bool within_length_limits(const field_descriptor& field);

// Why these numbers cannot describe a table that fits its file, or "" when
// they can: a header or field area past the end of the file, or records
// shorter than their delete flag and fields. A table without fields is a
// table: its records are their delete flags. The record count is
// left to the judgement of engine/table_verdict.h.
std::string dbf_layout_problem(const dbf_header& header, const std::vector<field_descriptor>& fields,
                               std::int64_t file_size);

// Whole records a file of `file_size` bytes holds after its header: an
// end-of-file mark or a record cut short does not count. Records of one
// byte (a table without fields) cannot tell an end-of-file mark from a
// record by size: one byte after the `counted` records is taken as the mark.
std::int64_t whole_records_in_file(const dbf_header& header, std::int64_t file_size, std::int64_t counted);

// The header, descriptors and terminator of a new, empty table: version 0x83
// when some field is a memo, the given date of creation, header length
// 32n + 34.
std::vector<std::uint8_t> encode_new_table_header(const std::vector<field_list_entry>& fields, int year,
                                                  int month, int day);

// The memo file that goes with a table file: its last character becomes
// "T", or "t" when it is a small letter, so that notes.dbf goes with
// notes.dbt as programs on case-sensitive systems write it. An existing memo
// file is found whatever its letter case (platform/companion_file.h).
std::string dbt_file_name(const std::string& dbf_file_name);

// The first 20 bytes of the memo file.
struct dbt_header {
    std::int32_t next_free_block = 1;
    std::array<std::uint8_t, 16> rest{};  // byte 16 of the file is rest[12]
};

dbt_header decode_dbt_header(std::span<const std::uint8_t, dbt_header_copy_size> bytes);
std::array<std::uint8_t, dbt_header_copy_size> encode_dbt_header(const dbt_header& header);
// Block 0 of a new memo file: next free block 1, version marker 3.
std::array<std::uint8_t, dbt_block_size> new_dbt_header_block();

// Blocks a memo of `text_length` characters takes, its end mark included.
std::int64_t memo_block_count(std::int64_t text_length);
// Length of the memo text at the start of `bytes`: up to the first end mark
// or zero byte, or all of it.
std::size_t memo_text_length(std::span<const std::uint8_t> bytes);

// File-level helpers. Each positions the file itself and leaves the
// position after what it read or wrote; each gives false when the bytes
// could not be read or written whole.
bool read_dbf_header(file_handle& file, dbf_header& header);
bool write_dbf_header(file_handle& file, const dbf_header& header);
// Reads the count without moving the file position, which stays after the
// current record.
bool read_record_count(file_handle& file, std::int32_t& count);
bool write_record_count(file_handle& file, std::int32_t count);
bool read_field_descriptors(file_handle& file, int count, std::vector<field_descriptor>& fields);
bool read_record_bytes(file_handle& file, const dbf_header& header, std::int64_t number, std::span<std::uint8_t> record);
bool write_record_bytes(file_handle& file, const dbf_header& header, std::int64_t number,
                        std::span<const std::uint8_t> record);
bool read_dbt_header(file_handle& file, dbt_header& header);
bool write_dbt_header(file_handle& file, const dbt_header& header);
// The memo text starting at `block`, without its end mark; at most
// `max_length` characters. A block past the end of the file gives "".
std::string read_memo_text(file_handle& file, std::int64_t block, std::size_t max_length);
// The same into `text`; false when a seek or read failed on the way, so that
// a copy does not take a memo cut short by an error for the whole memo. The
// end of the file ends a memo without failing.
bool read_memo_text_checked(file_handle& file, std::int64_t block, std::size_t max_length, std::string& text);
// The text and the terminator at `block`; the rest of the last block is left.
bool write_memo_text(file_handle& file, std::int64_t block, std::string_view text);

}  // namespace vortel
