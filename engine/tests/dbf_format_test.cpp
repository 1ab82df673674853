#include "engine/dbf_format.h"
#include "engine/file_handle.h"

#include "engine/tests/table_fixture.h"
#include "platform/file_ops.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <limits>
#include <tuple>
#include <string>
#include <vector>

namespace vortel {
namespace {

std::vector<field_list_entry> five_kinds()
{
    return {{"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}, {"BORN", 'D', 8, 0}, {"ACTIVE", 'L', 1, 0}, {"NOTES", 'M', 10, 0}};
}

field_descriptor descriptor_at(const std::vector<std::uint8_t>& bytes, int index)
{
    field_descriptor field;
    std::copy_n(bytes.begin() + dbf_header_size * (index + 1), dbf_descriptor_size, field.bytes.begin());
    return field;
}

TEST(dbf_format, headers_are_laid_out_byte_for_byte_round_trip_and_name_what_cannot_describe_a_table)
{
    std::vector<std::uint8_t> bytes = encode_new_table_header(five_kinds(), 2026, 12, 6);
    ASSERT_EQ(bytes.size(), 194u);
    // Version, years since 1900, month, day, no records, header and record lengths, reserved zeros.
    std::vector<std::uint8_t> head = {0x83, 126, 12, 6, 0, 0, 0, 0, 194, 0, 38, 0};
    head.resize(32, 0);
    EXPECT_EQ(std::vector(bytes.begin(), bytes.begin() + 32), head);
    EXPECT_EQ(std::vector(bytes.begin() + 192, bytes.end()), (std::vector<std::uint8_t>{0x0D, 0x00}));

    const int offsets[] = {1, 11, 19, 27, 28};
    for (int i = 0; i < 5; ++i) {
        field_descriptor field = descriptor_at(bytes, i);
        EXPECT_EQ(field.bytes[12] | field.bytes[13] << 8, offsets[i]);
        EXPECT_EQ(descriptor_name(field), five_kinds()[i].name);
        EXPECT_EQ(descriptor_type(field), five_kinds()[i].type);
        EXPECT_EQ(descriptor_length(field), five_kinds()[i].length);
        for (int b = 18; b < 32; ++b) EXPECT_EQ(field.bytes[b], 0);
    }
    const field_descriptor price = descriptor_at(bytes, 1);
    EXPECT_EQ(std::tuple(price.bytes[16], price.bytes[17], descriptor_decimals(price)), std::tuple(8, 2, 2));

    std::vector<field_list_entry> plain = {{"A", 'C', 5, 0}};
    EXPECT_EQ(encode_new_table_header(plain, 1999, 1, 2)[0], 0x03);
    EXPECT_EQ(encode_new_table_header(plain, 1999, 1, 2)[1], 99);
    EXPECT_EQ(encode_new_table_header(plain, 2155, 1, 2)[1], 255);

    // Headers round-trip and read their lengths unsigned: other tools write
    // record lengths above 32767.
    dbf_header header{.version = 0x83, .record_count = 70000, .header_length = 8193, .record_length = 40000};
    header.reserved[19] = 0x55;
    dbf_header back = decode_dbf_header(encode_dbf_header(header));
    EXPECT_EQ(std::tuple(back.record_count, back.header_length, back.record_length, back.reserved[19]),
              std::tuple(70000, 8193, 40000, 0x55));
    EXPECT_EQ(record_offset(back, 1), 8193);
    EXPECT_EQ(record_offset(back, 70000), 8193 + std::int64_t{69999} * 40000);

    // Layouts that cannot describe a table are named.
    const std::vector<field_descriptor> fields = {make_field_descriptor({"A", 'C', 10, 0}, 1),
                                                  make_field_descriptor({"B", 'N', 5, 0}, 11)};
    const auto header_of = [](std::uint16_t header_length, std::uint16_t record_length) {
        return dbf_header{.record_count = 2, .header_length = header_length, .record_length = record_length};
    };
    EXPECT_EQ(dbf_layout_problem(header_of(98, 16), fields, 98 + 32), "");
    EXPECT_NE(dbf_layout_problem(header_of(98, 15), fields, 200), "") << "record shorter than its fields";
    EXPECT_NE(dbf_layout_problem(header_of(98, 16), fields, 97), "") << "header past the end of the file";
    EXPECT_NE(dbf_layout_problem(header_of(33, 1), {}, 32), "") << "no fields, and a header past the end";
    EXPECT_NE(dbf_layout_problem(header_of(0, 1), {}, 64), "") << "no fields, and records starting inside the header";
    EXPECT_NE(dbf_layout_problem(header_of(32, 1), {}, 64), "") << "no fields, and no room for the end mark";
    // Records of nothing but their delete flags.
    const dbf_header bare = header_of(33, 1);
    EXPECT_EQ(dbf_layout_problem(bare, {}, 33 + 2), "");
    // Their end-of-file mark is one byte, as a record is: one byte after
    // the counted records is the mark, two are a record more.
    EXPECT_EQ(whole_records_in_file(bare, 33 + 2, 2), 2);
    EXPECT_EQ(whole_records_in_file(bare, 33 + 3, 2), 2);
    EXPECT_EQ(whole_records_in_file(bare, 33 + 4, 2), 4);
}

TEST(dbf_format, field_lengths_above_255_use_both_bytes_except_for_numbers_and_names_stop_at_ten)
{
    field_descriptor wide = make_field_descriptor({"TEXT", 'C', 300, 0}, 1);
    EXPECT_EQ(wide.bytes[16], 300 & 0xFF);
    EXPECT_EQ(wide.bytes[17], 1);
    EXPECT_EQ(descriptor_length(wide), 300);
    EXPECT_EQ(descriptor_decimals(wide), 0);
    EXPECT_TRUE(within_length_limits(wide)) << "character fields have no limit of their own";
    // Other programs' integer fields keep decimals there too.
    EXPECT_EQ(descriptor_length(testing::raw_descriptor('I', 4, 2)), 4);

    // Other programs write F as N: byte 17 is its decimal count, never a
    // length's high byte (F(19,11) read as N is 19 long, not 2835).
    const field_descriptor floating = testing::raw_descriptor('F', 19, 11);
    EXPECT_EQ(std::tuple(descriptor_length(floating), descriptor_decimals(floating)), std::tuple(19, 11));
    const field_descriptor written = make_field_descriptor({"F", 'F', 19, 11}, 1);
    EXPECT_EQ(std::tuple(written.bytes[16], written.bytes[17]), std::tuple(19, 11));

    field_descriptor number = make_field_descriptor({"N", 'N', 20, 5}, 1);
    EXPECT_EQ(descriptor_length(number), 20);
    EXPECT_TRUE(within_length_limits(number));
    EXPECT_FALSE(within_length_limits(make_field_descriptor({"N", 'N', 64, 0}, 1)));
    EXPECT_TRUE(within_length_limits(make_field_descriptor({"C", 'C', 255, 0}, 1)));

    field_descriptor date = make_field_descriptor({"D", 'D', 10, 0}, 1);
    normalise_date_length(date);
    EXPECT_EQ(descriptor_length(date), 8);
    field_descriptor text = make_field_descriptor({"C", 'C', 10, 0}, 1);
    normalise_date_length(text);
    EXPECT_EQ(descriptor_length(text), 10);

    // Names stop at the first zero byte and never run past ten.
    field_descriptor field;
    std::fill(field.bytes.begin(), field.bytes.end(), 'X');
    EXPECT_EQ(descriptor_name(field), "XXXXXXXXXX");
    field.bytes[3] = 0;
    EXPECT_EQ(descriptor_name(field), "XXX");
    EXPECT_EQ(descriptor_name(make_field_descriptor({"ELEVENCHARS", 'C', 1, 0}, 1)), "ELEVENCHAR");
}

class dbf_files_test : public ::testing::Test {
protected:
    file_handle open(const std::string& name)
    {
        file_handle handle(dir.file(name), 512);
        EXPECT_EQ(fh_open(handle, access_read | access_write, share_read | share_write, file_creation::open_always), 1);
        return handle;
    }

    // DATA.TXT holding these bytes, open for reading and writing.
    file_handle open_with(const std::string& bytes)
    {
        testing::write_file(path, bytes);
        return open("DATA.TXT");
    }

    std::vector<std::string> lines_of(const std::string& bytes, int capacity)
    {
        file_handle handle = open_with(bytes);
        std::vector<std::string> lines;
        std::string line = "stale";
        while (fh_read_line(handle, line, capacity)) lines.push_back(line);
        EXPECT_EQ(line, "");
        EXPECT_EQ(handle.end_of_file, 1);
        return lines;
    }

    testing::scratch_dir dir;
    std::string path = dir.file("DATA.TXT");
};

TEST_F(dbf_files_test, records_are_found_by_header_length_and_number_only)
{
    // The usual form written by other dBase tools: header length 32n + 33,
    // two records, then an end-of-file mark.
    std::string bytes = std::string("\x03\x63\x0C\x1F\x02\x00\x00\x00\x41\x00\x06\x00", 12) + std::string(20, '\0');
    bytes += std::string("CODE\0\0\0\0\0\0\0C\0\0\0\0\x05\0", 18) + std::string(14, '\0');
    bytes += "\x0D";
    bytes += " ABCDE*VWXYZ\x1A";
    testing::write_file(dir.file("OTHER.DBF"), bytes);

    file_handle file = open("OTHER.DBF");
    dbf_header header;
    ASSERT_TRUE(read_dbf_header(file, header));
    EXPECT_EQ(field_count_for_header_length(header.header_length), 1);
    std::vector<field_descriptor> fields;
    ASSERT_TRUE(read_field_descriptors(file, 1, fields));
    EXPECT_EQ(descriptor_name(fields[0]), "CODE");
    EXPECT_EQ(dbf_layout_problem(header, fields, fh_size(file)), "");
    std::uint8_t record[6];
    ASSERT_TRUE(read_record_bytes(file, header, 2, record));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record), 6), "*VWXYZ");
    std::uint8_t beyond[6];
    EXPECT_FALSE(read_record_bytes(file, header, 3, beyond)) << "only the end-of-file mark is left there";

    ASSERT_TRUE(write_record_count(file, 3));
    ASSERT_TRUE(write_record_bytes(file, header, 3, std::span<const std::uint8_t>(record, 6)));
    std::int32_t count = 0;
    ASSERT_TRUE(read_record_count(file, count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(testing::read_file(dir.file("OTHER.DBF")).substr(65), " ABCDE*VWXYZ*VWXYZ") << "the mark is overwritten";
}

TEST_F(dbf_files_test, memo_files_are_named_sized_by_block_and_their_texts_end_at_the_mark_a_zero_byte_or_the_file)
{
    file_handle memo = open("MEMO.DBT");
    auto block0 = new_dbt_header_block();
    std::size_t put = 0;
    ASSERT_EQ(fh_write(memo, block0.data(), block0.size(), put), 1);
    std::string long_text(700, 'L');
    ASSERT_TRUE(write_memo_text(memo, 2, long_text));
    ASSERT_TRUE(write_memo_text(memo, 4, "short"));
    EXPECT_EQ(fh_size(memo), 4 * 512 + 7) << "the last block is not filled";

    EXPECT_EQ(read_memo_text(memo, 2, 64000), long_text);
    EXPECT_EQ(read_memo_text(memo, 4, 64000), "short");
    EXPECT_EQ(read_memo_text(memo, 2, 600), long_text.substr(0, 600));
    EXPECT_EQ(read_memo_text(memo, 9, 64000), "") << "past the end of the file";
    EXPECT_EQ(read_memo_text(memo, 0, 64000), "");
    EXPECT_EQ(read_memo_text(memo, -3, 64000), "");
    EXPECT_EQ(read_memo_text(memo, std::numeric_limits<std::int64_t>::max(), 64000), "") << "too far for an offset";

    fh_seek(memo, 4 * 512 + 2, seek_origin::begin);
    ASSERT_EQ(fh_write(memo, "\0", 1, put), 1);
    EXPECT_EQ(read_memo_text(memo, 4, 64000), "sh");
    fh_seek(memo, 4 * 512, seek_origin::begin);
    ASSERT_EQ(fh_write(memo, "abcdef", 6, put), 1);
    EXPECT_EQ(read_memo_text(memo, 4, 64000), "abcdef") << "no terminator: the file's end ends it";

    dbt_header header;
    ASSERT_TRUE(read_dbt_header(memo, header));
    header.next_free_block = 5;
    ASSERT_TRUE(write_dbt_header(memo, header));
    ASSERT_TRUE(read_dbt_header(memo, header));
    EXPECT_EQ(std::tuple(header.next_free_block, header.rest[12]), std::tuple(5, 3));

    // Memo files are named after their table and sized by block.
    EXPECT_EQ(dbt_file_name("PEOPLE.DBF"), "PEOPLE.DBT");
    EXPECT_EQ(dbt_file_name("/data/x.dbf"), "/data/x.dbt") << "the letter case follows the table's";
    EXPECT_EQ(dbt_file_name("/data/x.db_"), "/data/x.dbT");
    EXPECT_EQ(dbt_file_name("NOEXT"), "NOEXT");
    EXPECT_EQ(dbt_file_name(""), "");

    // A memo's text and its two end marks.
    for (const auto& [length, blocks] : {std::pair{0, 1}, {510, 1}, {511, 2}, {600, 2}, {1023, 3}}) {
        EXPECT_EQ(memo_block_count(length), blocks) << length;
    }

    auto block = new_dbt_header_block();
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[16], 3);
    EXPECT_EQ(std::count(block.begin(), block.end(), 0), 510);
    const dbt_header fresh = decode_dbt_header(std::span<const std::uint8_t, 20>(block.data(), 20));
    EXPECT_EQ(std::tuple(fresh.next_free_block, fresh.rest[12]), std::tuple(1, 3));
    auto again = encode_dbt_header(fresh);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), block.begin()));
}

TEST_F(dbf_files_test, failed_and_empty_opens_and_reads_at_the_end_set_the_flags)
{
    file_handle missing(dir.file("NONE.DBF"), 512);
    EXPECT_EQ(fh_open(missing, access_read | access_write, share_read | share_write, file_creation::open_existing), 0);
    EXPECT_EQ(std::tuple(missing.end_of_file, missing.beginning_of_file), std::tuple(1, 1));
    EXPECT_EQ(fh_open(missing, access_read | access_write, share_read | share_write, file_creation::open_always), 1)
        << "still usable";
    EXPECT_EQ(fh_size(missing), 0);

    file_handle empty = open_with("");
    EXPECT_EQ(std::tuple(empty.end_of_file, empty.beginning_of_file), std::tuple(1, 1));
    file_handle full = open_with("x");
    EXPECT_EQ(full.end_of_file, 0);

    // A read at the end reports nothing and sets the end flag.
    file_handle handle = open_with("abc");
    handle.beginning_of_file = 1;
    char buffer[4] = {'q', 'q', 'q', 'q'};
    std::size_t got = 99;
    ASSERT_EQ(fh_read(handle, buffer, 4, got), 1);
    EXPECT_EQ(got, 3u) << "a short read is a success";
    EXPECT_EQ(std::tuple(handle.end_of_file, handle.beginning_of_file), std::tuple(0, 0));
    EXPECT_EQ(fh_read(handle, buffer, 4, got), 0);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(handle.end_of_file, 1);
    EXPECT_EQ(buffer[3], 'q');
}

TEST_F(dbf_files_test, lines_are_cut_at_cr_lf_in_pieces_of_the_capacity_and_failures_come_back_as_results)
{
    using lines = std::vector<std::string>;
    EXPECT_EQ(lines_of("AB\r\nCD", 512), (lines{"AB", "CD"}));
    EXPECT_EQ(lines_of("AB\r\nCD\r\n", 512), (lines{"AB", "CD"}));
    EXPECT_EQ(lines_of("\r\n\r\nx", 512), (lines{"", "", "x"}));
    EXPECT_EQ(lines_of("ABCDEFG\r\n", 4), (lines{"ABCD", "EFG\r", "\n"}));
    EXPECT_EQ(lines_of("A\rB\nC\r\n", 512), (lines{"A\rB\nC"})) << "only the pair ends a line";
    EXPECT_EQ(lines_of("", 512), lines{});

    file_handle handle = open_with("ABCDEFGH\r\n");
    fh_seek(handle, 100, seek_origin::begin);
    std::string line;
    EXPECT_EQ(fh_read_line(handle, line, 512), 0) << "beyond the end";
    EXPECT_EQ(handle.end_of_file, 1);

    // The handle keeps a copy of the last line, up to its own capacity.
    file_handle narrow(path, 3);
    ASSERT_EQ(fh_open(narrow, access_read, share_read | share_write, file_creation::open_existing), 1);
    ASSERT_EQ(fh_read_line(narrow, line, 512), 1);
    EXPECT_EQ(line, "ABCDEFGH");
    EXPECT_EQ(narrow.line_copy, "ABC");

    // System failures come back as results.
    file_handle failing_handle = open_with("abc");
    file_ops failing = system_file_ops();
    failing.write = [](int, const void*, std::size_t) -> ssize_t { errno = ENOSPC; return -1; };
    failing.read = [](int, void*, std::size_t) -> ssize_t { errno = EIO; return -1; };
    scoped_file_ops inject(failing);
    std::size_t count = 7;
    EXPECT_EQ(fh_write(failing_handle, "xyz", 3, count), 0);
    EXPECT_EQ(count, 0u);
    char buffer[3];
    EXPECT_EQ(fh_read(failing_handle, buffer, 3, count), 0);
    EXPECT_EQ(fh_read_line(failing_handle, line, 512), 0);
    EXPECT_EQ(fh_tell(failing_handle), 0) << "a failed line read keeps the position";
}

}  // namespace
}  // namespace vortel
