// Memo texts read from an arbitrary memo file, and one stored into it: a
// memo file with a damaged header or missing end marks must never crash the
// program, and a memo that memo_write reports as stored reads back whole.
//
// The table file is fixed: three records whose memo fields name blocks 1, 2
// and a block the input chooses. Input: a flags byte, that block number (four
// bytes, little-endian, signed), then the memo file.
//   bit 0: store a memo into the first record under the table lock
//   bit 1: the stored memo is longer than one block
//   bit 2: SET_OEMTOANSI is on
#include "engine/dbf_format.h"
#include "engine/table.h"
#include "fuzz/fuzz_support.h"
#include "runtime/settings.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace vortel;

constexpr int memo_field = 1;

std::string padded_left(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text.substr(0, width) : std::string(width - text.size(), ' ') + text;
}

std::vector<std::uint8_t> table_file(std::int32_t chosen_block)
{
    std::vector<std::uint8_t> bytes = encode_new_table_header({{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}}, 2024, 5, 1);
    dbf_header header = decode_dbf_header(std::span<const std::uint8_t, dbf_header_size>(bytes.data(), dbf_header_size));
    header.record_count = 3;
    const auto head = encode_dbf_header(header);
    std::copy(head.begin(), head.end(), bytes.begin());
    for (const std::string& block : {std::string("1"), std::string("2"), std::to_string(chosen_block)}) {
        const std::string record = " NAME      " + padded_left(block, 10);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    if (input.size() < 5) return 0;
    const std::uint8_t flags = input[0];
    const auto chosen_block = static_cast<std::int32_t>(static_cast<std::uint32_t>(input[1]) |
                                                        static_cast<std::uint32_t>(input[2]) << 8 |
                                                        static_cast<std::uint32_t>(input[3]) << 16 |
                                                        static_cast<std::uint32_t>(input[4]) << 24);
    const std::string dbf_name = fuzz::scratch_folder() + "M.DBF";
    fuzz::write_file(dbf_name, table_file(chosen_block));
    fuzz::write_file(fuzz::scratch_folder() + "M.DBT", input.subspan(5));

    settings_restore_defaults();
    setting_by_index(SET_OEMTOANSI, (flags & 4) != 0 ? "1" : "0");
    table_object table(dbf_name);
    if (!table_open(table)) fuzz::fail("the fixed table does not open");
    (void)memo_read(table, std::to_string(chosen_block));
    for (go_top(table); !at_eof(table); skip(table, 1)) {
        (void)memo_read(table, field_text(table, memo_field));
        if (current_record(table) == record_count(table)) break;
    }

    if ((flags & 1) != 0 && lock_table(table)) {
        go_to(table, 1);
        std::string text;
        for (std::size_t i = 0; i < ((flags & 2) != 0 ? 700u : 20u); ++i) text += static_cast<char>('a' + i % 26);
        if (memo_write(table, memo_field, text) == 1 && memo_read(table, field_text(table, memo_field)) != text) {
            fuzz::fail("a stored memo does not read back");
        }
        unlock(table);
    }
    return 0;
}
