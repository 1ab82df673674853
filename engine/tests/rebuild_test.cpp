#include "engine/append_from.h"
#include "engine/create_table.h"
#include "engine/field_copy.h"
#include "engine/pack_zap.h"
#include "engine/record_copy.h"
#include "engine/sort_table.h"

#include "engine/tests/table_test_base.h"
#include "platform/clock.h"

#include <filesystem>
#include <numeric>
#include <random>
#include <set>

namespace vortel {
namespace {

using testing::files_in;

const std::vector<field_list_entry> sort_fields = {{"NAME", 'C', 6, 0}, {"CITY", 'C', 3, 0}, {"N", 'N', 5, 0}};
const std::vector<field_list_entry> memo_fields = {{"KEY", 'C', 8, 0}, {"AMOUNT", 'N', 8, 2}, {"NOTES", 'M', 10, 0}};

class rebuild_test : public testing::table_test_base {
protected:
    // A memo table whose record i carries key "Ki", amount i and memos[i - 1]
    // ("" for none); `deleted` lists record numbers carrying the mark.
    std::unique_ptr<table_object> memo_table(const std::vector<std::string>& memos, std::set<int> deleted = {})
    {
        std::vector<int> numbers(memos.size());
        std::iota(numbers.begin(), numbers.end(), 1);
        return numbered_memo_table(path, numbers, memos, deleted);
    }

    // The same at `file`, record i carrying key and amount numbers[i - 1];
    // the memos are stored one by one through memo_write, in record order.
    std::unique_ptr<table_object> numbered_memo_table(const std::string& file, const std::vector<int>& numbers,
                                                      const std::vector<std::string>& memos, std::set<int> deleted = {})
    {
        std::vector<testing::fixture_record> records;
        for (std::size_t i = 1; i <= memos.size(); ++i) {
            const std::string number = std::to_string(numbers[i - 1]);
            std::string amount = number + ".00";
            amount.insert(0, 8 - amount.size(), ' ');
            records.push_back({record_of(memo_fields, {"K" + number, amount}), deleted.count(static_cast<int>(i)) != 0});
        }
        auto table = open_new_table(file, memo_fields, records);
        put_memos(*table, 2, memos);
        return table;
    }

    // The table's live records packed into COPY.DBF, started from the
    // table's header area as the rebuild starts it; its name, or "".
    std::string pack_table(table_object& table)
    {
        const std::string copy = dir.file("COPY.DBF");
        std::filesystem::remove(copy);
        std::filesystem::remove(dbt_file_name(copy));
        const std::vector<std::uint8_t> area = copy_header_area(table);
        testing::write_file(copy, std::string(area.begin(), area.end()));
        if (area[0] == dbf_version_with_memo) {
            const auto block = new_dbt_header_block();
            testing::write_file(dbt_file_name(copy), std::string(block.begin(), block.end()));
        }
        auto target = table_new(copy);
        if (!table_open(*target) || !lock_table(*target) || !lock_table(table)) return {};
        const int packed = pack_records(table, *target);
        unlock(table);
        return packed ? copy : std::string();
    }

    // The table's records sorted by `key` into a copy of its file under
    // `budget`; the copy's bytes, or "" when the sort failed.
    std::string sorted_copy(const std::vector<int>& key, const sort_options& options)
    {
        const std::string copy_path = dir.file("SORTED.DBF");
        std::filesystem::copy_file(path, copy_path, std::filesystem::copy_options::overwrite_existing);
        const std::unique_ptr<table_object> table = table_new(path);
        std::unique_ptr<table_object> copy = table_new(copy_path);
        if (!table_open(*table) || !table_open(*copy) || !lock_table(*table)) return "";
        const int sorted = write_sorted_records(*table, key, copy->dbf, options);
        unlock(*table);
        copy.reset();
        return sorted ? read_file(copy_path) : "";
    }
};

// The header encoder's own layout is checked byte by byte elsewhere; here
// the file must hold exactly that header, a memo file only for a memo field,
// and nothing at all for a list the header cannot hold.
TEST_F(rebuild_test, create_table_writes_the_header_and_memo_header_or_refuses_leaving_no_file_and_a_copy_starts_from_the_table_s_header)
{
    const std::vector<std::vector<field_list_entry>> cases = {
        {{"NAME", 'C', 10, 0}, {"NOTES", 'M', 10, 0}},
        {{"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}},
        {},
        {{"AMOUNT", 'N', 300, 0}},
        std::vector<field_list_entry>(300, {"WIDE", 'C', 255, 0}),  // records longer than 65535
    };
    for (const auto& fields : cases) {
        SCOPED_TRACE(fields.size());
        for (const std::string& name : files_in(dir.path())) std::filesystem::remove(dir.file(name));
        const bool sound = fields.size() == 2;
        const local_time today = local_time_now();
        ASSERT_EQ(create_table(*table_new(path), fields), sound ? 1 : 0);
        if (!sound) {
            EXPECT_TRUE(files_in(dir.path()).empty());
            continue;
        }
        std::vector<std::uint8_t> header = encode_new_table_header(fields, today.year, today.month, today.day);
        header[29] = 0x64;  // code page 852, as SET_OEMTOANSI "1" reads tables
        EXPECT_EQ(read_file(path), std::string(header.begin(), header.end()));
        const bool memo = fields[1].type == 'M';
        const auto block = new_dbt_header_block();
        EXPECT_EQ(read_file(dbt_file_name(path)), memo ? std::string(block.begin(), block.end()) : "");
        EXPECT_EQ(files_in(dir.path()).size(), memo ? 2u : 1u) << "a memo file only with a memo field";
        auto table = open_table(path);
        EXPECT_EQ(record_count(*table), 0);
        EXPECT_EQ(field_info(*table, 1).length, fields[1].length);
    }

    // A copy starts from the table's own header area.
    // Bytes other programs keep in the header (the code page in byte 29, a
    // flag in byte 28, descriptor bytes we never write) stay; the count is
    // zero and the date today's.
    auto table = memo_table({"a", "b"});
    table.reset();
    testing::patch_file(path, 28, "\x01\x4D");
    const std::string bytes = testing::patch_file(path, 32 + 20, "\x07");
    table = open_table(path);
    const std::vector<std::uint8_t> area = copy_header_area(*table);
    ASSERT_EQ(area.size(), table->header.header_length);
    const local_time today = local_time_now();
    std::string expected = bytes.substr(0, area.size());
    expected.replace(1, 7, std::string{char(today.year - 1900), char(today.month), char(today.day), 0, 0, 0, 0});
    EXPECT_EQ(std::string(area.begin(), area.end()), expected);
}

TEST_F(rebuild_test, pack_keeps_live_records_in_order_with_their_memos_whole)
{
    const std::string long_memo = std::string(70000, 'L') + "end";
    for (const bool hide_deleted : {false, true}) {
        SCOPED_TRACE(hide_deleted);
        auto table = memo_table({"first", "gone", long_memo, "", "v1"}, {2});
        ASSERT_EQ(lock_table(*table), 1);
        go_to(*table, 5);
        ASSERT_EQ(memo_write(*table, 2, std::string(2000, 'x')), 1);
        ASSERT_EQ(memo_write(*table, 2, "last"), 1);  // leaves replaced memos behind
        unlock(*table);
        table->navigation.hide_deleted = hide_deleted;
        go_to(*table, 3);

        const std::string copy = pack_table(*table);
        ASSERT_NE(copy, "");
        EXPECT_EQ(current_record(*table), 3);
        EXPECT_EQ(table->texts_as_stored, 0);
        const std::vector<std::string> expected = {"K1      |    1.00|first", "K3      |    3.00|" + long_memo,
                                                   "K4      |    4.00|", "K5      |    5.00|last"};
        EXPECT_EQ(testing::table_rows(copy), expected);

        // Blocks 2, 3-139 and 140; a record without a memo takes none.
        const std::string dbt = testing::read_file(dbt_file_name(copy));
        EXPECT_EQ(dbt.substr(0, 4), std::string("\x8D\0\0\0", 4));
        EXPECT_EQ(dbt.size(), 140u * 512 + 6);
    }

    // Stored bytes pass through unconverted.
    std::string oem;
    for (int c = 0x80; c <= 0xFF; ++c) oem += char(c);
    const std::vector<field_list_entry> fields = {{"RAW", 'C', 128, 0}, {"NOTES", 'M', 10, 0}};
    auto table = open_new_table(path, fields, {{record_of(fields, {oem})}});
    choose_code_page(*table, code_page::cp1250);
    put_memos(*table, 1, {oem});
    choose_code_page(*table, code_page::cp852);

    const std::string copy = pack_table(*table);
    ASSERT_NE(copy, "");
    EXPECT_EQ(table->texts_as_stored, 0);
    const std::string dbf = testing::read_file(copy);
    EXPECT_EQ(dbf.substr(dbf.size() - 138, 128), oem);
    EXPECT_EQ(testing::read_file(dbt_file_name(copy)).substr(1024), oem + "\x1A\x1A");
}

// A copy places its memos in memory and writes them in large blocks; the
// files must hold the bytes that storing the memos one by one through
// memo_write gives: the same blocks, the same gaps, the same header.
TEST_F(rebuild_test, pack_and_append_write_the_memo_bytes_of_storing_each_memo_alone)
{
    std::vector<std::string> many(3000);
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = std::string(i * 7 % 1500, char('a' + i % 26));
    const struct {
        const char* name;
        std::vector<std::string> memos;
        std::set<int> deleted;
    } cases[] = {
        {"short and none", {"a", "", "bc", ""}, {}},
        {"around a block", {std::string(509, 'x'), std::string(510, 'y'), std::string(511, 'z'), std::string(512, 'w'),
                            std::string(513, 'v')}, {2}},
        {"long", {std::string(70000, 'L'), "tail", std::string(1025, 'm')}, {1}},
        {"only deleted memos", {"gone", "", "gone too"}, {1, 3}},
        {"many", many, {7, 100, 2999}},
    };
    const std::vector<std::string> earlier = {std::string(600, 'e'), "", "old"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = memo_table(c.memos, c.deleted);
        std::vector<int> live;
        std::vector<std::string> live_memos;
        for (std::size_t i = 1; i <= c.memos.size(); ++i) {
            if (c.deleted.count(static_cast<int>(i))) continue;
            live.push_back(static_cast<int>(i));
            live_memos.push_back(c.memos[i - 1]);
        }
        const auto same_files = [](const std::string& got, const std::string& expected) {
            EXPECT_EQ(testing::stored_records(got), testing::stored_records(expected));
            EXPECT_TRUE(testing::read_file(dbt_file_name(got)) == testing::read_file(dbt_file_name(expected)));
        };

        const std::string packed = pack_table(*source);
        ASSERT_NE(packed, "");
        const std::string one_by_one = dir.file("ONEBYONE.DBF");
        numbered_memo_table(one_by_one, live, live_memos).reset();
        same_files(packed, one_by_one);

        // Appended after records with memos of their own; every record comes
        // over, each copy live.
        const std::string target = dir.file("TARGET.DBF");
        std::vector<int> numbers = {901, 902, 903};
        std::vector<std::string> memos = earlier;
        auto appended = numbered_memo_table(target, numbers, earlier);
        ASSERT_EQ(append_from(*appended, path), 1) << appended->failure;
        appended.reset();
        for (std::size_t i = 1; i <= c.memos.size(); ++i) numbers.push_back(static_cast<int>(i));
        memos.insert(memos.end(), c.memos.begin(), c.memos.end());
        numbered_memo_table(one_by_one, numbers, memos).reset();
        same_files(target, one_by_one);
    }
}

TEST_F(rebuild_test, pack_copies_tables_of_many_blocks)
{
    // About 57000 records of 27 bytes: the copy reads and writes several blocks.
    const int count = 57000;
    std::vector<testing::fixture_record> records;
    for (int i = 1; i <= count; ++i) records.push_back({record_of(memo_fields, {std::to_string(i)}), i % 7 == 0});
    std::vector<std::string> memos(count);
    for (int i = 1; i <= count; i += 997) memos[i - 1] = "memo " + std::to_string(i);
    auto table = open_new_table(path, memo_fields, records);
    put_memos(*table, 2, memos);

    const std::string copy = pack_table(*table);
    ASSERT_NE(copy, "");
    const std::vector<std::string> packed = testing::table_rows(copy);
    ASSERT_EQ(packed.size(), std::size_t(count - count / 7));
    std::size_t at = 0;
    for (int i = 1; i <= count; ++i) {
        if (i % 7 == 0) continue;
        std::string key = std::to_string(i);
        std::string expected = key + std::string(8 - key.size(), ' ') + "|        |" +
                               (i % 997 == 1 ? "memo " + key : "");
        ASSERT_EQ(packed[at++], expected) << i;
    }
}

// The rules by which a value travels from a field of one shape into a field
// of another in the bulk copies, and which stored bytes an import keeps.
constexpr const char* refused = "";

// Copies one record holding `bytes` (blank-padded) in a field `from` into a table with the
// field `to`, and gives the target field's bytes, or the failure noted on
// the target when the copy fails.
std::string copied(const field_list_entry& from, const std::string& bytes, const field_list_entry& to,
                   std::string& failure)
{
    testing::scratch_dir dir;
    const std::string source_path = dir.file("SOURCE.DBF");
    const std::string target_path = dir.file("TARGET.DBF");
    std::string record = bytes;
    record.resize(static_cast<std::size_t>(from.length), ' ');
    testing::write_table(source_path, {from}, {{record}});
    EXPECT_EQ(create_table(*table_new(target_path), {to}), 1);
    auto source = table_new(source_path);
    auto target = table_new(target_path);
    EXPECT_TRUE(table_open(*source) && table_open(*target) && lock_table(*source) && lock_table(*target));
    if (!copy_records(*source, *target, {0}, copy_selection::as_navigated)) {
        failure = target->failure;
        return refused;
    }
    failure.clear();
    return testing::stored_records(target_path).at(0).substr(1, static_cast<std::size_t>(to.length));
}

TEST(field_copy, a_value_keeps_its_bytes_in_the_same_shape_and_follows_the_value_rules_in_another)
{
    settings_restore_defaults();
    const field_list_entry n52{"AMOUNT", 'N', 5, 2}, n52_other{"AMOUNT", 'N', 5, 1}, n19{"ID", 'N', 19, 0},
        n20{"ID", 'N', 20, 0}, n19_2{"ID", 'N', 19, 2}, c5{"AMOUNT", 'C', 5, 0}, c20{"ID", 'C', 20, 0},
        l1{"PAID", 'L', 1, 0}, c1{"PAID", 'C', 1, 0}, d8{"BORN", 'D', 8, 0}, c10{"BORN", 'C', 10, 0};
    // `stored`: `refused` when the copy fails; `failure`: the reason noted on the target.
    const struct {
        const char* what;
        field_list_entry from;
        std::string bytes;
        field_list_entry to;
        std::string stored, failure;
    } rows[] = {
        // The same shape keeps whatever the field holds.
        {"odd number form", n52, "+1.5 ", n52, "+1.5 ", ""},
        {"blank number", n52, "     ", n52, "     ", ""},
        {"zero bytes", n52, std::string("1\0\0\0\0", 5), n52, std::string("1\0\0\0\0", 5), ""},
        {"19 digits", n19, "1234567890123456789", n19, "1234567890123456789", ""},
        {"unknown logical", l1, "?", l1, "?", ""},
        {"zero date", d8, "00000000", d8, "00000000", ""},
        // Numbers into another shape: digit for digit. Into other shapes a
        // value takes the rules of a typed value (the table test's cases); a
        // refusal names the source record.
        {"wider", n19, "   9007199254740993", n20, "    9007199254740993", ""},
        {"rescaled", n19, "   9007199254740993", n19_2, "9007199254740993.00", ""},
        {"too wide rescaled", n19, "-999999999999999999", n19_2, refused,
         "Record 1: -999999999999999999 does not fit ID N(19,2)"},
        {"rounded", n52, " 1.25", n52_other, "  1.3", ""},
        {"characters to number", c20, "  42  ", n19, "                 42", ""},
        {"text is no number", c5, "abc", n52, refused, "Record 1: abc is not a number for AMOUNT N(5,2)"},
        // Into characters: the stored text, cut.
        {"number to characters", n19, "1234567890123456789", c5, "12345", ""},
        {"date to characters", d8, "20240229", c10, "20240229  ", ""},
        // Logicals and dates from characters.
        {"yes letter", c1, "y", l1, "T", ""},
        {"no logical", c1, "x", l1, refused, "Record 1: x is not a logical value (T, F, Y, N or ?) for PAID"},
        {"date with separators", c10, "2024.02.29", d8, "20240229", ""},
    };
    for (const auto& r : rows) {
        std::string failure;
        EXPECT_EQ(copied(r.from, r.bytes, r.to, failure), r.stored) << r.what;
        EXPECT_EQ(failure, r.failure) << r.what;
    }
}

TEST(field_copy, imports_keep_the_forms_every_reader_takes)
{
    const struct { char type; std::string bytes; int decimals; bool kept; } rows[] = {
        {'N', "   12.50", 2, true},  {'N', "12.5    ", 2, true},  {'N', "+0012.5 ", 2, true},
        {'N', "    -0.0", 2, true},  {'N', "        ", 2, true},  {'N', "  12.345", 2, false},
        {'N', "   1.5e3", 2, false}, {'N', "  12. 50", 2, false}, {'N', std::string("12\0\0\0\0\0\0", 8), 2, false},
        {'N', "       -", 2, false}, {'N', "      12", 0, true},  {'N', "    12.5", 0, false},
        {'L', "T", 0, true},         {'L', "n", 0, true},         {'L', "?", 0, true},
        {'L', " ", 0, true},         {'L', "x", 0, false},        {'L', std::string(1, '\0'), 0, false},
        {'D', "20240229", 0, true},  {'D', "        ", 0, true},  {'D', "00000000", 0, true},
        {'D', "20240230", 0, false}, {'D', "2024022 ", 0, false}, {'D', std::string("2024\0\0\0\0", 8), 0, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(holds_stored_form(r.type, reinterpret_cast<const std::uint8_t*>(r.bytes.data()), r.bytes.size(),
                                    r.decimals),
                  r.kept)
            << r.type << " \"" << r.bytes << "\"";
    }
}

// Values between typed fields follow the rules above; here they
// find their target fields by name, and memos go whole.
TEST_F(rebuild_test, copy_records_fits_each_value_to_its_target_field_and_walks_as_navigation_does)
{
    const std::vector<field_list_entry> source_fields = {
        {"NAME", 'C', 30, 0}, {"NOTES", 'M', 10, 0}, {"CODE", 'C', 10, 0}, {"TEXT", 'M', 10, 0}};
    const std::string memo = "0123456789" + std::string(65000, 'm');
    auto source = open_new_table(path, source_fields, {{record_of(source_fields, {"Kovacs Janos Istvan", "", "abc"})}});
    put_memos(*source, 1, {memo});
    put_memos(*source, 3, {memo});
    ASSERT_EQ(lock_table(*source), 1);

    // `expected`: the text, or the memo's text for M targets.
    const struct { field_list_entry target; std::string expected; } rules[] = {
        {{"NAME", 'C', 10, 0}, "Kovacs Jan"},                    // cut to the new length
        {{"notes", 'C', 50, 0}, memo.substr(0, 50)},             // memo into a character field
        {{"CODE", 'M', 10, 0}, "abc       "},                    // stored text becomes the memo
        {{"TEXT", 'M', 10, 0}, memo},                            // memo to memo, whole
        {{"EXTRA", 'C', 5, 0}, "     "},                         // no source field: blank
    };
    std::vector<field_list_entry> target_fields;
    for (const auto& rule : rules) target_fields.push_back(rule.target);
    const std::string target_path = dir.file("NEW.DBF");
    ASSERT_EQ(create_table(*table_new(target_path), target_fields), 1);
    auto target = open_table(target_path);
    ASSERT_EQ(lock_table(*target), 1);
    ASSERT_EQ(copy_records(*source, *target, map_fields_by_name(*source, *target), copy_selection::as_navigated), 1);
    for (int i = 0; i < field_count(*target); ++i) {
        const std::string text = field_text(*target, i);
        EXPECT_EQ(field_type(*target, i) == 'M' ? memo_read(*target, text) : text, rules[i].expected)
            << rules[i].target.name;
    }

    // Records are copied as navigation walks, with progress told.
    std::vector<std::string> memos(250);
    source.reset();
    target.reset();
    source = memo_table(memos, {10, 250});
    // Record 10 is deleted: hidden, the 103rd record is the 102nd copied.
    const struct { bool hide_deleted; std::size_t copied; std::vector<int> reported; } cases[] = {
        {false, 250, {41, 82}}, {true, 248, {42, 83}}};
    for (const auto& [hide_deleted, count, expected_reports] : cases) {
        SCOPED_TRACE(hide_deleted);
        source->navigation.hide_deleted = hide_deleted;
        ASSERT_EQ(create_table(*table_new(target_path), memo_fields), 1);
        target = open_table(target_path);
        std::vector<int> reported;
        const auto progress = [&](int percent) { reported.push_back(percent); };
        const std::vector<int> mapping = {0, 1, 2};
        EXPECT_EQ(copy_records(*source, *target, mapping, copy_selection::as_navigated, progress), 0)
            << "no table locks";
        ASSERT_EQ(lock_table(*target), 1);
        ASSERT_EQ(lock_table(*source), 1);
        ASSERT_EQ(copy_records(*source, *target, mapping, copy_selection::as_navigated, progress), 1);
        unlock(*source);
        target.reset();
        const std::vector<std::string> copied = testing::table_rows(target_path);
        ASSERT_EQ(copied.size(), count);
        EXPECT_EQ(copied[9].substr(0, 3), count == 250 ? "K10" : "K11") << "record 10 live, or passed over";
        EXPECT_EQ(reported, expected_reports);
    }
}

// The sort gives one order whatever its memory: within the budget it orders
// the records in memory, beyond it in runs merged from a scratch file, and
// the copies it writes are the same bytes.
TEST_F(rebuild_test, every_memory_budget_gives_the_bytes_of_the_sort_in_memory)
{
    // Few distinct names and cities, so that equal keys are many and their
    // order (the file's) is tested across runs; accented names fold.
    const char* names[] = {"Anna", "\xC1" "gi", "agi", "Bea", "Zoe", "", "Anna  "};
    const char* cities[] = {"Pec", "Gy\xF5", "", "Ab"};
    std::mt19937 random(11);
    std::vector<testing::fixture_record> records;
    for (int i = 0; i < 3000; ++i) {
        records.push_back({record_of(sort_fields, {names[random() % 7], cities[random() % 4], std::to_string(i)}),
                           i % 9 == 4});
    }
    write_table(path, sort_fields, records);

    for (const bool hungarian : {false, true}) {
        for (const std::vector<int>& key : {std::vector<int>{0}, std::vector<int>{1, 0}}) {
            const std::string in_memory = sorted_copy(key, {hungarian});
            ASSERT_FALSE(in_memory.empty());
            ASSERT_NE(in_memory, read_file(path)) << "the records were in no order before";
            const std::size_t per_record = 1 + 6 + 3 + 5 + 28;  // a record and its key
            // One record a run, a few a run, and runs of a few hundred.
            for (const std::size_t budget : {per_record, 3 * per_record + 5, std::size_t{4096}, 300 * per_record}) {
                SCOPED_TRACE(std::string(hungarian ? "Hungarian" : "byte") + " order, key of " +
                             std::to_string(key.size()) + ", budget " + std::to_string(budget));
                EXPECT_TRUE(sorted_copy(key, {hungarian, budget}) == in_memory);
            }
        }
    }
}

}  // namespace
}  // namespace vortel
