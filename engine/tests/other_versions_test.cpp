// Tables other dBase-family programs write, byte by byte as they write them:
// each opens read-only with a reason that says what it is, shows its values
// (binary numbers, dates and times, memos from FPT and dBase IV memo files),
// and refuses every change without touching a byte of its files.
#include "engine/field_decode.h"
#include "engine/table.h"
#include "engine/table_export.h"

#include "engine/tests/table_fixture.h"
#include "platform/file_ops.h"
#include "runtime/settings.h"
#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <optional>

namespace vortel {
namespace {

using testing::read_file;
using testing::write_file;
using namespace std::string_literals;

// `bytes` bytes of `value`, least significant first unless `big`.
std::string le(std::uint64_t value, int bytes, bool big = false)
{
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * (big ? bytes - 1 - i : i)));
    return out;
}

std::string be(std::uint64_t value, int bytes) { return le(value, bytes, true); }

std::string le_double(double value) { return le(std::bit_cast<std::uint64_t>(value), 8); }

// dBase 7's doubles: big-endian, sign bit set when positive, all bits
// inverted when negative.
std::string dbase7_double(double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return be(value < 0 ? ~bits : bits | std::uint64_t{1} << 63, 8);
}

struct shape_field {
    std::string name;
    char type;
    int length;
    int decimals = 0;
    std::uint8_t flags = 0;  // FoxPro: 0x02 nullable
};

struct table_shape {
    const char* what;
    std::uint8_t version;
    std::vector<shape_field> fields;
    std::vector<std::string> records;  // after the delete flag, as stored
    std::string memo_name = "";  // "" without a memo file
    std::string memo_bytes = "";
};

std::string table_bytes(const table_shape& shape)
{
    const bool dbase7 = shape.version == 0x04 || shape.version == 0x8C;
    const bool backlink = shape.version >= 0x30 && shape.version <= 0x32;
    const int stride = dbase7 ? 48 : 32;
    std::string descriptors;
    int record_length = 1;
    for (const shape_field& field : shape.fields) {
        std::string descriptor(static_cast<std::size_t>(stride), '\0');
        std::memcpy(descriptor.data(), field.name.data(), field.name.size());
        const std::size_t at = dbase7 ? 32 : 11;
        descriptor[at] = field.type;
        if (!dbase7) descriptor.replace(12, 4, le(static_cast<std::uint64_t>(record_length), 4));
        descriptor[dbase7 ? 33 : 16] = static_cast<char>(field.length);
        descriptor[dbase7 ? 34 : 17] = static_cast<char>(field.decimals);
        if (!dbase7) descriptor[18] = static_cast<char>(field.flags);
        descriptors += descriptor;
        record_length += field.length;
    }
    std::string head = dbase7 ? std::string(36, '\0') : "";  // language driver name and reserved bytes
    const std::size_t header_length = 32 + head.size() + descriptors.size() + 1 + (backlink ? 263 : 0);
    std::string bytes = std::string(1, static_cast<char>(shape.version)) + "\x7C\x02\x1D" +
                        le(shape.records.size(), 4) + le(header_length, 2) + le(static_cast<std::uint64_t>(record_length), 2) +
                        std::string(20, '\0');
    bytes += head + descriptors + "\x0D" + std::string(backlink ? 263 : 0, '\0');
    for (const std::string& record : shape.records) bytes += " " + record;
    return bytes + "\x1A";
}

// An FPT file of 64-byte blocks whose header fills the first 512 bytes:
// memos from block 8 on, one text each.
std::string fpt_file(const std::vector<std::string>& texts)
{
    std::string bytes = be(8 + 2 * texts.size(), 4) + std::string(2, '\0') + be(64, 2);
    bytes.resize(512, '\0');
    for (const std::string& text : texts) {
        std::string memo = be(1, 4) + be(text.size(), 4) + text;
        memo.resize(128, '\0');
        bytes += memo;
    }
    return bytes;
}

// A dBase IV memo file of 512-byte blocks, memos from block 1 on, each
// behind FF FF 08 00 and its length with those eight bytes.
std::string dbt4_file(const std::vector<std::string>& texts)
{
    std::string bytes = le(1 + texts.size(), 4) + std::string(16, '\0') + le(512, 2);
    bytes.resize(512, '\0');
    for (const std::string& text : texts) {
        std::string memo = std::string("\xFF\xFF\x08\x00", 4) + le(text.size() + 8, 4) + text;
        memo.resize(512, '\0');
        bytes += memo;
    }
    return bytes;
}

struct shape_case {
    table_shape shape;
    std::string reason;
    std::vector<std::string> rows;
    // What the exports write ("" for not tried): binary numbers as numbers, a
    // binary date as a date, timestamps and what cannot be shown as texts,
    // nulls as empty values, and never the null flags themselves.
    std::string csv = "";
    std::string jsonl = "";
};

std::vector<shape_case> shape_cases()
{
    const std::int64_t leap_day = 2460370;  // 2024.02.29 as a Julian day
    const std::int64_t afternoon = (13 * 3600 + 45 * 60 + 30) * 1000LL;
    return {
        {{"FoxPro 2 (0xF5): ten-digit memo block numbers into an FPT file",
          0xF5,
          {{"NAME", 'C', 6}, {"NOTE", 'M', 10}, {"MONEY", 'N', 7, 2}},
          {"Anna           8  12.50"s, "Bela  " + std::string(10, ' ') + "   0.00"},
          "T.FPT",
          fpt_file({"Anna's memo\r\nsecond line"})},
         "a FoxPro table (version 0xF5): shown read-only",
         {"Anna  |Anna's memo\r\nsecond line|  12.50", "Bela  ||   0.00"}},
        {{"Visual FoxPro (0x30): binary memo block numbers, the backlink after the terminator, a memo file "
          "named in the other letter case",
          0x30,
          {{"NAME", 'C', 4}, {"NOTE", 'M', 4}},
          {"Cili" + le(10, 4), "Dora" + le(0, 4)},
          "t.fpt",
          fpt_file({"first", "Cili's memo"})},
         "a Visual FoxPro table (version 0x30): shown read-only",
         {"Cili|Cili's memo", "Dora|"}},
        {{"Visual FoxPro (0x32): I, B, Y, T, a picture field and _NullFlags",
          0x32,
          {{"ID", 'I', 4},
           {"PRICE", 'B', 8, 2, 0x02},
           {"CASH", 'Y', 8},
           {"WHEN", 'T', 8, 0, 0x02},
           {"PHOTO", 'G', 4},
           {"_NullFlags", '0', 1, 0, 0x05}},
          {le(static_cast<std::uint32_t>(-7), 4) + le_double(12.5) + le(static_cast<std::uint64_t>(-32500), 8) +
               le(leap_day, 4) + le(afternoon, 4) + le(3, 4) + std::string(1, '\0'),
           le(2147483647, 4) + le_double(99) + le(12345678, 8) + le(leap_day, 4) + le(0, 4) + le(0, 4) + "\x03"}},
         "a Visual FoxPro table (version 0x32): shown read-only",
         {"-7|12.50|-3.2500|2024.02.29 13:45:30|<binary 4 bytes>|<binary 1 byte>",
          "2147483647||1234.5678||<binary 4 bytes>|<binary 1 byte>"},
         "ID,PRICE,CASH,WHEN,PHOTO\r\n"
         "-7,12.50,-3.2500,2024.02.29 13:45:30,<binary 4 bytes>\r\n"
         "2147483647,,1234.5678,,<binary 4 bytes>\r\n",
         "{\"ID\":-7,\"PRICE\":12.50,\"CASH\":-3.2500,\"WHEN\":\"2024.02.29 13:45:30\",\"PHOTO\":\"<binary 4 bytes>\"}\n"
         "{\"ID\":2147483647,\"PRICE\":null,\"CASH\":1234.5678,\"WHEN\":null,\"PHOTO\":\"<binary 4 bytes>\"}\n"},
        {{"dBase IV (0x8B): memos with their length in a DBT of 512-byte blocks",
          0x8B,
          {{"NAME", 'C', 4}, {"NOTE", 'M', 10}, {"BORN", 'D', 8}},
          {"Emil         119991231"s, "Feri" + std::string(10, ' ') + "        "},
          "T.DBT",
          dbt4_file({"dBase IV memo\x1A with its end mark inside"s})},
         "a dBase IV table (version 0x8B): shown read-only",
         {"Emil|dBase IV memo\x1A with its end mark inside|19991231"s, "Feri||        "}},
        {{"dBase 7 (0x04): 48-byte descriptors with long names; I, +, O and @",
          0x04,
          {{"COUNTER_WITH_LONG_NAME", 'I', 4}, {"AUTO", '+', 4}, {"RATIO", 'O', 8}, {"STAMP", '@', 8}},
          {be(0x7FFF'FFFF, 4) + be(0x8000'0001, 4) + dbase7_double(-2.25) +
               dbase7_double(static_cast<double>(leap_day * 86'400'000 + afternoon)),
           be(0x8000'0005, 4) + be(0x8000'0002, 4) + dbase7_double(1e6) + std::string(8, '\0')}},
         "a dBase 7 table (version 0x04): shown read-only",
         {"-1|1|-2.25|2024.02.29 13:45:30", "5|2|1000000|"},
         "COUNTER_WITH_LONG_NAME,AUTO,RATIO,STAMP\r\n-1,1,-2.25,2024.02.29 13:45:30\r\n5,2,1000000,\r\n",
         "{\"COUNTER_WITH_LONG_NAME\":-1,\"AUTO\":1,\"RATIO\":-2.25,\"STAMP\":\"2024.02.29 13:45:30\"}\n"
         "{\"COUNTER_WITH_LONG_NAME\":5,\"AUTO\":2,\"RATIO\":1000000,\"STAMP\":null}\n"},
        {{"dBase III (0x03) with a binary Q field, an integer and a three-byte binary date",
          0x03,
          {{"NAME", 'C', 4}, {"RAW", 'Q', 3}, {"COUNT", 'I', 2, 1}, {"DAY", 'D', 3}},
          {"Gizi" + std::string("\x00\x0D\x1A", 3) + le(static_cast<std::uint16_t>(-15), 2) + le(leap_day, 3)}},
         "field RAW Q(3) has a type dBase III does not know: shown read-only",
         {"Gizi|<binary 3 bytes>|-1.5|20240229"},
         "NAME,RAW,COUNT,DAY\r\nGizi,<binary 3 bytes>,-1.5,2024-02-29\r\n",
         "{\"NAME\":\"Gizi\",\"RAW\":\"<binary 3 bytes>\",\"COUNT\":-1.5,\"DAY\":\"2024-02-29\"}\n"},
        // No reason: a plain table stays editable.
        {{"dBase III (0x03) with every type it knows",
          0x03,
          {{"NAME", 'C', 4}, {"AMOUNT", 'N', 5, 1}, {"RATE", 'F', 6, 2}, {"DAY", 'D', 8}, {"OK", 'L', 1}},
          {"Hedi 12.5  1.2520240229T"}},
         "",
         {"Hedi| 12.5|  1.25|20240229|T"}},
    };
}

class other_versions_test : public ::testing::Test {
protected:
    void SetUp() override { settings_restore_defaults(); }

    // Writes the shape as t.dbf (and its memo file) in a fresh folder; gives the table's path.
    std::string write_shape(const table_shape& shape)
    {
        dir.emplace();
        write_file(dir->file("t.dbf"), table_bytes(shape));
        if (!shape.memo_name.empty()) write_file(dir->file(shape.memo_name), shape.memo_bytes);
        return dir->file("t.dbf");
    }

    std::string files(const table_shape& shape)
    {
        return read_file(dir->file("t.dbf")) + (shape.memo_name.empty() ? "" : read_file(dir->file(shape.memo_name)));
    }

    std::optional<testing::scratch_dir> dir;
};

TEST_F(other_versions_test, each_shape_opens_read_only_shows_and_exports_its_values_and_lets_no_change_reach_its_files)
{
    for (const shape_case& c : shape_cases()) {
        SCOPED_TRACE(c.shape.what);
        const std::string path = write_shape(c.shape);
        const std::string before = files(c.shape);
        EXPECT_EQ(testing::table_rows(path), c.rows);
        auto table = testing::open_table(path);
        EXPECT_EQ(table->read_only, c.reason);
        if (c.reason.empty()) continue;
        EXPECT_EQ(field_index(*table, c.shape.fields[0].name), 0) << "named by its whole name";
        for (const auto& [format, expected] :
             {std::pair{export_format::csv, c.csv}, std::pair{export_format::jsonl, c.jsonl}}) {
            if (expected.empty()) continue;
            ASSERT_EQ(export_table(*table, dir->file("out"), {.format = format}), export_written) << table->failure;
            EXPECT_EQ(read_file(dir->file("out")), expected);
        }
        ASSERT_EQ(go_to_exactly(*table, 1), 1);
        EXPECT_EQ(lock_record(*table), 0);
        (void)set_field_text(*table, 0, "X");
        EXPECT_EQ(write_record(*table), 0);
        EXPECT_EQ(append_blank(*table), 0);
        EXPECT_EQ(delete_record(*table), 0);
        for (int i = 0; i < field_count(*table); ++i) {
            if (field_type(*table, i) == 'M') {
                EXPECT_EQ(memo_write(*table, i, "new memo"), 0);
            }
        }
        EXPECT_EQ(lock_memo_header(*table), 0);
        EXPECT_EQ(read_only_refusal(*table), "The table is read-only: " + c.reason);
        table_close(*table);
        EXPECT_EQ(files(c.shape), before);
    }
}

TEST(field_decode_test, edge_values_read_as_their_values)
{
    const table_dialect fox = *dialect_of_version(0x30);
    const table_dialect dbase7 = *dialect_of_version(0x04);
    const struct {
        const char* what;
        const table_dialect& dialect;
        char type;
        int decimals;
        std::string bytes, shown;
    } cases[] = {
        {"smallest 32-bit integer", fox, 'I', 0, le(0x8000'0000, 4), "-2147483648"},
        {"dBase 7 zero", dbase7, 'I', 0, be(0x8000'0000, 4), "0"},
        {"dBase 7 smallest integer", dbase7, 'I', 0, be(0, 4), "-2147483648"},
        {"currency below one", fox, 'Y', 0, le(static_cast<std::uint64_t>(-1), 8), "-0.0001"},
        {"smallest currency", fox, 'Y', 0, le(0x8000'0000'0000'0000, 8), "-922337203685477.5808"},
        {"double with its decimals", fox, 'B', 3, le_double(-0.5), "-0.500"},
        {"double that is no number", fox, 'B', 0, le(0x7FF8'0000'0000'0000, 8), ""},
        {"blank date-time", fox, 'T', 0, std::string(8, '\0'), ""},
        {"midnight of a day", fox, 'T', 0, le(2451545, 4) + le(0, 4), "2000.01.01 00:00:00"},
        {"a time past the day's end", fox, 'T', 0, le(2451545, 4) + le(86'400'000, 4), ""},
        {"dBase 7 positive double", dbase7, 'O', 0, dbase7_double(0.125), "0.125"},
        {"blank dBase 7 timestamp", dbase7, '@', 0, std::string(8, '\0'), ""},
        {"four-byte memo number", fox, 'M', 0, le(123456, 4), "123456"},
        {"ten-digit memo number, read as text", fox, 'M', 0, "        12", "(text)"},
        {"general field", fox, 'G', 0, le(5, 4), "<binary 4 bytes>"},
        {"integer of an unusual length in dBase 7", dbase7, 'I', 0, "\x01\x02", "<binary 2 bytes>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const field_descriptor field = testing::raw_descriptor(c.type, c.bytes.size(), c.decimals);
        const auto* data = reinterpret_cast<const std::uint8_t*>(c.bytes.data());
        const std::optional<std::string> shown = decoded_field_text(c.dialect, field, std::span(data, c.bytes.size()));
        EXPECT_EQ(shown.value_or("(text)"), c.shown);
    }
    EXPECT_EQ(julian_day_digits(1721426), "00010101");
    EXPECT_EQ(julian_day_digits(1721425), "");
    EXPECT_EQ(julian_day_digits(2299161), "15821015");  // the first Gregorian day
}

}  // namespace
}  // namespace vortel
